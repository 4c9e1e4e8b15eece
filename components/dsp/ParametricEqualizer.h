#pragma once
// The 15-band parametric equaliser: a Bass low shelf and a Treble high shelf, then 15
// peaking bands whose frequency, gain (-12 to +12 dB) and Q come from filter records.
// A filter whose frequency lies outside 20 Hz to 0.45 times the rate stays off.
//   35 / 37, 1 byte: Bass / Treble on
//   36 / 38, 8 bytes: Bass / Treble frequency (u32) and gain (signed low 16 bits)
//   39, 240 bytes: 15 records of {on byte, 3 zero bytes, frequency, gain, Q as float}
//   40, 1 byte: phase mode (0 minimal, else linear); both run minimum-phase sections here
//   41, 1 byte: 0 runs the bands in parallel (their boosts add), else in cascade
// Every change glides (20 ms) instead of jumping: gains in even dB steps, frequencies
// on a log scale, Q linearly; a filter switched on or off glides from or to 0 dB. A change
// between parallel and cascade glides the bands to 0 dB, changes over (at 0 dB the two
// arrangements are the same) and glides them back.
#include <atomic>

#include "components/dsp/Biquad.h"
#include "components/dsp/ChangeCounter.h"
#include "components/dsp/Effect.h"
#include "components/dsp/SmoothedSection.h"
#include "settings/ParameterProtocol.h"

namespace qx::fx {

class ParametricEqualizer final : public Effect {
public:
    static constexpr uint32_t kBands = param::kEq15BandCount;
    static constexpr int32_t kMaxGainDb = 12;
    enum : uint8_t {
        kBassOn = param::kEq15BassOn,
        kBassFilter = param::kEq15BassFilter,
        kTrebleOn = param::kEq15TrebleOn,
        kTrebleFilter = param::kEq15TrebleFilter,
        kBands15 = param::kEq15Bands,
        kPhaseMode = param::kEq15PhaseMode,
        kParallelMode = param::kEq15ParallelMode,
    };

    void Prepare(double rate, uint32_t channels) override;
    ParamStatus SetParameter(uint8_t id, uint8_t size, const uint8_t* data) override;
    void Process(float* const* buffers, uint32_t frames) override;

private:
    struct Filter {
        std::atomic<bool> on{false};
        std::atomic<uint32_t> frequency{1000};
        std::atomic<int32_t> gain{0};
        std::atomic<float> q{1.0f};
    };
    void StoreFilter(Filter& f, const uint8_t* data);
    void Retarget(bool snap);
    void TargetFilter(const Filter& f, SmoothedSection& s, bool flat, bool snap);
    bool InRange(double hz) const;
    void Advance(uint32_t frames);
    void ProcessChannel(uint32_t channel, float* buffer, uint32_t frames);

    Filter bass_, treble_;
    Filter bands_[kBands];
    std::atomic<bool> linearPhase_{false};
    std::atomic<bool> cascade_{false};
    ChangeCounter changes_;

    double rate_ = 48000;
    uint32_t channels_ = 0;
    bool running_ = false;  // audio has passed since Prepare; changes before that apply at once
    bool cascadeNow_ = false;     // the arrangement the bands run in
    bool cascadeWanted_ = false;  // the one asked for; differs while changing over
    SmoothedSection bassSection_, trebleSection_;
    SmoothedSection bandSections_[kBands];
    BiquadState shelfState_[kMaxChannels][2];
    BiquadState bandState_[kMaxChannels][kBands];
};

}  // namespace qx::fx
