#include "host/GdiPlotText.h"

#include <algorithm>
#include <string>

namespace qx::host {

namespace {
constexpr int kMaxScale = 4;

// A top-down 32-bit DIB section selected into a DC for the life of the object.
class Canvas {
public:
    Canvas(HDC dc, int width, int height) : dc_(dc) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_ = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        if (bitmap_) previous_ = SelectObject(dc, bitmap_);
    }
    ~Canvas() {
        if (!bitmap_) return;
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
    }
    const uint32_t* Pixels() const { return static_cast<const uint32_t*>(bits_); }

private:
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    void* bits_ = nullptr;
};

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }
}  // namespace

std::unique_ptr<GdiPlotText> GdiPlotText::Create() {
    std::unique_ptr<GdiPlotText> t(new GdiPlotText);
    t->dc_ = CreateCompatibleDC(nullptr);
    if (!t->dc_) return nullptr;
    for (int s = 1; s <= kMaxScale; ++s) {
        // A cap height near the bitmap font's 7 pixels per scale step.
        t->fonts_[s - 1] = CreateFontW(-10 * s, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Arial");
        if (!t->fonts_[s - 1]) return nullptr;
    }
    t->originalFont_ = SelectObject(t->dc_, t->fonts_[0]);
    return t;
}

GdiPlotText::~GdiPlotText() {
    if (dc_) {
        if (originalFont_) SelectObject(dc_, originalFont_);
        DeleteDC(dc_);
    }
    for (HFONT f : fonts_)
        if (f) DeleteObject(f);
}

HFONT GdiPlotText::FontFor(int scale) const { return fonts_[std::min(kMaxScale, std::max(1, scale)) - 1]; }

int GdiPlotText::Width(const std::string& text, int scale) const {
    SelectObject(dc_, FontFor(scale));
    const std::wstring w = Wide(text);
    SIZE size{};
    GetTextExtentPoint32W(dc_, w.c_str(), int(w.size()), &size);
    return size.cx;
}

void GdiPlotText::Draw(RgbImage& image, int x, int y, const std::string& text, uint32_t rgb, int scale) const {
    SelectObject(dc_, FontFor(scale));
    const std::wstring w = Wide(text);
    SIZE size{};
    if (w.empty() || !GetTextExtentPoint32W(dc_, w.c_str(), int(w.size()), &size) || size.cx <= 0) return;
    const Canvas canvas(dc_, size.cx, size.cy);
    if (!canvas.Pixels()) return;
    RECT all{0, 0, size.cx, size.cy};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, RGB(0, 0, 0));
    TextOutW(dc_, 0, 0, w.c_str(), int(w.size()));
    GdiFlush();
    // The font's internal leading sits above the capitals; start the text where the
    // bitmap font's top row would be.
    TEXTMETRICW m{};
    GetTextMetricsW(dc_, &m);
    const int top = y - m.tmInternalLeading;
    for (int row = 0; row < size.cy; ++row)
        for (int col = 0; col < size.cx; ++col) {
            const double cover = 1.0 - double(canvas.Pixels()[row * size.cx + col] & 0xFF) / 255.0;
            if (cover <= 0) continue;
            const uint32_t under = image.Get(x + col, top + row);
            uint32_t mixed = 0;
            for (int shift = 0; shift <= 16; shift += 8) {
                const double a = double((under >> shift) & 0xFF), b = double((rgb >> shift) & 0xFF);
                mixed |= uint32_t(a + (b - a) * cover + 0.5) << shift;
            }
            image.Set(x + col, top + row, mixed);
        }
}

}  // namespace qx::host
