#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "resample/FilterTables.h"

using namespace qx::filters;

namespace {

// Magnitude response in dB relative to the response at DC, at frequency f (Hz) of a
// filter running at fs.
double ResponseDb(const std::vector<double>& h, double fs, double f) {
    constexpr double kPi = 3.14159265358979323846;
    const double w = -2.0 * kPi * f / fs;
    const double stepRe = std::cos(w), stepIm = std::sin(w);
    double rotRe = 1.0, rotIm = 0.0, accRe = 0.0, accIm = 0.0, dc = 0.0;
    for (double v : h) {
        accRe += v * rotRe;
        accIm += v * rotIm;
        const double re = rotRe * stepRe - rotIm * stepIm;
        rotIm = rotRe * stepIm + rotIm * stepRe;
        rotRe = re;
        dc += v;
    }
    return 20.0 * std::log10(std::hypot(accRe, accIm) / std::abs(dc));
}

// Largest response from `from` up to half of fs, sampled every `step` Hz.
double WorstStopbandDb(const std::vector<double>& h, double fs, double from, double step) {
    double worst = -1000.0;
    for (double f = from; f <= fs / 2; f += step) worst = std::max(worst, ResponseDb(h, fs, f));
    return worst;
}

// The same for the polyphase prototypes: finely near the band edge, where their worst
// lobes are, and coarsely up to half of the 7.056 MHz rate.
double WorstPolyStopbandDb(const std::vector<double>& h, double from) {
    const double fs = 7056000.0;
    double worst = -1000.0;
    for (double f = from; f < 100000.0; f += 250.0) worst = std::max(worst, ResponseDb(h, fs, f));
    for (double f = 100000.0; f <= fs / 2; f += 4000.0) worst = std::max(worst, ResponseDb(h, fs, f));
    return worst;
}

template <size_t Rows, size_t Taps>
std::vector<double> Prototype(const float (&table)[Rows][Taps]) {
    std::vector<double> h(Rows * Taps);
    for (size_t p = 0; p < Rows; ++p)
        for (size_t t = 0; t < Taps; ++t) h[Rows * t + p] = table[p][t];
    return h;
}

template <size_t N>
std::vector<double> ToDouble(const std::array<float, N>& a, size_t count = N) {
    return std::vector<double>(a.begin(), a.begin() + count);
}

// The table entry printed with 7 decimals, as reference values are given.
std::string Printed(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7f", static_cast<double>(v));
    return text;
}

}  // namespace

TEST(FilterTables, HalfBandIsSymmetricWithItsResponse) {
    double sum = 0.0;
    for (size_t k = 0; k < 66; ++k) {
        EXPECT_EQ(HalfBand66[k], HalfBand66[65 - k]) << k;
        sum += HalfBand66[k];
    }
    EXPECT_NEAR(sum, 1.001, 5e-4);
    EXPECT_FLOAT_EQ(HalfBand66[32], 0.456935793f);
    const auto h = ToDouble(HalfBand66);
    EXPECT_NEAR(ResponseDb(h, 1.0, 0.25), -3.4, 0.1);
    // About 60 dB down from 0.28 of the rate (59.8 at worst, just above 0.28).
    EXPECT_LT(WorstStopbandDb(h, 1.0, 0.28, 0.0005), -59.7);
}

TEST(FilterTables, ThirdBandTablesAreSymmetricWithZeroTapsAndGain) {
    double sum = 0.0;
    for (size_t k = 0; k < 71; ++k) {
        EXPECT_EQ(ThirdBand71[k], ThirdBand71[70 - k]) << k;
        if (k != 35 && k % 3 == 2) {
            EXPECT_EQ(ThirdBand71[k], 0.0f) << k;
        }
        EXPECT_EQ(ThirdBand72[k], 3.0f * ThirdBand71[k]) << k;
        sum += ThirdBand71[k];
    }
    EXPECT_NEAR(sum, 0.9997, 1e-4);
    EXPECT_EQ(ThirdBand71[35], 0.333333343f);
    EXPECT_EQ(ThirdBand72[35], 1.0f);
    EXPECT_EQ(ThirdBand71[71], 0.0f);
    EXPECT_EQ(ThirdBand72[71], 0.0f);
    const auto h = ToDouble(ThirdBand71, 71);
    EXPECT_NEAR(ResponseDb(h, 6.0, 1.0), -6.0, 0.1);
    // The last side lobe above 0.19 of the rate peaks at -54.3 dB; from 0.196 on, 57 dB down.
    EXPECT_LT(WorstStopbandDb(h, 1.0, 0.19, 0.0005), -54.0);
    EXPECT_LT(WorstStopbandDb(h, 1.0, 0.196, 0.0005), -57.0);
}

TEST(FilterTables, Poly44to48RowsAndResponse) {
    for (size_t t = 0; t < 20; ++t) EXPECT_EQ(Poly44to48[0][t], t == 10 ? 1.0f : 0.0f) << t;
    for (size_t p = 0; p < 160; ++p) {
        double sum = 0.0;
        for (float v : Poly44to48[p]) sum += v;
        EXPECT_NEAR(sum, 1.0, 5e-6) << p;
    }
    const char* row80[20] = {"-0.0000642", "0.0004606",  "-0.0017800", "0.0051159",  "-0.0122165",
                             "0.0257258",  "-0.0499678", "0.0942346",  "-0.1906177", "0.6291112",
                             "0.6291112",  "-0.1906177", "0.0942346",  "-0.0499678", "0.0257258",
                             "-0.0122165", "0.0051159",  "-0.0017800", "0.0004606",  "-0.0000642"};
    for (size_t t = 0; t < 20; ++t) EXPECT_EQ(Printed(Poly44to48[80][t]), row80[t]) << t;

    const auto h = Prototype(Poly44to48);
    const double fs = 7056000.0;
    EXPECT_NEAR(ResponseDb(h, fs, 22050.0), -6.0, 0.05);
    EXPECT_NEAR(ResponseDb(h, fs, 24000.0), -14.4, 0.05);
    EXPECT_LT(WorstPolyStopbandDb(h, 28000.0), -57.0);
}

TEST(FilterTables, Poly48to44RowsAndResponse) {
    for (size_t p = 0; p < 147; ++p) {
        EXPECT_EQ(Poly48to44[p][22], 0.0f) << p;
        EXPECT_EQ(Poly48to44[p][23], 0.0f) << p;
        double sum = 0.0;
        for (float v : Poly48to44[p]) sum += v;
        EXPECT_NEAR(sum, 1.0, 2e-5) << p;
    }
    const char* row0[24] = {"0.0000084",  "-0.0001362", "0.0006689",  "-0.0021753", "0.0055300",  "-0.0118127",
                            "0.0221088",  "-0.0373994", "0.0590734",  "-0.0921772", "0.1710394",  "0.9272827",
                            "-0.0472934", "0.0008136",  "0.0110975",  "-0.0124419", "0.0098317",  "-0.0063183",
                            "0.0033674",  "-0.0014536", "0.0004729",  "-0.0000944", "0.0000000",  "0.0000000"};
    for (size_t t = 0; t < 24; ++t) EXPECT_EQ(Printed(Poly48to44[0][t]), row0[t]) << t;

    const auto h = Prototype(Poly48to44);
    size_t largest = 0;
    for (size_t k = 1; k < h.size(); ++k)
        if (h[k] > h[largest]) largest = k;
    EXPECT_EQ(largest, 1600u);
    EXPECT_NEAR(h[largest], 0.946, 5e-4);

    const double fs = 7056000.0;
    EXPECT_NEAR(ResponseDb(h, fs, 22050.0), -4.2, 0.05);
    EXPECT_NEAR(ResponseDb(h, fs, 24000.0), -11.0, 0.05);
    EXPECT_LT(WorstPolyStopbandDb(h, 28000.0), -46.0);
}
