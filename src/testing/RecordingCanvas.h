#pragma once
// A canvas that draws nothing and remembers every call, for tests of the
// components' painting. Text is measured as a fixed width per character and
// the font's height.
#include "platform/Canvas.h"

#include <vector>

namespace tarvex::platform {

struct CanvasCall {
    enum class Kind { FillRect, MeasureText, DrawRotatedText, DrawFormattedText };
    Kind kind = Kind::FillRect;
    Rect rect;          // FillRect, DrawFormattedText
    int x = 0;          // DrawRotatedText
    int y = 0;
    std::string text;
    FontSpec font;
    int escapement = 0; // DrawRotatedText, tenths of a degree
    unsigned flags = 0; // DrawFormattedText
    Color color = 0;
};

class RecordingCanvas : public Canvas {
public:
    int charWidth = 8;
    std::vector<CanvasCall> calls;

    void FillRect(const Rect& rect, Color color) override;
    Size MeasureText(const std::string& text, const FontSpec& font) override;
    void DrawRotatedText(int x, int y, const std::string& text, const FontSpec& font, int escapement,
                         Color color) override;
    void DrawFormattedText(const Rect& rect, const std::string& text, const FontSpec& font, unsigned flags,
                  Color color) override;

    // The calls of one kind, in order.
    std::vector<CanvasCall> Calls(CanvasCall::Kind kind) const;
};

} // namespace tarvex::platform
