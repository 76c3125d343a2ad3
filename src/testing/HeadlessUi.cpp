// Headless toolkit: controls hold their state, message boxes are answered
// from a script and recorded, so tests can drive the wizard logic.
#include "platform/Ui.h"
#include "platform/UiBackend.h"
#include "testing/HeadlessUi.h"

namespace tarvex::platform {

HeadlessUi& HeadlessUi::Instance()
{
    static HeadlessUi ui;
    return ui;
}

void InitUi() {}

void ProcessMessages()
{
    auto& waiting = HeadlessUi::Instance().waitingMessages;
    if (waiting.empty()) return;
    auto message = std::move(waiting.front());
    waiting.pop_front();
    if (message) message();
}

bool ShowMessageBox(const std::string& text, const std::string& title, MessageKind kind)
{
    auto& ui = HeadlessUi::Instance();
    ui.messages.push_back({text, title, kind});
    ui.events.push_back("box: " + title);
    if (kind == MessageKind::Error || kind == MessageKind::Information) return true;
    if (ui.answers.empty()) return false; // closing the box counts as No
    bool answer = ui.answers.front();
    ui.answers.pop_front();
    return answer;
}

MessageChoice AskAbortRetryIgnore(const std::string& text, const std::string& title)
{
    auto& ui = HeadlessUi::Instance();
    ui.messages.push_back({text, title, MessageKind::Error});
    ++ui.abortRetryIgnoreAsked;
    if (ui.choices.empty()) return MessageChoice::Ignore;
    MessageChoice choice = ui.choices.front();
    ui.choices.pop_front();
    return choice;
}

// No windows headlessly: the control's address stands for its window.
std::uintptr_t WindowIdOf(const Control& control) { return reinterpret_cast<std::uintptr_t>(&control); }

void DiscardQueuedInput() { HeadlessUi::Instance().events.push_back("discard input"); }

bool Press(Button& button)
{
    if (!button.Usable()) return false;
    button.Click();
    return true;
}

bool Type(Edit& edit, const std::string& text)
{
    if (!edit.Usable() || edit.ReadOnly()) return false;
    edit.TextChangedByUser(text);
    return true;
}

bool PressMouse(Control& control, MouseButton button)
{
    if (!control.Showing()) return false;
    control.MousePressed(button, 0, 0);
    return true;
}

bool ReleaseMouse(Control& control, MouseButton button, bool inside)
{
    control.MouseReleased(button, 0, 0, inside);
    return true;
}

bool ClickOn(Control& control) { return PressMouse(control) && ReleaseMouse(control); }

bool DoubleClickOn(Control& control)
{
    // The system's order: a click, then the second press as a double-click.
    if (!ClickOn(control)) return false;
    control.MouseDoubleClicked(0, 0);
    control.MouseReleased(MouseButton::Left, 0, 0, true);
    return true;
}

bool RightClick(Control& control, const std::string& choice)
{
    if (!PressMouse(control, MouseButton::Right)) return false;
    ReleaseMouse(control, MouseButton::Right);
    auto& ui = HeadlessUi::Instance();
    ui.menuChoices.push_back(choice);
    control.ContextMenuRequested(0, 0);
    ui.menuChoices.clear();
    return true;
}

namespace backend {

NativeWindowOwner Create(Control&) { return nullptr; }
void Destroy(NativeWindow*) {}
void Sync(Control&, Aspect) {}
void RaiseToTop(Control&) {}
void Focus(Control&) {}

bool HasFocus(const Control& control)
{
    Form* form = const_cast<Control&>(control).OwnerForm();
    return form && form->ActiveControl() == &control;
}

Control* FocusedControl(Form& form) { return form.ActiveControl(); }

void Repaint(Control& control) { HeadlessUi::Instance().repaints.push_back(&control); }
void Invalidate(Control&) {}
void PaintNow(PaintBox&) {}
void Reparent(Control&) {}

Size WindowSize(const Form& form)
{
    return {form.GetBounds().width + kHeadlessFrame.width, form.GetBounds().height + kHeadlessFrame.height};
}

void LoadScreenCursor(int, const char*) {}

int TrackPopup(const PopupMenu& menu, int, int)
{
    auto& ui = HeadlessUi::Instance();
    std::vector<std::string> captions;
    for (const auto& item : menu.Items()) captions.push_back(item.caption);
    ui.popups.push_back(captions);
    if (ui.menuChoices.empty()) return -1;
    std::string choice = std::move(ui.menuChoices.front());
    ui.menuChoices.pop_front();
    for (std::size_t i = 0; i < captions.size(); ++i)
        if (!choice.empty() && captions[i] == choice) return static_cast<int>(i);
    return -1;
}

void RunModal(Form& form)
{
    // Nothing to pump headlessly: a test's script acts while the form is up.
    auto& ui = HeadlessUi::Instance();
    ui.shownCaptions.push_back(form.Caption());
    ui.events.push_back("form: " + form.Caption());
    if (ui.modalScripts.empty() && !form.OnShown) return;
    form.SetShown(true);
    if (form.OnShown) form.OnShown();
    if (!ui.modalScripts.empty() && !form.Closed()) {
        auto script = std::move(ui.modalScripts.front());
        ui.modalScripts.pop_front();
        script(form);
    }
    form.SetShown(false);
}

void Close(Form& form) { form.SetShown(false); }
void Quit(Form&) {}

} // namespace backend

} // namespace tarvex::platform
