#include "host/PlatformPlot.h"

#include "host/WicPng.h"

namespace qx::host {

bool PlatformPlot::Write(const std::string& path, const RgbImage& image, std::string& error) const {
    if (WritePngWithWic(path, image, error)) return true;
    return WritePngFile(path, image, error);
}

}  // namespace qx::host
