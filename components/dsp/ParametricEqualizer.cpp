#include "components/dsp/ParametricEqualizer.h"

#include <cmath>

namespace qx::fx {

void ParametricEqualizer::Prepare(double rate, uint32_t channels) {
    rate_ = rate;
    channels_ = channels;
    for (auto& channel : shelfState_)
        for (auto& s : channel) s.Clear();
    for (auto& channel : bandState_)
        for (auto& s : channel) s.Clear();
    changes_.Take();
    Recompute();
}

// Frequency (u32) and gain (signed low 16 bits) of a shelf or band record.
void ParametricEqualizer::StoreFilter(Filter& f, const uint8_t* data) {
    f.frequency.store(ReadU32(data), std::memory_order_relaxed);
    f.gain.store(Clamp(ReadSigned16(data + offsetof(param::FilterSettings, gain)), -kMaxGainDb, kMaxGainDb), std::memory_order_relaxed);
}

ParamStatus ParametricEqualizer::SetParameter(uint8_t id, uint8_t size, const uint8_t* data) {
    const auto one = [&](std::atomic<bool>& target) {
        if (size != 1 || !data) return ParamStatus::BadSize;
        target.store(data[0] != 0, std::memory_order_relaxed);
        return ParamStatus::Ok;
    };
    ParamStatus status = ParamStatus::Ok;
    switch (id) {
    case kBassOn: status = one(bass_.on); break;
    case kTrebleOn: status = one(treble_.on); break;
    case kPhaseMode: status = one(linearPhase_); break;
    case kParallelMode: status = one(cascade_); break;
    case kBassFilter:
    case kTrebleFilter:
        if (size != sizeof(param::FilterSettings) || !data) return ParamStatus::BadSize;
        StoreFilter(id == kBassFilter ? bass_ : treble_, data);
        break;
    case kBands15:
        if (size != param::kEq15BandsSize || !data) return ParamStatus::BadSize;
        for (uint32_t b = 0; b < kBands; ++b) {
            const uint8_t* record = data + sizeof(param::Eq15BandRecord) * b;
            bands_[b].on.store(record[offsetof(param::Eq15BandRecord, on)] != 0, std::memory_order_relaxed);
            StoreFilter(bands_[b], record + offsetof(param::Eq15BandRecord, filter));
            bands_[b].q.store(ReadF32(record + offsetof(param::Eq15BandRecord, q)), std::memory_order_relaxed);
        }
        break;
    default:
        return ParamStatus::UnknownId;
    }
    if (status == ParamStatus::Ok) changes_.Post();
    return status;
}

// A filter whose frequency the rate cannot carry (or below the audible band) is left
// out rather than moved to the edge, where several could pile up on one frequency.
bool ParametricEqualizer::InRange(double hz) const { return hz >= 20.0 && hz <= MaxFilterFrequency(rate_); }

// Each value is loaded once, so a record changing meanwhile cannot pass the range check
// with one frequency and build its filter with another.
void ParametricEqualizer::Recompute() {
    cascadeNow_ = cascade_.load(std::memory_order_relaxed);
    const auto shelf = [&](const Filter& f, Section& s, bool low) {
        const int32_t gain = f.gain.load(std::memory_order_relaxed);
        const double hz = f.frequency.load(std::memory_order_relaxed);
        s.active = f.on.load(std::memory_order_relaxed) && gain != 0 && InRange(hz);
        if (!s.active) return;
        s.coefficients = low ? BiquadCoefficients::LowShelf(rate_, hz, gain) : BiquadCoefficients::HighShelf(rate_, hz, gain);
    };
    shelf(bass_, bassSection_, true);
    shelf(treble_, trebleSection_, false);
    for (uint32_t b = 0; b < kBands; ++b) {
        const Filter& f = bands_[b];
        const int32_t gain = f.gain.load(std::memory_order_relaxed);
        const double hz = f.frequency.load(std::memory_order_relaxed);
        Section& s = bandSections_[b];
        s.active = f.on.load(std::memory_order_relaxed) && gain != 0 && InRange(hz);
        if (!s.active) continue;
        float q = f.q.load(std::memory_order_relaxed);
        if (!(q == q)) q = 1.0f;  // NaN from a malformed record
        s.coefficients = BiquadCoefficients::Peaking(rate_, hz, Clamp(q, 0.5f, 10.0f), gain);
    }
}

void ParametricEqualizer::ProcessChannel(uint32_t c, float* buffer, uint32_t frames) {
    if (bassSection_.active) shelfState_[c][0].RunBlock(bassSection_.coefficients, buffer, frames);
    if (trebleSection_.active) shelfState_[c][1].RunBlock(trebleSection_.coefficients, buffer, frames);
    if (cascadeNow_) {
        for (uint32_t b = 0; b < kBands; ++b)
            if (bandSections_[b].active) bandState_[c][b].RunBlock(bandSections_[b].coefficients, buffer, frames);
        return;
    }
    // Parallel: every band sees the same input and adds its deviation from flat.
    for (uint32_t i = 0; i < frames; ++i) {
        const float x = buffer[i];
        float y = x;
        for (uint32_t b = 0; b < kBands; ++b)
            if (bandSections_[b].active) y += bandState_[c][b].Run(bandSections_[b].coefficients, x) - x;
        buffer[i] = y;
    }
}

void ParametricEqualizer::Process(float* const* buffers, uint32_t frames) {
    if (changes_.Take()) Recompute();
    for (uint32_t c = 0; c < channels_; ++c) ProcessChannel(c, buffers[c], frames);
}

}  // namespace qx::fx
