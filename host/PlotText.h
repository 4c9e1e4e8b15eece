#pragma once
// How a plot writes its labels. The host's 5 x 7 bitmap font is the default and needs
// nothing of the platform; a Windows program may hand the plots GDI text instead. Pure C++.
#include <string>

#include "host/PngWriter.h"

namespace qx::host {

class PlotText {
public:
    virtual ~PlotText() = default;
    // Text with its top-left corner at (x, y), about 7 x scale pixels high in capitals.
    virtual void Draw(RgbImage& image, int x, int y, const std::string& text, uint32_t rgb, int scale) const = 0;
    virtual int Width(const std::string& text, int scale) const = 0;
};

const PlotText& BitmapPlotText();

}  // namespace qx::host
