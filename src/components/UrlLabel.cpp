#include "components/UrlLabel.h"

#include "base/Text.h"
#include "platform/Clipboard.h"
#include "platform/Shell.h"

namespace tarvex {

namespace {
constexpr char kCopy[] = "Copy";
} // namespace

std::string LinkTarget(const std::string& url, const std::string& caption)
{
    const std::string& target = Trim(url).empty() ? caption : url;
    return Trim(target).empty() ? std::string() : target;
}

TUrlLabel::TUrlLabel(platform::Container* parent, const platform::Bounds& bounds, const std::string& caption,
                     bool autoSize)
    : Label(parent, bounds, caption, platform::TextAlign::Left, false, autoSize)
{
    // Every label loads the cursor again, as the slot may have been reused.
    platform::SetScreenCursor(crHand, kHandCursor);
    SetCursor(crHand);
    platform::FontSpec font = Font();
    font.color = platform::clBlue;
    font.bold = font.italic = font.strikeOut = false;
    font.underline = true;
    SetFont(font);
    CopyMenu_.Add(kCopy, [this] { CopyClick(); });
    SetContextMenu(&CopyMenu_);
}

void TUrlLabel::Click()
{
    Label::Click();
    std::string target = LinkTarget(URL, Text());
    if (!target.empty()) platform::OpenDocument(target);
}

void TUrlLabel::MouseDown(platform::MouseButton button, int x, int y)
{
    if (button == platform::MouseButton::Left) {
        SavedColor_ = Font().color;
        SetFontColor(ActiveColor);
    }
    Label::MouseDown(button, x, y);
}

void TUrlLabel::MouseUp(platform::MouseButton button, int x, int y)
{
    if (button == platform::MouseButton::Left) SetFontColor(SavedColor_);
    Label::MouseUp(button, x, y);
}

void TUrlLabel::CopyClick() { platform::SetClipboardText(Text()); }

void TUrlLabel::SetFontColor(platform::Color color)
{
    platform::FontSpec font = Font();
    font.color = color;
    SetFont(font);
}

} // namespace tarvex
