#include "components/dsp/EnvironmentReverb.h"

#include <algorithm>
#include <cmath>

namespace qx::fx {

namespace {
// Mutually prime-ish line lengths in milliseconds at size 1.
constexpr double kLineMs[EnvironmentReverb::kLines] = {29.7, 37.1, 41.1, 43.7, 47.9, 53.3, 59.2, 67.1};
// Small, medium and large rooms.
constexpr double kRoomScale[EnvironmentReverb::kRoomSizes] = {0.6, 1.0, 1.5};
constexpr double kMaxSize = 2.5;

// Rows of an 8x8 Hadamard matrix: row 0 feeds everything equally, rows 1 to 7 are the
// output patterns, orthogonal to each other so the speakers get uncorrelated tails.
constexpr int8_t kHadamard[8][8] = {
    {1, 1, 1, 1, 1, 1, 1, 1},     {1, -1, 1, -1, 1, -1, 1, -1}, {1, 1, -1, -1, 1, 1, -1, -1},
    {1, -1, -1, 1, 1, -1, -1, 1}, {1, 1, 1, 1, -1, -1, -1, -1}, {1, -1, 1, -1, -1, 1, -1, 1},
    {1, 1, -1, -1, -1, -1, 1, 1}, {1, -1, -1, 1, -1, 1, 1, -1},
};

uint32_t NextPowerOfTwo(uint32_t v) {
    uint32_t p = 1;
    while (p < v) p <<= 1;
    return p;
}
}  // namespace

const ReverbPreset EnvironmentReverb::kPresetTable[kPresets] = {
    {1.0f, 1.0f, 0.30f, 0.25f},   // Default
    {1.5f, 1.0f, 0.30f, 0.30f},   // Generic
    {0.17f, 0.4f, 0.90f, 0.20f},  // Padded cell
    {0.4f, 0.6f, 0.50f, 0.25f},   // Room
    {1.5f, 0.6f, 0.10f, 0.35f},   // Bathroom
    {0.5f, 0.7f, 0.70f, 0.20f},   // Living room
    {2.3f, 0.9f, 0.20f, 0.30f},   // Stone room
    {4.3f, 1.6f, 0.40f, 0.30f},   // Auditorium
    {3.9f, 1.8f, 0.35f, 0.30f},   // Concert hall
    {2.9f, 1.5f, 0.10f, 0.40f},   // Cave
    {7.2f, 2.2f, 0.40f, 0.30f},   // Arena
    {10.0f, 2.5f, 0.30f, 0.30f},  // Hangar
    {0.3f, 0.7f, 0.90f, 0.20f},   // Carpeted hallway
    {1.5f, 1.0f, 0.40f, 0.25f},   // Hallway
    {2.7f, 1.1f, 0.25f, 0.30f},   // Stone corridor
    {1.5f, 1.0f, 0.30f, 0.30f},   // Alley
    {1.5f, 1.2f, 0.70f, 0.20f},   // Forest
    {1.5f, 1.2f, 0.50f, 0.20f},   // City
    {2.0f, 2.5f, 0.60f, 0.25f},   // Mountains
    {1.5f, 1.6f, 0.30f, 0.30f},   // Quarry
    {1.5f, 2.0f, 0.60f, 0.15f},   // Plain
    {1.7f, 1.3f, 0.20f, 0.30f},   // Parking lot
    {2.8f, 0.8f, 0.15f, 0.40f},   // Sewer pipe
    {1.5f, 1.0f, 0.95f, 0.50f},   // Under water
    {8.4f, 0.6f, 0.10f, 0.50f},   // Drugged
    {17.2f, 1.0f, 0.40f, 0.45f},  // Dizzy
    {7.6f, 1.2f, 0.20f, 0.50f},   // Psychotic
    {1.8f, 0.9f, 0.40f, 0.35f},   // KTV
};

double EnvironmentReverb::DecaySeconds(uint32_t preset, uint32_t roomSize) {
    if (preset >= kPresets) preset = 0;
    if (roomSize >= kRoomSizes) roomSize = 0;
    return kPresetTable[preset].decaySeconds * kRoomScale[roomSize];
}

void EnvironmentReverb::Prepare(double rate, uint32_t channels) {
    rate_ = rate;
    channels_ = channels;
    const double longest = kLineMs[kLines - 1] / 1000 * kMaxSize * kRoomScale[kRoomSizes - 1] * rate;
    capacity_ = NextPowerOfTwo(uint32_t(longest) + 2);
    lines_.assign(size_t(capacity_) * kLines, 0.0f);
    write_ = 0;
    for (auto& l : lowpass_) l = 0;
    uint32_t fed = 0;
    for (uint32_t c = 0; c < channels_; ++c) fed += IsLfe(c) ? 0 : 1;
    inputGain_ = fed ? float(1 / std::sqrt(double(fed))) : 0.0f;
    glide_ = GlideSteps(rate);
    level_.Reset(1);
    pending_ = false;
    running_ = false;
    changes_.Take();
    Wanted(presetNow_, roomNow_);
    Apply(presetNow_, roomNow_);
}

ParamStatus EnvironmentReverb::SetParameter(uint8_t id, uint8_t size, const uint8_t* data) {
    if (id != kSetEnvironment) return ParamStatus::UnknownId;
    if (size != param::kEnvironmentSize || !data) return ParamStatus::BadSize;
    roomSize_.store(data[0], std::memory_order_relaxed);
    preset_.store(data[1], std::memory_order_relaxed);
    changes_.Post();
    return ParamStatus::Ok;
}

void EnvironmentReverb::Wanted(uint32_t& preset, uint32_t& room) const {
    preset = preset_.load(std::memory_order_relaxed);
    room = roomSize_.load(std::memory_order_relaxed);
    if (preset >= kPresets) preset = 0;
    if (room >= kRoomSizes) room = 0;  // as the settings dialog shows it: a small room
}

void EnvironmentReverb::Apply(uint32_t preset, uint32_t room) {
    const ReverbPreset& p = kPresetTable[preset];
    const double scale = p.size * kRoomScale[room];
    const double decay = DecaySeconds(preset, room);
    for (uint32_t i = 0; i < kLines; ++i) {
        const double samples = kLineMs[i] / 1000 * scale * rate_;
        length_[i] = Clamp(uint32_t(samples), 1u, capacity_ - 1);
        // Each pass through a line loses length/decay of the 60 dB fall.
        feedback_[i] = float(std::pow(10.0, -3.0 * length_[i] / (decay * rate_)));
    }
    damping_ = p.damping;
    wet_ = p.wet;
}

// A room other than the running one starts the fade-out; asking for the running one
// again (before the fade-out ended) fades back in.
void EnvironmentReverb::TakeChanges() {
    uint32_t preset, room;
    Wanted(preset, room);
    if (!running_) {
        presetNow_ = preset;
        roomNow_ = room;
        Apply(preset, room);
        return;
    }
    pending_ = preset != presetNow_ || room != roomNow_;
    level_.MoveTo(pending_ ? 0 : 1, glide_);
}

void EnvironmentReverb::Process(float* const* buffers, uint32_t frames) {
    if (changes_.Take()) TakeChanges();
    running_ = true;
    const uint32_t mask = capacity_ - 1;
    float taps[kLines];
    for (uint32_t n = 0; n < frames; ++n) {
        if (pending_ && level_.Value() == 0) {
            // Faded out: the new room starts empty (no allocation, the lines stay).
            pending_ = false;
            Wanted(presetNow_, roomNow_);
            Apply(presetNow_, roomNow_);
            std::fill(lines_.begin(), lines_.end(), 0.0f);
            for (auto& l : lowpass_) l = 0;
            level_.MoveTo(1, glide_);
        }
        const float level = float(level_.Next());
        const float outScale = level * wet_ / std::sqrt(float(kLines));
        float in = 0;
        for (uint32_t c = 0; c < channels_; ++c)
            if (!IsLfe(c)) in += buffers[c][n];
        in *= inputGain_ * level;

        float sum = 0;
        for (uint32_t i = 0; i < kLines; ++i) {
            const float delayed = lines_[size_t(i) * capacity_ + ((write_ - length_[i]) & mask)];
            lowpass_[i] = delayed + damping_ * (lowpass_[i] - delayed);
            taps[i] = lowpass_[i] * feedback_[i];
            sum += taps[i];
        }
        // Householder feedback matrix: lossless mixing of the eight lines.
        const float reflect = sum * (2.0f / kLines);
        for (uint32_t i = 0; i < kLines; ++i) {
            float v = in + taps[i] - reflect;
            if (std::fabs(v) < 1e-20f) v = 0;  // keep denormals out of the loop
            lines_[size_t(i) * capacity_ + write_] = v;
        }
        write_ = (write_ + 1) & mask;

        uint32_t pattern = 1;
        for (uint32_t c = 0; c < channels_; ++c) {
            if (IsLfe(c)) continue;
            float wet = 0;
            for (uint32_t i = 0; i < kLines; ++i) wet += kHadamard[pattern][i] * taps[i];
            buffers[c][n] += outScale * wet;
            pattern = pattern % 7 + 1;
        }
    }
}

}  // namespace qx::fx
