#pragma once
// A canvas that draws into an off-screen bitmap whose pixels can be read
// back: what the components really put on screen, for checks and pictures.
// Windows build only (GDI does the drawing).
#include "platform/Canvas.h"

#include <memory>

namespace tarvex::platform {

class BitmapCanvas : public Canvas {
public:
    BitmapCanvas(int width, int height, Color background);
    ~BitmapCanvas() override;
    BitmapCanvas(const BitmapCanvas&) = delete;
    BitmapCanvas& operator=(const BitmapCanvas&) = delete;

    // The RGB colour at (x, y).
    Color Pixel(int x, int y) const;

    void FillRect(const Rect& rect, Color color) override;
    Size MeasureText(const std::string& text, const FontSpec& font) override;
    void DrawRotatedText(int x, int y, const std::string& text, const FontSpec& font, int escapement,
                         Color color) override;
    void DrawFormattedText(const Rect& rect, const std::string& text, const FontSpec& font, unsigned flags,
                           Color color) override;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace tarvex::platform
