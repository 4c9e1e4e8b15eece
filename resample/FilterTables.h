#pragma once
// Fixed coefficient tables of the conversion stages (32-bit floats). No filter is
// designed at run time; the two polyphase tables come from resample/tools/design_poly.py.
#include <array>
#include <cstddef>

#include "resample/PolyTables.h"

namespace qx::filters {

namespace detail {
// Builds an even-symmetric table of `Full` taps from its first half (centre included):
// h[k] = h[Full - 1 - k].
template <size_t Full, size_t Half>
constexpr std::array<float, Full> Mirror(const float (&half)[Half]) {
    std::array<float, Full> out{};
    for (size_t k = 0; k < Half; ++k) {
        out[k] = half[k];
        out[Full - 1 - k] = half[k];
    }
    return out;
}

// h[k] = h[Full - 1 - k] for a table with a centre tap, followed by one zero entry.
template <size_t Taps, size_t Half>
constexpr std::array<float, Taps + 1> MirrorAroundCentre(const float (&half)[Half]) {
    std::array<float, Taps + 1> out{};
    for (size_t k = 0; k < Half; ++k) {
        out[k] = half[k];
        out[Taps - 1 - k] = half[k];
    }
    return out;
}

constexpr float kHalfBandHalf[33] = {
    0.000713736925f, 0.000320025749f, -0.00111696485f, -7.06710198e-05f, 0.0014817972f,  0.000209751059f,
    -0.00238504936f, 1.35412597e-06f, 0.00330683496f,  -0.000168309576f, -0.0046277456f, 0.000614506658f,
    0.00617883028f,  -0.00124144857f, -0.00814428553f, 0.00224072253f,   0.0105145425f,  -0.00366984261f,
    -0.0134453317f,  0.00574231194f,  0.0170828514f,   -0.0087110037f,   -0.0217647478f, 0.0130777406f,
    0.0281169023f,   -0.0198182929f,  -0.037602324f,   0.0313377716f,    0.0543179624f,  -0.0555032268f,
    -0.0956121013f,  0.142191321f,    0.456935793f,
};

constexpr float kThirdBandHalf[36] = {
    -0.000289139658f, -0.000412017223f, 0.0f, 0.000733814435f, 0.000938346609f, 0.0f,
    -0.00145006587f,  -0.00176403834f,  0.0f, 0.00252713892f,  0.00298483297f,  0.0f,
    -0.00407730369f,  -0.00472381711f,  0.0f, 0.00625330815f,  0.00715434598f,  0.0f,
    -0.00928815454f,  -0.010552817f,    0.0f, 0.0135903833f,   0.0154289585f,   0.0f,
    -0.0199996959f,   -0.0228949208f,   0.0f, 0.0306213666f,   0.0359865166f,   0.0f,
    -0.0526655465f,   -0.066929169f,    0.0f, 0.136829972f,    0.27516222f,     0.333333343f,
};

constexpr std::array<float, 72> TimesThree(const std::array<float, 72>& in) {
    std::array<float, 72> out{};
    for (size_t k = 0; k < 72; ++k) out[k] = 3.0f * in[k];
    return out;
}
}  // namespace detail

// Half-band low-pass for the factor-2 stages: 66 taps, linear phase, group delay 32.5
// samples at the higher rate.
inline constexpr std::array<float, 66> HalfBand66 = detail::Mirror<66>(detail::kHalfBandHalf);

// Third-band low-pass for the factor-3 stages: 71 taps symmetric about tap 35 (1/3),
// every third tap from the centre zero, stored with a 72nd entry 0.
inline constexpr std::array<float, 72> ThirdBand71 = detail::MirrorAroundCentre<71>(detail::kThirdBandHalf);

// ThirdBand71 times three (centre tap exactly 1.0): the gain an upsampling by 3 needs.
inline constexpr std::array<float, 72> ThirdBand72 = detail::TimesThree(ThirdBand71);

// Poly44to48 (160 phases x 20 taps) and Poly48to44 (147 phases x 24 taps, the last two
// zero) come from resample/PolyTables.h.

}  // namespace qx::filters
