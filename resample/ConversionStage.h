#pragma once
// One fixed-ratio stage of the converter for up to 8 channels. Each channel owns a
// buffer that keeps the inputs the next block's first outputs still need (the history)
// followed by a copy of the current block, so the stage can write its output over the
// caller's buffer in place; the filters that keep their input split (of two and three
// phases that decimate) keep it there, lane after lane, each with its history first.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "resample/FirPlanView.h"
#include "resample/MultirateFir.h"
#include "resample/StagePlan.h"

namespace qx {

class ConversionStage {
public:
    static constexpr uint32_t kMaxChannels = 8;
    // A channel buffer holds at least the block plus this many floats.
    static constexpr uint32_t kHeadroom = 66;
    // Blocks above this many frames get no buffers (and so pass through unconverted).
    static constexpr uint32_t kMaxBlockFrames = 1u << 22;

    ConversionStage() = default;
    ConversionStage(const ConversionStage&) = delete;
    ConversionStage& operator=(const ConversionStage&) = delete;

    // Prepares the stage to convert blocks of inputSize frames to outputSize frames with
    // the operation `kind`, for `channels` channels. Keeps channel buffers that are large
    // enough (and, for the 160/147 kinds, the history in them); resets every other filter
    // memory and the phases.
    void Prepare(StageKind kind, uint32_t inputSize, uint32_t outputSize, uint8_t channels);

    // Converts channel `channel`'s block of n frames in place; `expected` is the output
    // size the chain assigns to this stage (the 160/147 upsampler never writes more).
    // Leaves the buffer untouched when the stage cannot convert this block.
    void Process(float* buffer, uint32_t channel, uint32_t n, uint32_t expected);

    // Multiply-adds one output of `kind` costs (taps that are exactly zero left out).
    static double MultiplyAddsPerOutput(StageKind kind);
    // The filter whose loops a stage of `kind` runs its groups on (null for the 160/147
    // kinds): the decimator by 3 takes two outputs at a time, from groups of 6 inputs.
    static const MultirateFir* FilterOf(StageKind kind);

    StageKind Kind() const { return kind_; }
    uint32_t Capacity() const { return capacity_; }
    uint32_t InputSize() const { return inputSize_; }
    uint32_t OutputSize() const { return outputSize_; }
    uint8_t Channels() const { return channels_; }
    const float* ChannelBuffer(uint32_t channel) const {
        return channel < kMaxChannels ? buffers_[channel].get() : nullptr;
    }
    uint32_t Phase(uint32_t channel) const { return channel < kMaxChannels ? phase_[channel] : 0; }
    bool HasFilterState() const { return firReady_; }

private:
    bool AllocateBuffers(uint32_t channels);
    // Process for the decimator by 3 (store: the channel's buffer).
    void RunDown3(float* buffer, float* store, uint32_t n);

    StageKind kind_ = StageKind::None;
    uint32_t inputSize_ = 0;
    uint32_t outputSize_ = 0;
    uint8_t channels_ = 0;
    uint32_t capacity_ = 0;
    bool firReady_ = false;
    FirPath path_ = FirPath::Scalar;  // the FIR loops, chosen when the stage is prepared
    FirPath polyPath_ = FirPath::Sse2;  // the loops of the 160/147 kinds' vector layout
    const PolyPlanView* wide_ = nullptr;  // that layout, for the SSE2 loops and wider
    uint32_t phase_[kMaxChannels] = {};
    std::unique_ptr<float[]> buffers_[kMaxChannels];
    // The one-phase decimators' split copy of one block (channels run one at a time).
    std::unique_ptr<float[]> scratch_;
    size_t scratchFloats_ = 0;
    // The FIR kinds' filter laid out for the largest block the buffers take (no groups
    // when the scratch could not be had).
    MultirateFir::Layout layout_;
};

}  // namespace qx
