// Headless toolkit: windows hold their state, message boxes are answered
// from a script and recorded, so tests can drive the wizard logic.
#include "platform/Ui.h"
#include "platform/posix/HeadlessUi.h"

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

struct Form::Impl {
    std::string caption;
    bool quit = false;
    bool visible = false;
};

Form::Form(int, int) : impl_(std::make_unique<Impl>()) {}
Form::~Form() = default;
void Form::SetCaption(const std::string& caption) { impl_->caption = caption; }
std::string Form::Caption() const { return impl_->caption; }
void Form::ShowModal()
{
    if (impl_->quit) return;
    // Nothing to pump headlessly: the window stays "shown" until closed.
    impl_->visible = true;
    HeadlessUi::Instance().shownCaptions.push_back(impl_->caption);
    impl_->visible = false;
}
void Form::Close() { impl_->visible = false; }
void Form::RequestQuit() { impl_->quit = true; }
bool Form::Visible() const { return impl_->visible; }

} // namespace tarvex::platform
