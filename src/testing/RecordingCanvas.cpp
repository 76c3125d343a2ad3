#include "testing/RecordingCanvas.h"

#include <cstdlib>

namespace tarvex::platform {

void RecordingCanvas::FillRect(const Rect& rect, Color color)
{
    CanvasCall call;
    call.kind = CanvasCall::Kind::FillRect;
    call.rect = rect;
    call.color = color;
    calls.push_back(call);
}

Size RecordingCanvas::MeasureText(const std::string& text, const FontSpec& font)
{
    CanvasCall call;
    call.kind = CanvasCall::Kind::MeasureText;
    call.text = text;
    call.font = font;
    calls.push_back(call);
    return {static_cast<int>(text.size()) * charWidth, std::abs(font.height)};
}

void RecordingCanvas::DrawRotatedText(int x, int y, const std::string& text, const FontSpec& font, int escapement,
                                      Color color)
{
    CanvasCall call;
    call.kind = CanvasCall::Kind::DrawRotatedText;
    call.x = x;
    call.y = y;
    call.text = text;
    call.font = font;
    call.escapement = escapement;
    call.color = color;
    calls.push_back(call);
}

void RecordingCanvas::DrawFormattedText(const Rect& rect, const std::string& text, const FontSpec& font, unsigned flags,
                               Color color)
{
    CanvasCall call;
    call.kind = CanvasCall::Kind::DrawFormattedText;
    call.rect = rect;
    call.text = text;
    call.font = font;
    call.flags = flags;
    call.color = color;
    calls.push_back(call);
}

std::vector<CanvasCall> RecordingCanvas::Calls(CanvasCall::Kind kind) const
{
    std::vector<CanvasCall> result;
    for (const CanvasCall& call : calls)
        if (call.kind == kind) result.push_back(call);
    return result;
}

} // namespace tarvex::platform
