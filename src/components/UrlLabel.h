#pragma once
// TUrlLabel: a label that behaves like a hyperlink. Blue and underlined
// under the pointing-hand cursor, in its active colour while the left button
// is held on it; a click opens its link with the shell, and its context menu
// copies the caption.
#include "platform/Ui.h"

#include <string>

namespace tarvex {

// The screen cursor slot of the pointing hand, and its cursor resource.
constexpr int crHand = 5;
constexpr char kHandCursor[] = "HAND";

// What a click hands to the shell: the URL as stored unless it is blank
// (only blanks and control characters), else the caption; empty when that
// is blank too, and nothing is opened.
std::string LinkTarget(const std::string& url, const std::string& caption);

class TUrlLabel : public platform::Label {
public:
    TUrlLabel(platform::Container* parent, const platform::Bounds& bounds, const std::string& caption = {},
              bool autoSize = true);

    std::string URL;
    platform::Color ActiveColor = platform::clPurple;
    platform::Color SavedColor() const { return SavedColor_; }
    platform::PopupMenu& CopyMenu() { return CopyMenu_; }

    // The inherited click (OnClick), then the link opened.
    void Click() override;
    void MouseDown(platform::MouseButton button, int x, int y) override;
    void MouseUp(platform::MouseButton button, int x, int y) override;
    // The context menu's "Copy": the caption, not the URL.
    void CopyClick();

private:
    void SetFontColor(platform::Color color);

    platform::Color SavedColor_ = platform::clBlue;
    platform::PopupMenu CopyMenu_;
};

} // namespace tarvex
