#pragma once
// Vocal Remover: takes the centre (what the front left and right have in common) within
// a voice band out of the front pair, and the same band out of a centre channel. The
// amount runs from -48 (centre band doubled) through 0 (unchanged) to +48 (removed).
//   33, 1 byte: band, 0 male voice, 1 female voice, 2 bass, 3 full spectrum
//   34, 4 bytes: amount (signed low 16 bits)
// A new amount glides (20 ms); a new band fades the removal out, changes the band
// filters and fades it back in, so neither clicks.
#include <atomic>

#include "components/dsp/Biquad.h"
#include "components/dsp/ChangeCounter.h"
#include "components/dsp/Effect.h"
#include "components/dsp/Ramp.h"
#include "settings/ParameterProtocol.h"

namespace qx::fx {

class VocalRemover final : public Effect {
public:
    enum : uint8_t { kBand = param::kVocalRemoverBand, kAmount = param::kVocalRemoverAmount };
    enum Band : uint8_t { MaleVoice, FemaleVoice, Bass, FullSpectrum, kBandCount };
    struct BandEdges {
        double low, high;  // Hz; 0 means no filter on that side
    };
    static constexpr BandEdges kBandEdges[kBandCount] = {{90, 1100}, {180, 3500}, {30, 250}, {0, 0}};
    static constexpr int32_t kMaxAmount = 48;

    void Prepare(double rate, uint32_t channels) override;
    ParamStatus SetParameter(uint8_t id, uint8_t size, const uint8_t* data) override;
    void Process(float* const* buffers, uint32_t frames) override;

private:
    // The band-limiting filter pair with its state for one signal.
    struct BandFilter {
        BiquadState highPass, lowPass;
        void Clear() { highPass.Clear(), lowPass.Clear(); }
    };
    void TakeChanges();
    void SetBand(uint8_t band);
    float Band(BandFilter& f, float x);

    std::atomic<uint8_t> band_{MaleVoice};
    std::atomic<int32_t> amount_{0};
    ChangeCounter changes_;

    double rate_ = 48000;
    uint32_t channels_ = 0;
    bool running_ = false;  // audio has passed since Prepare; changes before that apply at once
    Ramp depth_;  // amount / 48
    uint32_t glide_ = 1;
    uint8_t bandNow_ = MaleVoice;
    bool pending_ = false;  // another band waits for the fade-out
    bool highPassOn_ = false, lowPassOn_ = false;
    BiquadCoefficients highPass_, lowPass_;
    BandFilter mid_, centre_;
};

}  // namespace qx::fx
