#pragma once
// How the Windows tools write their plots: labels in a GDI font and the file through the
// Windows Imaging Component, each falling back to the host's own bitmap font and PNG
// encoder when the platform cannot provide it. COM must be started on the thread.
#include <memory>
#include <string>

#include "host/GdiPlotText.h"
#include "host/PngWriter.h"

namespace qx::host {

class PlatformPlot {
public:
    PlatformPlot() : gdi_(GdiPlotText::Create()) {}
    const PlotText& Text() const { return gdi_ ? static_cast<const PlotText&>(*gdi_) : BitmapPlotText(); }
    bool Write(const std::string& path, const RgbImage& image, std::string& error) const;

private:
    std::unique_ptr<GdiPlotText> gdi_;
};

}  // namespace qx::host
