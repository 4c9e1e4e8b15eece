#include "resample/ConversionStage.h"

#include <algorithm>
#include <iterator>
#include <cstring>
#include <new>

#include "resample/FilterTables.h"
#include "resample/MultirateFir.h"
#include "resample/RationalResampler.h"

namespace qx {

namespace {

using filters::HalfBand66;
using filters::ThirdBand71;
using filters::ThirdBand72;

// Factor-2 and factor-3/2 stages. The third-band x3 table carries the gain that an
// upsampling by 3 needs; upsampling by 2 needs two thirds of it.
constexpr MultirateFir kUp2Fir(HalfBand66.data(), 66, 2, 1, 0, 2.0f);
constexpr MultirateFir kDown2Fir(HalfBand66.data(), 66, 1, 2, 0, 1.0f);
constexpr MultirateFir kUp3Down2Fir(ThirdBand72.data(), 72, 3, 2, 0, 1.0f);
constexpr MultirateFir kUp2Down3Fir(ThirdBand72.data(), 72, 2, 3, 0, 2.0f / 3.0f);
// The direct factor-3 filters: the interpolator uses the first 69 taps with gain 3;
// the decimator's output k is aligned with input 3k + 2.
constexpr MultirateFir kUp3Fir(ThirdBand71.data(), 69, 3, 1, 0, 3.0f);
constexpr MultirateFir kDown3Fir(ThirdBand71.data(), 71, 1, 3, 2, 1.0f);
// The same decimator two outputs at a time, as the stage runs it: each group of 6 inputs
// yields two outputs whose taps share most of their input loads. The one-output form
// finishes an odd last group and an incomplete one.
constexpr MultirateFir kDown3PairFir(MultirateFir::GroupedDecimator{}, ThirdBand71.data(), 71, 3, 2, 2, 1.0f);
// Every filter pairs: the loops of two and three phases, and the row loops of one phase
// that pair their groups, are compiled for paired filters only.
static_assert(kUp2Fir.Paired() && kDown2Fir.Paired() && kUp3Down2Fir.Paired() && kUp2Down3Fir.Paired() &&
                  kUp3Fir.Paired() && kDown3PairFir.Paired(),
              "a filter without a pair");
// Taps 22 and 23 of the 147-phase table are zero in every row.
constexpr RationalResampler<160, 20, 20, 147> kUp160Down147(filters::Poly44to48);
constexpr RationalResampler<147, 24, 22, 160> kUp147Down160(filters::Poly48to44);
// The 160/147 kinds keep their last 20 / 24 inputs, one for each tap of their tables'
// rows. No loop reads further back (FitsBuffers); the down kind's loops leave out the two
// zero taps.
constexpr uint32_t kUp160Down147History = 20;
constexpr uint32_t kUp147Down160History = 24;
// Inputs past a block's end that the vector loops read (times zero coefficients, or into
// the lanes past the block's last output of a period's newest vector in the 8-lane
// stream, which are dropped); the stage zeroes them, so that whatever the buffer held
// there cannot turn into a NaN.
constexpr uint32_t kPolyOverread = 8;
template <class Resampler>
constexpr bool FitsBuffers(const Resampler& resampler, uint32_t history) {
    for (uint32_t width : {4u, 8u})  // the widths of the SSE2 and AVX2 loops
        if (resampler.VectorHistory(width) > history || resampler.VectorOverread(width) > kPolyOverread) return false;
    // The stream's newest vector: its first lane's newest input lies within the block.
    if (Resampler::Phases() % 8 != 0 && resampler.Reach(8) + 8 - 1 > static_cast<int>(kPolyOverread))
        return false;
    return resampler.History() <= history;
}
static_assert(FitsBuffers(kUp160Down147, kUp160Down147History), "history or overread too short");
static_assert(FitsBuffers(kUp147Down160, kUp147Down160History), "history or overread too short");

// A last incomplete group of the decimator reads 70 inputs back from the block end.
constexpr uint32_t kDown3TailHistory = 70;
// Most inputs the decimator by 2 reads back from the end of a block (its history; the
// kinds of two and three phases keep their input split, the decimator by 3 keeps its own).
constexpr uint32_t kKeptInputs = MultirateFir::kMaxHistory;
static_assert(kDown2Fir.History() <= static_cast<int>(kKeptInputs), "the next block reads past the kept inputs");
// The decimator run two groups at a time leaves an odd last group of 3 to the one-output
// form, which (before an incomplete group) reads 73 inputs back from the block end.
constexpr uint32_t kDown3KeptInputs = kDown3TailHistory + 3;
// Channel buffers carry a few floats beyond capacity so that every kind's history fits
// in front of a full block.
constexpr uint32_t kPad = 8;
static_assert(kUp147Down160History + kPolyOverread <= ConversionStage::kHeadroom + kPad, "overread past the buffer");
// The decimator's history fits in front of a block, and the inputs it keeps from a block
// start within its buffer.
static_assert(kDown3PairFir.History() <= static_cast<int>(ConversionStage::kHeadroom + kPad) &&
                  static_cast<int>(kDown3KeptInputs) <= kDown3PairFir.History() + 1,
              "the decimator's inputs do not fit its buffer");
// The filters that keep their input split keep it in the channel buffers: every block
// they take fits there after its lanes' history.
constexpr bool KeptFits(const MultirateFir& fir) {
    return !fir.KeepsSplit() || fir.Down() * fir.SplitHistory() <= static_cast<int>(ConversionStage::kHeadroom + kPad);
}
static_assert(kUp3Down2Fir.KeepsSplit() && KeptFits(kUp3Down2Fir) && kUp2Down3Fir.KeepsSplit() &&
                  KeptFits(kUp2Down3Fir),
              "the kept lanes' history does not fit the headroom");

const MultirateFir* FirFor(StageKind kind) {
    switch (kind) {
        case StageKind::Up2: return &kUp2Fir;
        case StageKind::Down2: return &kDown2Fir;
        case StageKind::Up3Down2: return &kUp3Down2Fir;
        case StageKind::Up2Down3: return &kUp2Down3Fir;
        case StageKind::Up3: return &kUp3Fir;
        case StageKind::Down3: return &kDown3Fir;
        default: return nullptr;
    }
}

// The filter a stage of `kind` runs its groups on: the decimator by 3 runs two outputs
// at a time.
const MultirateFir* RunFor(StageKind kind) { return kind == StageKind::Down3 ? &kDown3PairFir : FirFor(kind); }

bool IsResamplerKind(StageKind kind) {
    return kind == StageKind::Up160Down147 || kind == StageKind::Up147Down160;
}

// Inputs each kind keeps from one block for the next.
uint32_t HistoryOf(StageKind kind) {
    switch (kind) {
        case StageKind::Up160Down147: return kUp160Down147History;
        case StageKind::Up147Down160: return kUp147Down160History;
        case StageKind::Down3: return std::max<uint32_t>(kDown3PairFir.History(), kDown3TailHistory);
        default: {
            const MultirateFir* fir = FirFor(kind);
            return fir ? static_cast<uint32_t>(fir->History()) : 0;
        }
    }
}

// A 160/147 kind laid out for the vectors of one set of loops, built once per process
// by the first stage prepared for it (never while a block is converted). An empty view
// (no coefficients) when the memory could not be had; the stage then keeps to the
// resampler's own four-lane loop.
struct VectorPolyTable {
    static constexpr uint32_t kMaxPhases = 160;
    std::unique_ptr<float[]> storage;
    uint8_t advance[kMaxPhases] = {};
    // The stream layout of whole periods (8 lanes only; none when it could not be had).
    std::unique_ptr<const float*[]> streamCoef;
    std::unique_ptr<uint32_t[]> streamStart;
    std::unique_ptr<uint32_t[]> streamLeave;
    uint32_t streamLead[kMaxPhases] = {};
    PolyPlanView view{};

    template <class Resampler>
    VectorPolyTable(const Resampler& resampler, uint32_t width) {
        static_assert(Resampler::Phases() <= kMaxPhases, "advance table too short");
        const uint32_t taps = Resampler::VectorTaps(width);
        const size_t floats = static_cast<size_t>(Resampler::Phases()) * taps * width;
        constexpr size_t kAlignFloats = 16;  // 64 bytes
        storage.reset(new (std::nothrow) float[floats + kAlignFloats]());
        if (!storage) return;
        const auto address = reinterpret_cast<uintptr_t>(storage.get());
        float* coef = storage.get() + ((64 - address % 64) % 64) / sizeof(float);
        resampler.FillVectors(width, coef, advance);
        view = PolyPlanView{Resampler::Phases(), Resampler::Step(), taps, width, Resampler::Reach(width), advance,
                            coef, PolyStreamView{}};
        if (width == 8) LayOutStream(resampler, width);
    }

    template <class Resampler>
    void LayOutStream(const Resampler& resampler, uint32_t width) {
        const uint32_t n = Resampler::PeriodVectors(width);
        const size_t entries = static_cast<size_t>(Resampler::Phases()) * n;
        streamCoef.reset(new (std::nothrow) const float*[entries]);
        streamStart.reset(new (std::nothrow) uint32_t[entries]);
        streamLeave.reset(new (std::nothrow) uint32_t[entries]);
        if (!streamCoef || !streamStart || !streamLeave ||
            !resampler.FillStream(width, PolyStreamView::kDepth, view.coef, streamCoef.get(), streamStart.get(),
                                  streamLeave.get(), streamLead))
            return;
        view.stream = PolyStreamView{n, streamCoef.get(), streamStart.get(), streamLeave.get(), streamLead};
    }
};

// The loops a 160/147 kind runs on where the FIR stages take `path`: AVX2 where AVX-512
// is chosen (the AVX2 stream of whole periods measured faster than the 16-lane groups:
// 1815 against 1684 M outputs/s for Up160Down147, 1586 against 1398 for Up147Down160).
FirPath PolyPathFor(FirPath path) { return path == FirPath::Avx512 ? FirPath::Avx2 : path; }

// The layout of a 160/147 kind for the vectors of `path` (SSE2 or AVX2): null for the
// scalar loops, which keep to the resampler's own.
const PolyPlanView* VectorLayout(StageKind kind, FirPath path) {
    const VectorPolyTable* table = nullptr;
    const bool up = kind == StageKind::Up160Down147;
    if (path == FirPath::Avx2) {
        static const VectorPolyTable up8(kUp160Down147, 8), down8(kUp147Down160, 8);
        table = up ? &up8 : &down8;
    } else if (path == FirPath::Sse2) {
        static const VectorPolyTable up4(kUp160Down147, 4), down4(kUp147Down160, 4);
        table = up ? &up4 : &down4;
    }
    return table && table->view.coef ? &table->view : nullptr;
}

bool IsMultirateFirKind(StageKind kind) {
    return kind == StageKind::Up2 || kind == StageKind::Down2 || kind == StageKind::Up3Down2 ||
           kind == StageKind::Up2Down3;
}

// The FIR shape (L, M) that a pair of block sizes in exact ratio calls for, tested in a
// fixed order; {0, 0} when the sizes are in none of these ratios.
struct Shape {
    int up;
    int down;
};
Shape ShapeForSizes(uint32_t a, uint32_t b) {
    const uint64_t a64 = a, b64 = b;
    if (a64 == 2 * b64) return {1, 2};
    if (2 * a64 == b64) return {2, 1};
    if (3 * a64 == 2 * b64) return {3, 2};
    if (2 * a64 == 3 * b64) return {2, 3};
    return {0, 0};
}

// Groups of M inputs a block of n frames runs through the FIR of `kind`.
uint32_t GroupsFor(StageKind kind, uint32_t n) {
    switch (kind) {
        case StageKind::Down2:
        case StageKind::Up3Down2: return n >> 1;
        case StageKind::Up2Down3:
        case StageKind::Down3: return n / 3;
        default: return n;
    }
}

}  // namespace

double ConversionStage::MultiplyAddsPerOutput(StageKind kind) {
    if (const MultirateFir* fir = FirFor(kind)) return static_cast<double>(fir->TapsPerGroup()) / fir->Up();
    if (kind == StageKind::Up160Down147) return kUp160Down147.Taps();
    if (kind == StageKind::Up147Down160) return kUp147Down160.Taps();
    return 0.0;
}

const MultirateFir* ConversionStage::FilterOf(StageKind kind) { return RunFor(kind); }

bool ConversionStage::AllocateBuffers(uint32_t channels) {
    const size_t length = static_cast<size_t>(capacity_) + kPad;
    for (uint32_t ch = 0; ch < channels; ++ch) {
        if (buffers_[ch]) continue;
        buffers_[ch].reset(new (std::nothrow) float[length]());
        if (!buffers_[ch]) return false;
    }
    return true;
}

void ConversionStage::Prepare(StageKind kind, uint32_t inputSize, uint32_t outputSize, uint8_t channels) {
    kind_ = kind;
    inputSize_ = inputSize;
    outputSize_ = outputSize;
    channels_ = static_cast<uint8_t>(std::min<uint32_t>(channels, kMaxChannels));
    firReady_ = false;

    if (inputSize > kMaxBlockFrames) {
        // Too large to buffer: no channel can be converted.
        for (auto& b : buffers_) b.reset();
        capacity_ = 0;
        return;
    }
    const uint32_t needed = inputSize + kHeadroom;
    if (capacity_ < needed) {
        for (auto& b : buffers_) b.reset();
        capacity_ = needed;
    }
    if (!AllocateBuffers(channels_)) return;

    std::fill(std::begin(phase_), std::end(phase_), 0u);
    path_ = MultirateFir::ChosenPath();

    wide_ = nullptr;
    polyPath_ = FirPath::Sse2;
    if (IsResamplerKind(kind)) {
        const FirPath poly = PolyPathFor(path_);
        wide_ = VectorLayout(kind, poly);
        if (wide_) polyPath_ = poly;
    }
    const MultirateFir* fir = RunFor(kind);
    if (IsMultirateFirKind(kind)) {
        const Shape s = ShapeForSizes(inputSize, outputSize);
        firReady_ = s.up == fir->Up() && s.down == fir->Down();
    }
    layout_.maxGroups = 0;
    if (fir && fir->KeepsSplit()) {
        // The filter keeps its input split in the channel buffers, whatever block they take.
        fir->Lay(fir->KeptGroups(static_cast<size_t>(capacity_) + kPad), layout_);
    } else if (fir) {
        // Any block the buffers take fits the split copy and the layout.
        const uint32_t maxGroups = capacity_ / static_cast<uint32_t>(fir->Down());
        const size_t floats = fir->ScratchFloats(maxGroups);
        if (floats > scratchFloats_) {
            scratch_.reset(new (std::nothrow) float[floats]);
            scratchFloats_ = scratch_ ? floats : 0;
        }
        if (scratchFloats_ < floats) {
            firReady_ = false;
        } else {
            fir->Lay(maxGroups, layout_);
        }
    }
    // Filter memory starts from silence, except the history of the 160/147 kinds, which
    // survives in a buffer that was kept.
    if (fir && fir->KeepsSplit()) {
        for (uint32_t ch = 0; ch < channels_; ++ch) fir->ClearKept(layout_, buffers_[ch].get());
    } else if (!IsResamplerKind(kind)) {
        const uint32_t history = HistoryOf(kind);
        for (uint32_t ch = 0; ch < channels_; ++ch) std::fill_n(buffers_[ch].get(), history, 0.0f);
    }
}

void ConversionStage::RunDown3(float* buffer, float* store, uint32_t n) {
    const uint32_t history = HistoryOf(StageKind::Down3);
    float* x = store + history;
    const uint32_t groups = n / 3;
    if (layout_.maxGroups == 0 || groups / 2 > layout_.maxGroups) return;  // no scratch, or too long
    // The decimator consumes every input: an incomplete last group still yields one
    // output, aligned with the block's last input, and an odd last group of 3 is left to
    // the one-output form too.
    const bool lastGroup = n % 3 != 0;
    if (!lastGroup && groups % 2 == 0 && groups + history <= n) {
        // No single output reads the channel buffer, and the outputs end before the
        // inputs the next block reads back: those go straight to the history.
        kDown3PairFir.Run(layout_, x, buffer, groups / 2, buffer, path_, scratch_.get());
        std::memmove(store, buffer + n - history, sizeof(float) * history);
        return;
    }
    // The pairs read the block through the split copy, so only the inputs the next block
    // and the single outputs read back go to the channel buffer.
    const uint32_t keep = std::min(n, kDown3KeptInputs);
    std::memmove(x + n - keep, buffer + n - keep, sizeof(float) * keep);
    kDown3PairFir.Run(layout_, x, buffer, groups / 2, buffer, path_, scratch_.get());
    if (groups % 2 != 0) buffer[groups - 1] = kDown3Fir.Single(x + 3 * (groups - 1));
    if (lastGroup) buffer[groups] = kDown3Fir.Single(x + n - 3);
    std::memmove(store, store + n, sizeof(float) * history);
}

void ConversionStage::Process(float* buffer, uint32_t channel, uint32_t n, uint32_t expected) {
    if (n == 0 || !buffer || channel >= channels_ || !buffers_[channel]) return;
    if (static_cast<uint64_t>(n) + kHeadroom > capacity_) return;

    const uint32_t history = HistoryOf(kind_);
    float* store = buffers_[channel].get();
    float* x = store + history;
    uint32_t consumed = n;

    if (kind_ == StageKind::Down3) {
        return RunDown3(buffer, store, n);
    } else if (const MultirateFir* fir = FirFor(kind_)) {
        if (IsMultirateFirKind(kind_) && !firReady_) return;
        const uint32_t groups = GroupsFor(kind_, n);
        if (groups > layout_.maxGroups) return;
        // The channel buffer holds the split input, history and all.
        if (fir->KeepsSplit()) return fir->RunKept(layout_, store, buffer, groups, buffer, path_);
        consumed = groups * static_cast<uint32_t>(fir->Down());
        if (fir->Down() == 1) {
            std::memcpy(x, buffer, sizeof(float) * n);
            fir->Run(layout_, x, x, groups, buffer, path_, scratch_.get());
        } else {
            // The filter reads the block through its split copy, so only the inputs the
            // next block reads back go to the channel buffer.
            // (memmove: with the size known to be small, memcpy was inlined as a string
            // move, which takes longer to start than the library's vector copy.)
            const uint32_t keep = std::min(consumed, kKeptInputs);
            std::memmove(x + consumed - keep, buffer + consumed - keep, sizeof(float) * keep);
            fir->Run(layout_, x, buffer, groups, buffer, path_, scratch_.get());
        }
    } else if (kind_ == StageKind::Up160Down147) {
        std::memcpy(x, buffer, sizeof(float) * n);
        std::fill_n(x + n, kPolyOverread, 0.0f);
        // The upsampler can yield one output more than the chain planned; it is never
        // written, so the caller's buffer only needs the planned size.
        kUp160Down147.Run(x, n, phase_[channel], buffer, expected, wide_, polyPath_);
    } else if (kind_ == StageKind::Up147Down160) {
        std::memcpy(x, buffer, sizeof(float) * n);
        std::fill_n(x + n, kPolyOverread, 0.0f);
        kUp147Down160.Run(x, n, phase_[channel], buffer, n, wide_, polyPath_);
    } else {
        return;
    }
    // Keep the inputs the next block reads back into.
    std::memmove(store, store + consumed, sizeof(float) * history);
}

}  // namespace qx
