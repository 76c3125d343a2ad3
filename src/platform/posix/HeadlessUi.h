#pragma once
// What the headless toolkit shows and how it answers, for tests.
#include "platform/Ui.h"

#include <deque>
#include <functional>
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
    std::vector<const Control*> repaints;    // controls repainted at once, in order
    // What the user does in each form run modally, in order: the script
    // gets the form while it is shown. None left: the form just returns.
    std::deque<std::function<void(Form&)>> modalScripts;

    void Reset() { *this = HeadlessUi(); }
    static HeadlessUi& Instance();
};

// What a user can do: a press only reaches a button that is shown and
// enabled, typing only an edit box that is shown, enabled and not read-only.
// Both return whether they reached the control.
bool Press(Button& button);
bool Type(Edit& edit, const std::string& text);

} // namespace tarvex::platform
