#include "host/SpectrumPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "host/BitmapFont.h"

namespace qx::host {

namespace {
constexpr int kWidth = 1000, kHeight = 560;
constexpr int kLeft = 80, kRight = kWidth - 30, kTop = 60, kBottom = kHeight - 60;
constexpr double kMinHz = 20;
constexpr double kRangeDb = 100;
constexpr uint32_t kAxis = 0x000000, kGrid = 0xDDDDDD, kMinorGrid = 0xF0F0F0, kText = 0x202020;

struct FrequencyTick {
    double hz;
    const char* label;
};
constexpr FrequencyTick kTicks[] = {{20, "20"},    {50, "50"},    {100, "100"}, {200, "200"},
                                    {500, "500"},  {1000, "1K"},  {2000, "2K"}, {5000, "5K"},
                                    {10000, "10K"}, {20000, "20K"}, {50000, "50K"}};

// Maps frequency and level to pixels.
class Axes {
public:
    Axes(double maxHz, double topDb, double rangeDb = kRangeDb) : maxHz_(maxHz), topDb_(topDb), rangeDb_(rangeDb) {}
    double X(double hz) const {
        return kLeft + (kRight - kLeft) * std::log(hz / kMinHz) / std::log(maxHz_ / kMinHz);
    }
    double Hz(double x) const { return kMinHz * std::pow(maxHz_ / kMinHz, (x - kLeft) / (kRight - kLeft)); }
    double Y(double db) const {
        const double clamped = std::min(topDb_, std::max(topDb_ - rangeDb_, db));
        return kTop + (kBottom - kTop) * (topDb_ - clamped) / rangeDb_;
    }
    double TopDb() const { return topDb_; }
    double RangeDb() const { return rangeDb_; }
    double MaxHz() const { return maxHz_; }

private:
    double maxHz_, topDb_, rangeDb_;
};

void Line(RgbImage& img, int x0, int y0, int x1, int y1, uint32_t rgb) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        img.Set(x0, y0, rgb);
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void Grid(RgbImage& img, const Axes& a, const PlotText& text) {
    for (double decade = 10; decade < a.MaxHz(); decade *= 10)
        for (int m = 1; m < 10; ++m) {
            const double hz = decade * m;
            if (hz >= kMinHz && hz <= a.MaxHz()) Line(img, int(a.X(hz)), kTop, int(a.X(hz)), kBottom, kMinorGrid);
        }
    for (const FrequencyTick& t : kTicks) {
        if (t.hz > a.MaxHz()) break;
        const int x = int(a.X(t.hz));
        Line(img, x, kTop, x, kBottom, kGrid);
        Line(img, x, kBottom, x, kBottom + 5, kAxis);
        text.Draw(img, x - text.Width(t.label, 2) / 2, kBottom + 10, t.label, kText, 2);
    }
    const int dbStep = a.RangeDb() > 60 ? 10 : 5;
    for (int step = 0; step <= int(a.RangeDb()) / dbStep; ++step) {
        const double db = a.TopDb() - dbStep * step;
        const int y = int(a.Y(db));
        Line(img, kLeft, y, kRight, y, kGrid);
        Line(img, kLeft - 5, y, kLeft, y, kAxis);
        if (step % 2 == 0) {
            const std::string label = std::to_string(int(db));
            text.Draw(img, kLeft - 10 - text.Width(label, 2), y - kGlyphHeight, label, kText, 2);
        }
    }
    Line(img, kLeft, kTop, kLeft, kBottom, kAxis);
    Line(img, kLeft, kBottom, kRight, kBottom, kAxis);
    Line(img, kRight, kTop, kRight, kBottom, kAxis);
    Line(img, kLeft, kTop, kRight, kTop, kAxis);
    text.Draw(img, kRight - text.Width("HZ", 2), kBottom + 32, "HZ", kText, 2);
    text.Draw(img, 10, kTop - 24, "DB", kText, 2);
}

// One column per pixel: the loudest bin the column covers, joined by lines.
void Curve(RgbImage& img, const Axes& a, const Spectrum& s, uint32_t rgb) {
    int px = -1, py = 0;
    for (int x = kLeft; x <= kRight; ++x) {
        const double db = s.PeakDb(a.Hz(x - 0.5), a.Hz(x + 0.5));
        const int y = int(std::lround(a.Y(db)));
        if (px >= 0) {
            Line(img, px, py, x, y, rgb);
            Line(img, px, py + 1, x, y + 1, rgb);
        }
        px = x;
        py = y;
    }
}

struct LegendEntry {
    std::string label;
    uint32_t rgb;
};

void Legend(RgbImage& img, const std::vector<LegendEntry>& entries, const PlotText& text) {
    int y = kTop + 12;
    for (const auto& e : entries) {
        for (int t = 0; t < 3; ++t) Line(img, kRight - 150, y + 6 + t, kRight - 115, y + 6 + t, e.rgb);
        text.Draw(img, kRight - 105, y, e.label, kText, 2);
        y += 22;
    }
}
}  // namespace

RgbImage PlotSpectra(const Spectrum& input, const Spectrum& output, double rate, const std::string& title,
                     const PlotText& text) {
    RgbImage img(kWidth, kHeight);
    const double loudest = std::max(input.PeakDb(kMinHz, rate / 2), output.PeakDb(kMinHz, rate / 2));
    const double top = std::min(20.0, std::ceil(loudest / 10) * 10);
    const Axes axes(rate / 2, top);
    Grid(img, axes, text);
    Curve(img, axes, input, kInputColour);
    Curve(img, axes, output, kOutputColour);
    Legend(img, {{"INPUT", kInputColour}, {"OUTPUT", kOutputColour}}, text);
    text.Draw(img, kLeft, 18, title, kText, 2);
    return img;
}

RgbImage PlotResponses(const std::vector<Spectrum>& channels, const std::vector<std::string>& labels, double maxHz,
                       const std::string& title, const PlotText& text) {
    constexpr uint32_t kPalette[] = {0x1F77B4, 0xD62728, 0x2CA02C, 0xFF7F0E, 0x9467BD, 0x8C564B, 0xE377C2, 0x17BECF};
    RgbImage img(kWidth, kHeight);
    double loudest = 0;
    for (const Spectrum& s : channels) loudest = std::max(loudest, s.PeakDb(kMinHz, maxHz));
    const Axes axes(maxHz, std::ceil(loudest / 10) * 10 + 10, 40);
    Grid(img, axes, text);
    std::vector<LegendEntry> legend;
    for (size_t c = 0; c < channels.size(); ++c) {
        const uint32_t rgb = kPalette[c % std::size(kPalette)];
        Curve(img, axes, channels[c], rgb);
        legend.push_back({c < labels.size() ? labels[c] : "CH " + std::to_string(c + 1), rgb});
    }
    Legend(img, legend, text);
    text.Draw(img, kLeft, 18, title, kText, 2);
    return img;
}

}  // namespace qx::host
