// Headless toolkit: controls hold their state, message boxes are answered
// from a script and recorded, so tests can drive the wizard logic.
#include "platform/Ui.h"
#include "platform/UiBackend.h"
#include "platform/posix/HeadlessUi.h"
#include "platform/posix/PosixFile.h"

namespace tarvex::platform {

HeadlessUi& HeadlessUi::Instance()
{
    static HeadlessUi ui;
    return ui;
}

void InitUi() {}

bool ShowMessageBox(const std::string& text, const std::string& title, MessageKind kind)
{
    auto& ui = HeadlessUi::Instance();
    ui.messages.push_back({text, title, kind});
    if (kind == MessageKind::Error) return true;
    if (ui.answers.empty()) return false; // closing the box counts as No
    bool answer = ui.answers.front();
    ui.answers.pop_front();
    return answer;
}

ComApartment::ComApartment() {}
ComApartment::~ComApartment() {}

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

namespace backend {

NativeWindow* Create(Control&) { return nullptr; }
void Destroy(NativeWindow*) {}
void Sync(Control&, Aspect) {}
void RaiseToTop(Control&) {}
void Focus(Control&) {}

bool HasFocus(const Control& control)
{
    Form* form = const_cast<Control&>(control).OwnerForm();
    return form && form->ActiveControl() == &control;
}

void Repaint(Control& control) { HeadlessUi::Instance().repaints.push_back(&control); }
void Invalidate(Control&) {}
void PaintNow(PaintBox&) {}

void RunModal(Form& form)
{
    // Nothing to pump headlessly: a test's script acts while the form is up.
    auto& ui = HeadlessUi::Instance();
    ui.shownCaptions.push_back(form.Caption());
    if (ui.modalScripts.empty()) return;
    auto script = std::move(ui.modalScripts.front());
    ui.modalScripts.pop_front();
    form.SetShown(true);
    script(form);
    form.SetShown(false);
}

void Close(Form& form) { form.SetShown(false); }
void Quit(Form&) {}

bool ReadFileBytes(const std::string& path, std::string& bytes) { return ReadWholeFile(HostPath(path), bytes); }

} // namespace backend

} // namespace tarvex::platform
