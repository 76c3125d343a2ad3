#pragma once
// The clipboard's plain-text format.
#include <string>

namespace tarvex::platform {

// Replaces the clipboard's content with the text; false when the clipboard
// could not be had.
bool SetClipboardText(const std::string& text);
// The clipboard's text, empty when it holds none.
std::string ClipboardText();

} // namespace tarvex::platform
