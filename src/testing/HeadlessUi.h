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
    std::deque<MessageChoice> choices;       // for Abort/Retry/Ignore boxes; empty: Ignore
    int abortRetryIgnoreAsked = 0;
    std::vector<std::string> shownCaptions;  // captions of forms run modally
    // Queued input discarded ("discard input"), message boxes ("box: " and
    // the title) and forms run modally ("form: " and the caption), in order.
    std::vector<std::string> events;
    std::vector<const Control*> repaints;    // controls repainted at once, in order
    // What the user does in each form run modally, in order: the script
    // gets the form while it is shown. None left: the form just returns.
    std::deque<std::function<void(Form&)>> modalScripts;
    // What each call of ProcessMessages finds waiting, in order (an empty
    // function: nothing); none left: nothing.
    std::deque<std::function<void()>> waitingMessages;
    std::vector<std::vector<std::string>> popups; // item captions of each context menu shown
    std::deque<std::string> menuChoices;          // the item chosen in each; none left: dismissed

    void Reset() { *this = HeadlessUi(); }
    static HeadlessUi& Instance();
};

// The frame the headless form has around its client area: the classic
// dialog frame and caption bar.
constexpr Size kHeadlessFrame{6, 25};

// What a user can do: a press only reaches a button that is shown and
// enabled, typing only an edit box that is shown, enabled and not read-only.
// Both return whether they reached the control.
bool Press(Button& button);
bool Type(Edit& edit, const std::string& text);

// The mouse on a shown control (a label, an image, a form's background):
// a button pressed on it, released on it or elsewhere, a click (both on
// it), a double-click. Each returns whether it reached the control.
bool PressMouse(Control& control, MouseButton button = MouseButton::Left);
bool ReleaseMouse(Control& control, MouseButton button = MouseButton::Left, bool inside = true);
bool ClickOn(Control& control);
bool DoubleClickOn(Control& control);
// A right-click that chooses the context menu's item with this caption
// (an empty choice dismisses the menu).
bool RightClick(Control& control, const std::string& choice = {});

} // namespace tarvex::platform
