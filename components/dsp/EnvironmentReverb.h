#pragma once
// Environment: an eight-line feedback delay network. The non-LFE channels are summed
// into the network; each output channel takes its own sign pattern of the eight lines,
// so the tail is decorrelated between speakers. The preset chooses the decay time, the
// size (delay lengths), the damping of high frequencies and the wet level; the room
// size scales size and decay.
//   parameter 6, 2 bytes: room size (0 small, 1 medium, 2 large), preset (0 to 27)
// A new preset or room size cannot glide (the delay lengths would sweep the pitch), so
// the network fades out (input and tail, 20 ms), takes the new room empty and fades back
// in; the dry signal passes unchanged throughout, and nothing jumps.
#include <atomic>
#include <vector>

#include "components/dsp/ChangeCounter.h"
#include "components/dsp/Effect.h"
#include "components/dsp/Ramp.h"
#include "settings/ParameterProtocol.h"

namespace qx::fx {

struct ReverbPreset {
    float decaySeconds;  // time for the tail to fall by 60 dB, medium room
    float size;          // delay-length scale
    float damping;       // 0 bright to 1 dull (one-pole low-pass in each line)
    float wet;           // level of the tail added to the dry signal
};

class EnvironmentReverb final : public Effect {
public:
    static constexpr uint32_t kLines = 8;
    static constexpr uint32_t kPresets = 28;
    static constexpr uint32_t kRoomSizes = 3;
    static const ReverbPreset kPresetTable[kPresets];
    enum : uint8_t { kSetEnvironment = param::kEnvironment };

    void Prepare(double rate, uint32_t channels) override;
    ParamStatus SetParameter(uint8_t id, uint8_t size, const uint8_t* data) override;
    void Process(float* const* buffers, uint32_t frames) override;

    // The decay time in seconds of a preset in a room size (out-of-range indices as the
    // processor would send them fall back to the defaults).
    static double DecaySeconds(uint32_t preset, uint32_t roomSize);

private:
    // The preset and room size asked for, held to the table's indices.
    void Wanted(uint32_t& preset, uint32_t& room) const;
    void Apply(uint32_t preset, uint32_t room);
    void TakeChanges();
    bool IsLfe(uint32_t channel) const { return channels_ >= 6 && channel == 3; }

    std::atomic<uint8_t> roomSize_{0};
    std::atomic<uint8_t> preset_{0};
    ChangeCounter changes_;

    double rate_ = 48000;
    uint32_t channels_ = 0;
    bool running_ = false;  // audio has passed since Prepare; changes before that apply at once
    std::vector<float> lines_;  // kLines delay lines of capacity_ samples, back to back
    uint32_t capacity_ = 0;     // a power of two
    uint32_t write_ = 0;
    uint32_t length_[kLines] = {};
    float feedback_[kLines] = {};
    float lowpass_[kLines] = {};
    float damping_ = 0;
    float wet_ = 0;
    float inputGain_ = 1;
    uint32_t presetNow_ = 0, roomNow_ = 0;  // what the network runs
    bool pending_ = false;                    // another room waits for the fade-out
    uint32_t glide_ = 1;
    Ramp level_;  // of the network's input and tail, 0 while changing rooms
};

}  // namespace qx::fx
