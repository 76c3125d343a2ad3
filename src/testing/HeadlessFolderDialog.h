#pragma once
// How the headless folder dialog answers and what it records, for tests.
#include "platform/FolderDialog.h"

#include <deque>
#include <string>
#include <vector>

namespace tarvex::platform {

// What the user does in one dialog: selects items in turn, may click the
// extra button, then presses OK or Cancel.
struct HeadlessFolderAnswer {
    std::vector<std::string> selections; // "" selects an item without a path
    bool clickCustomButton = false;      // honoured when the button exists and is enabled
    bool ok = false;                     // honoured while OK is enabled; otherwise Cancel
    int imageIndex = 3;
    std::string displayName;             // empty: the last part of the path

    static HeadlessFolderAnswer Choose(const std::string& path);
};

// What one dialog was asked and showed.
struct HeadlessFolderDialogRecord {
    WindowId handle = 0;
    WindowId owner = 0;
    int rootFolderId = kNoRootFolder;
    std::string title;
    unsigned flags = 0;
    bool placed = false;
    std::vector<std::string> selectRequests; // directories the tree was opened on
    std::vector<std::string> statusTexts;
    std::vector<bool> okEnabled;             // each EnableOk, in order
    bool customButton = false;
    WindowId customButtonHandle = 0;
    std::string customButtonCaption;
    int customButtonWidth = 0;
    std::vector<bool> customButtonEnabled;   // at creation, then each change
    std::vector<std::string> informations;   // information boxes
};

struct HeadlessFolderDialogs {
    std::deque<HeadlessFolderAnswer> answers; // empty: Cancel
    std::vector<HeadlessFolderDialogRecord> shown;

    void Reset();
    static HeadlessFolderDialogs& Instance();
};

} // namespace tarvex::platform
