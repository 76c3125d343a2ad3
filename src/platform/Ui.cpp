// The controls' state and the rules shared by both backends: inheritance of
// font and colour, tab order, accelerators, the notebook's one page.
#include "platform/Ui.h"

#include "base/Exception.h"
#include "platform/Files.h"
#include "platform/UiBackend.h"

#include <algorithm>

namespace tarvex::platform {

void NativeDeleter::operator()(NativeWindow* window) const { backend::Destroy(window); }

namespace {

bool IsContainerKind(Control::Kind kind)
{
    return kind == Control::Kind::Form || kind == Control::Kind::Notebook || kind == Control::Kind::Page ||
           kind == Control::Kind::GroupBox || kind == Control::Kind::PaintBox || kind == Control::Kind::Panel;
}

// Resource names of the screen's cursors; a plain array keeps setup.exe
// free of guarded statics.
const char* screenCursors[kCursorSlots] = {};

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

// The tab stops in tab order: those a user can reach, or all of them.
void CollectTabStops(const Container& container, std::vector<Control*>& out, bool reachableOnly = true)
{
    for (Control* child : container.TabList()) {
        if (reachableOnly && (!child->Visible() || !child->Enabled())) continue;
        if (IsContainerKind(child->GetKind()))
            CollectTabStops(static_cast<const Container&>(*child), out, reachableOnly);
        else if (child->TabStop())
            out.push_back(child);
    }
}

bool Contains(const Control& outer, const Control* inner)
{
    for (; inner; inner = inner->Parent())
        if (inner == &outer) return true;
    return false;
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

Button* FindDefault(const Container& container)
{
    for (Control* child : container.Children()) {
        if (!child->Visible() || !child->Enabled()) continue;
        if (IsContainerKind(child->GetKind())) {
            if (Button* found = FindDefault(static_cast<const Container&>(*child))) return found;
        } else if (child->GetKind() == Control::Kind::Button && static_cast<Button*>(child)->Default()) {
            return static_cast<Button*>(child);
        }
    }
    return nullptr;
}

} // namespace

bool IsRichText(const std::string& content) { return content.rfind("{\\rtf", 0) == 0; }

void SetScreenCursor(int slot, const char* resource)
{
    if (slot <= 0 || slot >= kCursorSlots) return;
    screenCursors[slot] = resource;
    backend::LoadScreenCursor(slot, resource);
}

const char* ScreenCursor(int slot) { return slot > 0 && slot < kCursorSlots ? screenCursors[slot] : nullptr; }

// ---- PopupMenu ----

void PopupMenu::Add(const std::string& caption, std::function<void()> onClick)
{
    items_.push_back({caption, std::move(onClick)});
}

void PopupMenu::Popup(int screenX, int screenY)
{
    int chosen = backend::TrackPopup(*this, screenX, screenY);
    if (chosen < 0 || chosen >= static_cast<int>(items_.size())) return;
    // A copy: the action may change the menu.
    auto action = items_[static_cast<std::size_t>(chosen)].OnClick;
    if (action) action();
}

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

void Control::SetPosition(int left, int top)
{
    bounds_.left = left;
    bounds_.top = top;
    backend::Sync(*this, backend::Aspect::Position);
}

void Control::SetParent(Container& parent)
{
    if (parent_ == &parent) return;
    if (parent_) parent_->Remove(*this);
    parent_ = &parent;
    parent_->Add(*this);
    backend::Reparent(*this);
}

// Handlers are called through copies: one may replace itself (a form's
// click handler that clears the form's click handler).
void Control::Click()
{
    if (auto handler = OnClick) handler();
}

void Control::DblClick()
{
    if (auto handler = OnDblClick) handler();
}

void Control::MouseDown(MouseButton button, int x, int y)
{
    if (auto handler = OnMouseDown) handler(button, x, y);
}

void Control::MouseUp(MouseButton button, int x, int y)
{
    if (auto handler = OnMouseUp) handler(button, x, y);
}

void Control::MousePressed(MouseButton button, int x, int y)
{
    if (button == MouseButton::Left) leftPressed_ = true;
    MouseDown(button, x, y);
}

void Control::MouseReleased(MouseButton button, int x, int y, bool inside)
{
    if (button == MouseButton::Left) {
        bool clicked = leftPressed_ && inside;
        leftPressed_ = false;
        if (clicked) Click();
    }
    MouseUp(button, x, y);
}

void Control::MouseDoubleClicked(int x, int y)
{
    leftPressed_ = false;
    DblClick();
    MouseDown(MouseButton::Left, x, y);
}

void Control::ContextMenuRequested(int screenX, int screenY)
{
    if (contextMenu_) contextMenu_->Popup(screenX, screenY);
}

void Control::Realize()
{
    native_ = backend::Create(*this);
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
    if (!visible) PassFocusOn();
}

void Control::SetEnabled(bool enabled)
{
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    backend::Sync(*this, backend::Aspect::Enabled);
    if (!enabled) PassFocusOn();
}

// A control that keeps the focus while it cannot be reached takes no key
// at all, not even Tab: the focus goes on to the next reachable control.
void Control::PassFocusOn()
{
    Form* form = OwnerForm();
    if (!form) return;
    Control* active = backend::FocusedControl(*form);
    if (!active || !Contains(*this, active) || active->Usable()) return;
    if (Control* next = form->NextTabStop(active, true)) next->SetFocus();
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
    return kind_ != Kind::Label && kind_ != Kind::PaintBox && kind_ != Kind::SpeedButton && kind_ != Kind::Image;
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

Form::Form(int clientWidth, int clientHeight, const FontSpec& font, FormBorder border)
    : Container(nullptr, Kind::Form, {0, 0, clientWidth, clientHeight}), border_(border)
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
    // Walk the whole order, so that a control that cannot be reached itself
    // (just disabled or hidden) still has its place in it.
    std::vector<Control*> stops;
    CollectTabStops(*this, stops, false);
    const std::size_t n = stops.size();
    auto at = std::find(stops.begin(), stops.end(), current);
    std::size_t i = at == stops.end() ? (forward ? n - 1 : 0) : static_cast<std::size_t>(at - stops.begin());
    for (std::size_t step = 1; step <= n; ++step) {
        Control* candidate = stops[forward ? (i + step) % n : (i + n - step) % n];
        if (candidate->Usable()) return candidate;
    }
    return nullptr;
}

Button* Form::FindAccelerator(char letter) const { return FindButton(*this, UpperAscii(letter)); }

Button* Form::DefaultButton() const { return FindDefault(*this); }

Size Form::WindowSize() const { return backend::WindowSize(*this); }

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
    // The old page goes first, so a focus on it passes to the controls that stay.
    for (std::size_t i = 0; i < pages_.size(); ++i)
        if (static_cast<int>(i) != index) pages_[i]->SetVisible(false);
    if (index >= 0 && index < static_cast<int>(pages_.size())) pages_[static_cast<std::size_t>(index)]->SetVisible(true);
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

Panel::Panel(Container* parent, const Bounds& bounds, Bevel inner, Bevel outer)
    : Container(parent, Kind::Panel, bounds), inner_(inner), outer_(outer)
{
    Realize();
}

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

void Button::SetDefault(bool isDefault)
{
    default_ = isDefault;
    backend::Sync(*this, backend::Aspect::Default);
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

Image::Image(Container* parent, const Bounds& bounds) : Control(parent, Kind::Image, bounds) { Realize(); }

void Image::SetPicture(const char* resource, Size pictureSize, bool stretch, bool center)
{
    picture_ = resource;
    pictureSize_ = pictureSize;
    stretch_ = stretch;
    center_ = center;
    backend::Sync(*this, backend::Aspect::Picture);
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

RichMemo::RichMemo(Container* parent, const Bounds& bounds) : Control(parent, Kind::RichMemo, bounds) { Realize(); }

std::string LoadTextFile(const std::string& path)
{
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) throw Exception("Cannot open file " + path);
    return bytes;
}

void RichMemo::LoadFromFile(const std::string& path)
{
    content_ = LoadTextFile(path);
    rich_ = !plainText_ && IsRichText(content_);
    backend::Sync(*this, backend::Aspect::Content);
}

} // namespace tarvex::platform
