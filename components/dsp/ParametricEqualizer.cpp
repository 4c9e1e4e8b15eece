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
    bassSection_.Prepare(rate, SectionShape::LowShelf);
    trebleSection_.Prepare(rate, SectionShape::HighShelf);
    for (auto& section : bandSections_) section.Prepare(rate, SectionShape::Peaking);
    running_ = false;
    changes_.Take();
    Retarget(true);
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
// with one frequency and build its filter with another. A filter that is off, flat or
// out of range glides to 0 dB; so do all bands while the arrangement changes over.
void ParametricEqualizer::TargetFilter(const Filter& f, SmoothedSection& s, bool flat, bool snap) {
    const int32_t gain = f.gain.load(std::memory_order_relaxed);
    const double hz = f.frequency.load(std::memory_order_relaxed);
    float q = f.q.load(std::memory_order_relaxed);
    if (!(q == q)) q = 1.0f;  // NaN from a malformed record
    const bool audible = !flat && f.on.load(std::memory_order_relaxed) && gain != 0 && InRange(hz);
    s.SetTarget(audible ? gain : 0, InRange(hz) ? hz : 1000.0, Clamp(q, 0.5f, 10.0f), snap);
}

void ParametricEqualizer::Retarget(bool snap) {
    cascadeWanted_ = cascade_.load(std::memory_order_relaxed);
    if (snap) cascadeNow_ = cascadeWanted_;
    TargetFilter(bass_, bassSection_, false, snap);
    TargetFilter(treble_, trebleSection_, false, snap);
    for (uint32_t b = 0; b < kBands; ++b) TargetFilter(bands_[b], bandSections_[b], cascadeWanted_ != cascadeNow_, snap);
}

// One step of the glides; a pending change of arrangement happens once every band is flat.
void ParametricEqualizer::Advance(uint32_t frames) {
    // A section starting from rest starts from cleared states.
    if (bassSection_.Advance(frames))
        for (uint32_t c = 0; c < channels_; ++c) shelfState_[c][0].Clear();
    if (trebleSection_.Advance(frames))
        for (uint32_t c = 0; c < channels_; ++c) shelfState_[c][1].Clear();
    bool flat = true;
    for (uint32_t b = 0; b < kBands; ++b) {
        if (bandSections_[b].Advance(frames))
            for (uint32_t c = 0; c < channels_; ++c) bandState_[c][b].Clear();
        flat = flat && bandSections_[b].AtUnity();
    }
    if (cascadeWanted_ != cascadeNow_ && flat) {
        cascadeNow_ = cascadeWanted_;
        Retarget(false);
    }
}

void ParametricEqualizer::ProcessChannel(uint32_t c, float* buffer, uint32_t frames) {
    if (bassSection_.Active()) bassSection_.Run(shelfState_[c][0], buffer, frames);
    if (trebleSection_.Active()) trebleSection_.Run(shelfState_[c][1], buffer, frames);
    if (cascadeNow_) {
        for (uint32_t b = 0; b < kBands; ++b)
            if (bandSections_[b].Active()) bandSections_[b].Run(bandState_[c][b], buffer, frames);
        return;
    }
    // Parallel: every band sees the same input and adds its deviation from flat.
    for (uint32_t i = 0; i < frames; ++i) {
        const float x = buffer[i];
        float y = x;
        for (uint32_t b = 0; b < kBands; ++b)
            if (bandSections_[b].Active()) y += bandSections_[b].RunOne(bandState_[c][b], x, i) - x;
        buffer[i] = y;
    }
}

// In steps of a section's step length, so gliding filters are redesigned on the way.
void ParametricEqualizer::Process(float* const* buffers, uint32_t frames) {
    if (changes_.Take()) Retarget(!running_);
    running_ = true;
    for (uint32_t done = 0; done < frames; done += SmoothedSection::kStepFrames) {
        const uint32_t n = SmoothedSection::StepFrames(frames, done);
        Advance(n);
        for (uint32_t c = 0; c < channels_; ++c) ProcessChannel(c, buffers[c] + done, n);
    }
}

}  // namespace qx::fx
