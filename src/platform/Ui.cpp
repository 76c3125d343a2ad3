// The controls' state and the rules shared by both backends: inheritance of
// font and colour, tab order, accelerators, the notebook's one page.
#include "platform/Ui.h"

#include "platform/Exception.h"
#include "platform/UiBackend.h"

#include <algorithm>

namespace tarvex::platform {

void NativeDeleter::operator()(NativeWindow* window) const { backend::Destroy(window); }

namespace {

bool IsContainerKind(Control::Kind kind)
{
    return kind == Control::Kind::Form || kind == Control::Kind::Notebook || kind == Control::Kind::Page ||
           kind == Control::Kind::GroupBox || kind == Control::Kind::PaintBox;
}

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The letter after the accelerator mark, or 0 ("&&" is a literal ampersand).
char AcceleratorOf(const std::string& caption)
{
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] != '&') return UpperAscii(caption[i + 1]);
        ++i;
    }
    return 0;
}

void CollectTabStops(const Container& container, std::vector<Control*>& out)
{
    for (Control* child : container.TabList()) {
        if (!child->Visible() || !child->Enabled()) continue;
        if (IsContainerKind(child->GetKind()))
            CollectTabStops(static_cast<const Container&>(*child), out);
        else if (child->TabStop())
            out.push_back(child);
    }
}

Button* FindButton(const Container& container, char letter)
{
    for (Control* child : container.Children()) {
        if (!child->Visible() || !child->Enabled()) continue;
        if (IsContainerKind(child->GetKind())) {
            if (Button* found = FindButton(static_cast<const Container&>(*child), letter)) return found;
        } else if ((child->GetKind() == Control::Kind::Button || child->GetKind() == Control::Kind::SpeedButton) &&
                   AcceleratorOf(child->Text()) == letter) {
            return static_cast<Button*>(child);
        }
    }
    return nullptr;
}

} // namespace

bool IsRichText(const std::string& content) { return content.rfind("{\\rtf", 0) == 0; }

// ---- Control ----

Control::Control(Container* parent, Kind kind, const Bounds& bounds, const std::string& text)
    : parent_(parent), kind_(kind), bounds_(bounds), text_(text)
{
    if (parent_) {
        font_ = parent_->font_;
        color_ = parent_->color_;
        parent_->Add(*this);
    }
    switch (kind_) {
    case Kind::Edit:
    case Kind::ListBox:
    case Kind::RichMemo:
        color_ = clWindow;
        tabStop_ = true;
        break;
    case Kind::Button:
        color_ = clBtnFace;
        tabStop_ = true;
        break;
    case Kind::SpeedButton:
        color_ = clBtnFace;
        break;
    default:
        break;
    }
}

Control::~Control()
{
    native_.reset();
    if (parent_) parent_->Remove(*this);
}

void Control::Realize()
{
    native_.reset(backend::Create(*this));
    backend::RaiseToTop(*this);
}

Form* Control::OwnerForm()
{
    Control* c = this;
    while (c->parent_) c = c->parent_;
    return c->kind_ == Kind::Form ? static_cast<Form*>(c) : nullptr;
}

void Control::SetText(const std::string& text)
{
    text_ = text;
    backend::Sync(*this, backend::Aspect::Text);
}

void Control::TextChangedByUser(const std::string& text)
{
    text_ = text;
    if (kind_ == Kind::Edit) {
        auto& edit = static_cast<Edit&>(*this);
        if (edit.OnChange) edit.OnChange();
    }
}

void Control::SetVisible(bool visible)
{
    if (visible_ == visible) return;
    visible_ = visible;
    backend::Sync(*this, backend::Aspect::Visible);
}

void Control::SetEnabled(bool enabled)
{
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    backend::Sync(*this, backend::Aspect::Enabled);
}

bool Control::Showing() const
{
    for (const Control* c = this; c; c = c->parent_)
        if (!c->visible_ && c->kind_ != Kind::Form) return false;
    return true;
}

bool Control::Usable() const
{
    if (!Showing()) return false;
    for (const Control* c = this; c; c = c->parent_)
        if (!c->enabled_) return false;
    return true;
}

void Control::SetFont(const FontSpec& font)
{
    font_ = font;
    backend::Sync(*this, backend::Aspect::Font);
}

void Control::SetColor(Color color)
{
    color_ = color;
    backend::Sync(*this, backend::Aspect::Color);
}

bool Control::Windowed() const
{
    return kind_ != Kind::Label && kind_ != Kind::PaintBox && kind_ != Kind::SpeedButton;
}

void Control::SetTabStop(bool tabStop) { tabStop_ = tabStop; }

int Control::TabOrder() const
{
    if (!parent_ || !Windowed()) return -1;
    const auto& list = parent_->tabList_;
    return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void Control::SetTabOrder(int position)
{
    if (!parent_ || !Windowed()) return;
    auto& list = parent_->tabList_;
    list.erase(std::find(list.begin(), list.end(), this));
    position = std::clamp(position, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + position, this);
}

void Control::SetFocus()
{
    if (Form* form = OwnerForm()) form->SetActiveControl(*this);
    backend::Focus(*this);
}

bool Control::Focused() const { return backend::HasFocus(*this); }

void Control::Repaint() { backend::Repaint(*this); }

// ---- Container ----

Container::~Container() = default;

void Container::Add(Control& child)
{
    children_.push_back(&child);
    if (child.Windowed()) tabList_.push_back(&child);
}

void Container::Remove(Control& child)
{
    std::erase(children_, &child);
    std::erase(tabList_, &child);
}

// ---- Form ----

Form::Form(int clientWidth, int clientHeight, const FontSpec& font)
    : Container(nullptr, Kind::Form, {0, 0, clientWidth, clientHeight})
{
    SetVisible(false);
    SetFont(font);
    Realize();
}

Form::~Form() = default;

void Form::ShowModal()
{
    if (closed_ || quit_) return;
    backend::RunModal(*this);
}

void Form::Close()
{
    closed_ = true;
    backend::Close(*this);
}

void Form::RequestQuit()
{
    quit_ = true;
    backend::Quit(*this);
}

Control* Form::NextTabStop(const Control* current, bool forward) const
{
    std::vector<Control*> stops;
    CollectTabStops(*this, stops);
    if (stops.empty()) return nullptr;
    auto at = std::find(stops.begin(), stops.end(), current);
    if (at == stops.end()) return forward ? stops.front() : stops.back();
    std::size_t i = static_cast<std::size_t>(at - stops.begin());
    std::size_t n = stops.size();
    return stops[forward ? (i + 1) % n : (i + n - 1) % n];
}

Button* Form::FindAccelerator(char letter) const { return FindButton(*this, UpperAscii(letter)); }

// ---- Notebook and its pages ----

Page::Page(Container* notebook, const std::string& name)
    : Container(notebook, Kind::Page, {0, 0, notebook->GetBounds().width, notebook->GetBounds().height}, name)
{
    Realize();
}

Notebook::Notebook(Container* parent, const Bounds& bounds, int pageCount) : Container(parent, Kind::Notebook, bounds)
{
    Realize();
    for (int i = 0; i < pageCount; ++i) pages_.push_back(std::make_unique<Page>(this, std::string()));
    SetPageIndex(0);
}

void Notebook::SetPageIndex(int index)
{
    pageIndex_ = index;
    for (std::size_t i = 0; i < pages_.size(); ++i) pages_[i]->SetVisible(static_cast<int>(i) == index);
}

void Notebook::SetPageNames(const std::vector<std::string>& names)
{
    for (std::size_t i = 0; i < names.size() && i < pages_.size(); ++i) pages_[i]->SetText(names[i]);
}

// ---- The other containers ----

GroupBox::GroupBox(Container* parent, const Bounds& bounds, const std::string& caption)
    : Container(parent, Kind::GroupBox, bounds, caption), captionFont_(Font())
{
    Realize();
}

void GroupBox::SetCaptionFont(const FontSpec& font)
{
    captionFont_ = font;
    backend::Sync(*this, backend::Aspect::CaptionFont);
}

PaintBox::PaintBox(Container* parent, const Bounds& bounds) : Container(parent, Kind::PaintBox, bounds) { Realize(); }

void PaintBox::Invalidate() { backend::Invalidate(*this); }

void PaintBox::PaintNow() { backend::PaintNow(*this); }

// ---- Leaf controls ----

Button::Button(Container* parent, const Bounds& bounds, const std::string& caption)
    : Control(parent, Kind::Button, bounds, caption)
{
    Realize();
}

Button::Button(Container* parent, Kind kind, const Bounds& bounds, const std::string& caption)
    : Control(parent, kind, bounds, caption)
{
}

void Button::Click()
{
    if (OnClick) OnClick();
}

SpeedButton::SpeedButton(Container* parent, const Bounds& bounds, const std::string& caption,
                         const char* glyphResource)
    : Button(parent, Kind::SpeedButton, bounds, caption), glyph_(glyphResource)
{
    Realize();
}

Label::Label(Container* parent, const Bounds& bounds, const std::string& caption, TextAlign align, bool wordWrap,
             bool autoSize)
    : Control(parent, Kind::Label, bounds, caption), align_(align), wordWrap_(wordWrap), autoSize_(autoSize)
{
    Realize();
}

Edit::Edit(Container* parent, const Bounds& bounds, bool readOnly)
    : Control(parent, Kind::Edit, bounds), readOnly_(readOnly)
{
    Realize();
}

void Edit::SetText(const std::string& text)
{
    Control::SetText(text);
    if (OnChange) OnChange();
}

ListBox::ListBox(Container* parent, const Bounds& bounds, int itemHeight)
    : Control(parent, Kind::ListBox, bounds), itemHeight_(itemHeight)
{
    Realize();
}

void ListBox::AddLine(const std::string& line)
{
    lines_.push_back(line);
    backend::Sync(*this, backend::Aspect::Lines);
}

ProgressBar::ProgressBar(Container* parent, const Bounds& bounds) : Control(parent, Kind::ProgressBar, bounds)
{
    Realize();
}

void ProgressBar::SetMax(int max)
{
    max_ = max;
    position_ = std::clamp(position_, min_, std::max(min_, max_));
    backend::Sync(*this, backend::Aspect::Progress);
}

void ProgressBar::SetPosition(int position)
{
    position_ = std::clamp(position, min_, std::max(min_, max_));
    backend::Sync(*this, backend::Aspect::Progress);
}

void ProgressBar::StepIt() { SetPosition(position_ + step_); }

RichMemo::RichMemo(Container* parent, const Bounds& bounds) : Control(parent, Kind::RichMemo, bounds) { Realize(); }

void RichMemo::LoadFromFile(const std::string& path)
{
    std::string bytes;
    if (!backend::ReadFileBytes(path, bytes)) throw Exception("Cannot open file " + path);
    content_ = std::move(bytes);
    rich_ = !plainText_ && IsRichText(content_);
    backend::Sync(*this, backend::Aspect::Content);
}

} // namespace tarvex::platform
