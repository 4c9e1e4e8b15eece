#pragma once
// A 5 x 7 pixel font for the labels of the spectrum plot: upper-case letters (lower
// case is drawn as upper case), digits and a few signs. Pure C++.
#include <string>

#include "host/PngWriter.h"

namespace qx::host {

// Draws text with its top-left corner at (x, y), each font pixel scale x scale.
void DrawText(RgbImage& image, int x, int y, const std::string& text, uint32_t rgb, int scale = 1);
int TextWidth(const std::string& text, int scale = 1);
inline constexpr int kGlyphHeight = 7;

}  // namespace qx::host
