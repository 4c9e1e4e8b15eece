#pragma once
// Plot labels drawn with a GDI font: each text is rendered black on white into a small
// DIB section, and its coverage blends the colour into the image.
#include <windows.h>

#include <memory>

#include "host/PlotText.h"

namespace qx::host {

class GdiPlotText final : public PlotText {
public:
    // Null when no memory DC or font can be had.
    static std::unique_ptr<GdiPlotText> Create();
    ~GdiPlotText() override;

    void Draw(RgbImage& image, int x, int y, const std::string& text, uint32_t rgb, int scale) const override;
    int Width(const std::string& text, int scale) const override;

private:
    GdiPlotText() = default;
    HFONT FontFor(int scale) const;

    HDC dc_ = nullptr;
    HGDIOBJ originalFont_ = nullptr;
    HFONT fonts_[4] = {};  // by scale 1 to 4
};

}  // namespace qx::host
