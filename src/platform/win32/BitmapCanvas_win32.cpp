#include "platform/BitmapCanvas.h"

#include "base/Exception.h"
#include "platform/win32/GdiCanvas.h"

#include <cstdint>
#include <utility>

namespace tarvex::platform {

namespace {
constexpr char kNoSurface[] = "Cannot create a drawing surface";
} // namespace

// Members are destroyed from the last up: the bitmap leaves the device
// context before either is deleted.
struct BitmapCanvas::Impl {
    int width;
    int height;
    MemoryDc dc;
    GdiObject bitmap;
    std::uint32_t* bits;
    Selection selected;
    GdiCanvas canvas;

    Impl(int w, int h, MemoryDc memoryDc, GdiObject dib, std::uint32_t* pixels)
        : width(w), height(h), dc(std::move(memoryDc)), bitmap(std::move(dib)), bits(pixels),
          selected(dc.Get(), bitmap.Get()), canvas(dc.Get())
    {
    }
};

BitmapCanvas::BitmapCanvas(int width, int height, Color background)
{
    MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) throw Exception(kNoSurface);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject dib(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib) throw Exception(kNoSurface);
    impl_ = std::make_unique<Impl>(width, height, std::move(dc), std::move(dib), static_cast<std::uint32_t*>(bits));
    impl_->canvas.FillRect({0, 0, width, height}, background);
}

BitmapCanvas::~BitmapCanvas() = default;

Color BitmapCanvas::Pixel(int x, int y) const
{
    GdiFlush();
    const std::uint32_t bgr = impl_->bits[static_cast<std::size_t>(y) * impl_->width + x];
    return Rgb((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
}

void BitmapCanvas::FillRect(const Rect& rect, Color color) { impl_->canvas.FillRect(rect, color); }

Size BitmapCanvas::MeasureText(const std::string& text, const FontSpec& font)
{
    return impl_->canvas.MeasureText(text, font);
}

void BitmapCanvas::DrawRotatedText(int x, int y, const std::string& text, const FontSpec& font, int escapement,
                                   Color color)
{
    impl_->canvas.DrawRotatedText(x, y, text, font, escapement, color);
}

void BitmapCanvas::DrawFormattedText(const Rect& rect, const std::string& text, const FontSpec& font,
                                     unsigned flags, Color color)
{
    impl_->canvas.DrawFormattedText(rect, text, font, flags, color);
}

} // namespace tarvex::platform
