#pragma once
// PNG files written through the Windows Imaging Component (24-bit, its own compression).
#include <string>

#include "host/PngWriter.h"

namespace qx::host {

bool WritePngWithWic(const std::string& path, const RgbImage& image, std::string& error);

}  // namespace qx::host
