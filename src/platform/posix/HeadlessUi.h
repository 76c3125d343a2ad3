#pragma once
// What the headless toolkit shows and how it answers, for tests.
#include "platform/Ui.h"

#include <deque>
#include <string>
#include <vector>

namespace tarvex::platform {

struct HeadlessMessage {
    std::string text;
    std::string title;
    MessageKind kind;
};

struct HeadlessUi {
    std::vector<HeadlessMessage> messages;   // every message box, in order
    std::deque<bool> answers;                // answers for questions; empty: No
    std::vector<std::string> shownCaptions;  // captions of forms run modally

    void Reset() { *this = HeadlessUi(); }
    static HeadlessUi& Instance();
};

} // namespace tarvex::platform
