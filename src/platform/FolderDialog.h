#pragma once
// The shell's modal folder-selection dialog. The win32 backend runs the real
// SHBrowseForFolder; the portable backend answers from a script that tests
// set (posix/HeadlessFolderDialog.h) and records what it was asked.
#include <cstdint>
#include <string>

namespace tarvex::platform {

// A window handle as the layers above see it: a number, 0 for none.
using WindowId = std::uintptr_t;
// A shell item identifier list, owned by the dialog; opaque above this layer.
using ItemIdList = const void*;

// Special-folder identifier meaning "no root": the whole shell namespace.
inline constexpr int kNoRootFolder = -1;

// Dialog flag bits (BIF_ values).
inline constexpr unsigned kBifReturnOnlyFsDirs = 0x0001;
inline constexpr unsigned kBifDontGoBelowDomain = 0x0002;
inline constexpr unsigned kBifStatusText = 0x0004;
inline constexpr unsigned kBifReturnFsAncestors = 0x0008;
inline constexpr unsigned kBifBrowseForComputer = 0x1000;
inline constexpr unsigned kBifBrowseForPrinter = 0x2000;

// The extra push button the dialog may carry.
inline constexpr int kCustomButtonId = 255;
inline constexpr int kCustomButtonLeft = 12;
inline constexpr int kCustomButtonTop = 270;
inline constexpr int kCustomButtonHeight = 23;

struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
struct ScreenPoint {
    int x = 0, y = 0;
};

// Where the dialog's top-left corner goes: centred horizontally on the
// foreground window, its top edge a quarter of the way down that window.
ScreenPoint FolderDialogPosition(const ScreenRect& dialog, const ScreenRect& foreground);

struct FolderDialogRequest {
    WindowId owner = 0;              // 0: the calling thread's active window
    int rootFolderId = kNoRootFolder; // a CSIDL value, or kNoRootFolder
    std::string title;
    unsigned flags = 0;              // BIF_ bits
};

struct FolderDialogResult {
    bool chosen = false;   // OK with a selection
    bool hasPath = false;  // the chosen item has a file-system path
    std::string path;      // that path
    std::string displayName;
    int imageIndex = 0;
};

// The running dialog, as the client's callbacks see it.
class FolderDialog {
public:
    virtual WindowId Handle() const = 0;
    // Moves the dialog, without resizing or activating it, to
    // FolderDialogPosition over the window now in the foreground.
    virtual void PlaceOverForeground() = 0;
    // Opens the tree on a directory.
    virtual void Select(const std::string& directory) = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void EnableOk(bool enable) = 0;
    // Adds the extra push button and starts routing its clicks to the
    // client; returns the button's window.
    virtual WindowId AddCustomButton(const std::string& caption, int width, bool enabled) = 0;
    // An information box with one OK button, over the dialog.
    virtual void ShowInformation(const std::string& text) = 0;

protected:
    ~FolderDialog() = default;
};

// Told what happens in the dialog, on the thread that runs it. An exception
// thrown here closes the dialog and leaves RunFolderDialog.
class FolderDialogClient {
public:
    virtual void Initialized(FolderDialog& dialog) = 0;
    // path is empty when the item has no file-system path (hasPath false).
    virtual void SelectionChanged(FolderDialog& dialog, ItemIdList item, const std::string& path, bool hasPath) = 0;
    virtual void CustomButtonClicked(FolderDialog& dialog) = 0;

protected:
    ~FolderDialogClient() = default;
};

// Runs the dialog modally and returns when it is closed. A root that cannot
// be resolved opens the dialog on the whole namespace.
FolderDialogResult RunFolderDialog(const FolderDialogRequest& request, FolderDialogClient& client);

// Window operations on handles kept by the component.
bool IsLiveWindow(WindowId window);
void EnableWindowById(WindowId window, bool enable);
void SetWindowTextById(WindowId window, const std::string& text);

} // namespace tarvex::platform
