#pragma once
// The user-interface toolkit the wizard is written against: real windows on
// win32, state only (for tests of the wizard logic) in the portable build.
// Every control keeps its own state here; the backend mirrors it onto a
// native window (win32) or does nothing (headless), so the wizard logic has
// one code path.
#include "platform/Canvas.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarvex::platform {

// Once per process, before any window: common controls and the like.
void InitUi();

// Handles the messages waiting for the thread's windows and returns: work
// that runs inside a handler calls it to let its window be closed.
void ProcessMessages();

// QuestionDefaultNo has No as its default button.
enum class MessageKind { Error, Question, Information, QuestionDefaultNo };

// A modal message box centred on the screen. Error and information boxes
// have one OK button, questions Yes and No; true when OK or Yes was chosen.
bool ShowMessageBox(const std::string& text, const std::string& title, MessageKind kind);

enum class MessageChoice { Abort, Retry, Ignore };

// A modal warning box with Abort, Retry and Ignore (the default Retry).
MessageChoice AskAbortRetryIgnore(const std::string& text, const std::string& title);
// Drops the keys and mouse clicks that wait in the thread's queue, so that a
// question shown next is answered only by input given once it is on the
// screen. Other messages stay queued.
void DiscardQueuedInput();

constexpr Color clBlack = Rgb(0, 0, 0);
constexpr Color clBlue = Rgb(0, 0, 255);
constexpr Color clGreen = Rgb(0, 128, 0);
constexpr Color clNavy = Rgb(0, 0, 128);
constexpr Color clPurple = Rgb(128, 0, 128);
constexpr Color clSilver = Rgb(192, 192, 192);
constexpr Color clWindow = SystemColor(5);

enum class TextAlign { Left, Center, Right };

// Left, top, width, height in pixels of the parent's client area.
struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

enum class MouseButton { Left, Right, Middle };

// The screen's cursor table: slot 0 is the default arrow; a control shows
// the cursor of the slot its Cursor names. Loads the cursor resource of the
// program into the slot, replacing what was there.
constexpr int kCursorSlots = 8;
void SetScreenCursor(int slot, const char* resource);
// The resource name loaded into a slot; nullptr for an empty slot.
const char* ScreenCursor(int slot);

// A context menu: items with a caption and a click action each.
class PopupMenu {
public:
    struct Item {
        std::string caption;
        std::function<void()> OnClick;
    };
    void Add(const std::string& caption, std::function<void()> onClick);
    const std::vector<Item>& Items() const { return items_; }
    // Shows the menu at a screen point and runs the chosen item, if any.
    void Popup(int screenX, int screenY);

private:
    std::vector<Item> items_;
};

class Container;
class Form;
struct NativeWindow; // the backend's window of a control; none headless
struct NativeDeleter {
    void operator()(NativeWindow* window) const;
};
using NativeWindowOwner = std::unique_ptr<NativeWindow, NativeDeleter>;

class Control;
// A control's window as a number, for services that take a window (the
// folder dialog's owner); 0 while it has none.
std::uintptr_t WindowIdOf(const Control& control);

class Control {
public:
    enum class Kind {
        Form, Notebook, Page, GroupBox, PaintBox, Panel, // containers
        Button, SpeedButton, Label, Edit, ListBox, ProgressBar, RichMemo, Image,
    };

    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Kind GetKind() const { return kind_; }
    Container* Parent() const { return parent_; }
    Form* OwnerForm();
    const Bounds& GetBounds() const { return bounds_; }
    void SetPosition(int left, int top);
    // Moves the control into another container, keeping its left and top
    // (now in the new parent's client area) and coming to lie above the
    // new parent's other children.
    void SetParent(Container& parent);

    const std::string& Text() const { return text_; }
    virtual void SetText(const std::string& text);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Visible and enabled up to the form: what a user can reach.
    bool Showing() const;
    bool Usable() const;

    const FontSpec& Font() const { return font_; }
    void SetFont(const FontSpec& font);
    Color BackColor() const { return color_; }
    void SetColor(Color color);

    // A control with its own window can take the focus and has a place in
    // its parent's tab order; labels, speed buttons, images and painted
    // controls have neither.
    bool Windowed() const;
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop);
    int TabOrder() const;
    void SetTabOrder(int position);

    void SetFocus();
    bool Focused() const;
    // Redraws the control and its children at once, without waiting for
    // the message loop (the engine runs inside a click).
    void Repaint();

    // Slot of the screen's cursor table shown over the control.
    int Cursor() const { return cursor_; }
    void SetCursor(int slot) { cursor_ = slot; }
    // Shown on a right-click; not owned.
    PopupMenu* ContextMenu() const { return contextMenu_; }
    void SetContextMenu(PopupMenu* menu) { contextMenu_ = menu; }

    // Mouse events. Labels, images and a form's background report them;
    // buttons report clicks only.
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    std::function<void(MouseButton button, int x, int y)> OnMouseDown;
    std::function<void(MouseButton button, int x, int y)> OnMouseUp;
    // What each does; a derived control adds to them.
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(MouseButton button, int x, int y);
    virtual void MouseUp(MouseButton button, int x, int y);

    NativeWindow* Native() const { return native_.get(); }
    // For the backend: the text the user changed in the native window.
    void TextChangedByUser(const std::string& text);
    // For the backend: the mouse as the user works it. A left press and
    // release on the control is a click, reported before the release; a
    // release elsewhere is no click.
    void MousePressed(MouseButton button, int x, int y);
    void MouseReleased(MouseButton button, int x, int y, bool inside);
    // The second press of a double-click: no click follows its release.
    void MouseDoubleClicked(int x, int y);
    void ContextMenuRequested(int screenX, int screenY);

protected:
    Control(Container* parent, Kind kind, const Bounds& bounds, const std::string& text = {});
    // The backend's window, made once the derived part is set up.
    void Realize();

private:
    void PassFocusOn();
    friend class Container;
    Container* parent_;
    Kind kind_;
    Bounds bounds_;
    std::string text_;
    bool visible_ = true;
    bool enabled_ = true;
    bool tabStop_ = false;
    bool leftPressed_ = false;
    int cursor_ = 0;
    PopupMenu* contextMenu_ = nullptr;
    FontSpec font_;
    Color color_ = clBtnFace;
    NativeWindowOwner native_;
};

class Container : public Control {
public:
    ~Container() override;
    const std::vector<Control*>& Children() const { return children_; }
    // Windowed children in tab order.
    const std::vector<Control*>& TabList() const { return tabList_; }

protected:
    using Control::Control;

private:
    friend class Control;
    void Add(Control& child);
    void Remove(Control& child);
    std::vector<Control*> children_;
    std::vector<Control*> tabList_;
};

// A top-level dialog-style window: fixed single border, close box only (or
// no caption-bar buttons and no system menu at all), centred on the screen,
// shown modally.
enum class FormBorder { DialogWithClose, DialogWithoutButtons };

class Form : public Container {
public:
    Form(int clientWidth, int clientHeight, const FontSpec& font = {},
         FormBorder border = FormBorder::DialogWithClose);
    ~Form() override;
    FormBorder Border() const { return border_; }
    // The window's own size with border and caption bar.
    Size WindowSize() const;

    void SetCaption(const std::string& caption) { SetText(caption); }
    const std::string& Caption() const { return Text(); }
    // Runs once the modal run has put the window on the screen, before
    // its first message; a window that works by itself starts here.
    std::function<void()> OnShown;
    // Shows the window and runs its messages until it is closed; returns at
    // once, without showing it, when it was closed or told to quit before.
    void ShowModal();
    // Ends the modal run (hides the window); also before it started.
    void Close();
    void RequestQuit();
    bool Closed() const { return closed_; }
    bool QuitRequested() const { return quit_; }
    bool Shown() const { return shown_; }

    // The control that has the focus when the window is shown.
    void SetActiveControl(Control& control) { active_ = &control; }
    Control* ActiveControl() const { return active_; }

    // Keyboard navigation: the next reachable tab stop after current in
    // tab order (first when current is none), and the enabled, showing
    // button whose caption marks letter as its accelerator.
    Control* NextTabStop(const Control* current, bool forward) const;
    class Button* FindAccelerator(char letter) const;
    // The default button that Enter presses, when it can be reached.
    class Button* DefaultButton() const;

    // For the backend.
    void SetShown(bool shown) { shown_ = shown; }

private:
    FormBorder border_;
    bool closed_ = false;
    bool quit_ = false;
    bool shown_ = false;
    Control* active_ = nullptr;
};

// A page of a notebook: a plain container the size of the notebook.
class Page : public Container {
public:
    Page(Container* notebook, const std::string& name);
};

// A stack of pages, one shown at a time, without tabs.
class Notebook : public Container {
public:
    Notebook(Container* parent, const Bounds& bounds, int pageCount);
    Page& GetPage(int index) { return *pages_[static_cast<std::size_t>(index)]; }
    int PageIndex() const { return pageIndex_; }
    void SetPageIndex(int index);
    void SetPageNames(const std::vector<std::string>& names);

private:
    std::vector<std::unique_ptr<Page>> pages_;
    int pageIndex_ = 0;
};

// A framed box with a caption drawn in its own caption font; its children
// keep the font they were given.
class GroupBox : public Container {
public:
    GroupBox(Container* parent, const Bounds& bounds, const std::string& caption = {});
    const FontSpec& CaptionFont() const { return captionFont_; }
    void SetCaptionFont(const FontSpec& font);

private:
    FontSpec captionFont_;
};

// A window the program paints itself: the hosted components draw on it
// through a canvas. It never erases its background: the painting covers it.
class PaintBox : public Container {
public:
    PaintBox(Container* parent, const Bounds& bounds);
    std::function<void(Canvas&)> OnPaint;
    // Paint later (with the next messages) or right now.
    void Invalidate();
    void PaintNow();
};

// A plain panel with a bevelled edge: each bevel drawn raised, lowered or
// not at all, the outer one first.
enum class Bevel { None, Lowered, Raised };

class Panel : public Container {
public:
    Panel(Container* parent, const Bounds& bounds, Bevel inner, Bevel outer);
    Bevel BevelInner() const { return inner_; }
    Bevel BevelOuter() const { return outer_; }

private:
    Bevel inner_;
    Bevel outer_;
};

// A picture from the program's bitmap resources, stretched over the control
// or at its own size, centred or at the top-left; without one the control
// shows nothing and lets the mouse through.
class Image : public Control {
public:
    Image(Container* parent, const Bounds& bounds);
    // pictureSize is the bitmap's own size, as drawn.
    void SetPicture(const char* resource, Size pictureSize, bool stretch, bool center);
    const char* Picture() const { return picture_; }
    Size PictureSize() const { return pictureSize_; }
    bool Stretch() const { return stretch_; }
    bool Center() const { return center_; }

private:
    const char* picture_ = nullptr;
    Size pictureSize_;
    bool stretch_ = false;
    bool center_ = false;
};

class Button : public Control {
public:
    Button(Container* parent, const Bounds& bounds, const std::string& caption);
    // The form's default button: Enter presses it wherever the focus is.
    bool Default() const { return default_; }
    void SetDefault(bool isDefault);

protected:
    Button(Container* parent, Kind kind, const Bounds& bounds, const std::string& caption);

private:
    bool default_ = false;
};

// A flat button that is no tab stop; optionally a picture from the
// resources: two square images side by side, normal and disabled.
class SpeedButton : public Button {
public:
    SpeedButton(Container* parent, const Bounds& bounds, const std::string& caption,
                const char* glyphResource = nullptr);
    const char* GlyphResource() const { return glyph_; }

private:
    const char* glyph_;
};

class Label : public Control {
public:
    // With autoSize the label grows to its text: to the text's width and
    // height, or, word-wrapped, to the height of the wrapped lines.
    Label(Container* parent, const Bounds& bounds, const std::string& caption = {}, TextAlign align = TextAlign::Left,
          bool wordWrap = false, bool autoSize = true);
    TextAlign Alignment() const { return align_; }
    bool WordWrap() const { return wordWrap_; }
    bool AutoSize() const { return autoSize_; }

private:
    TextAlign align_;
    bool wordWrap_;
    bool autoSize_;
};

class Edit : public Control {
public:
    Edit(Container* parent, const Bounds& bounds, bool readOnly);
    bool ReadOnly() const { return readOnly_; }
    // Runs after every change of the text, by the program or the user.
    std::function<void()> OnChange;
    void SetText(const std::string& text) override;

private:
    bool readOnly_;
};

class ListBox : public Control {
public:
    ListBox(Container* parent, const Bounds& bounds, int itemHeight);
    void AddLine(const std::string& line);
    const std::vector<std::string>& Lines() const { return lines_; }
    int ItemHeight() const { return itemHeight_; }

private:
    std::vector<std::string> lines_;
    int itemHeight_;
};

class ProgressBar : public Control {
public:
    ProgressBar(Container* parent, const Bounds& bounds);
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    void SetMax(int max);
    void SetPosition(int position);

private:
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
};

// A text file's bytes as a RichMemo loads them; throws
// Exception("Cannot open file " + path).
std::string LoadTextFile(const std::string& path);

// A read-only text box that loads a file: rich text shown formatted unless
// PlainText is set, any other file as plain text.
class RichMemo : public Control {
public:
    RichMemo(Container* parent, const Bounds& bounds);
    bool PlainText() const { return plainText_; }
    void SetPlainText(bool plain) { plainText_ = plain; }
    // Replaces the content; throws Exception("Cannot open file " + path).
    void LoadFromFile(const std::string& path);
    // What was loaded, as read, and whether it is shown as rich text.
    const std::string& Content() const { return content_; }
    bool ShowsRichText() const { return rich_; }

private:
    bool plainText_ = true;
    std::string content_;
    bool rich_ = false;
};

// True for content that starts as a rich-text document does.
bool IsRichText(const std::string& content);

} // namespace tarvex::platform
