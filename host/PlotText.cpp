#include "host/PlotText.h"

#include "host/BitmapFont.h"

namespace qx::host {

namespace {
class BitmapText final : public PlotText {
public:
    void Draw(RgbImage& image, int x, int y, const std::string& text, uint32_t rgb, int scale) const override {
        DrawText(image, x, y, text, rgb, scale);
    }
    int Width(const std::string& text, int scale) const override { return TextWidth(text, scale); }
};
}  // namespace

const PlotText& BitmapPlotText() {
    static const BitmapText text;
    return text;
}

}  // namespace qx::host
