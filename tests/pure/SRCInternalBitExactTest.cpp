// Every stage kind against a straightforward model of its definition, to the last bit,
// on the loops of every instruction set this processor runs.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SrcReference.h"
#include "resample/FilterTables.h"
#include "resample/MultirateFir.h"
#include "resample/SRCInternal.h"

using qx::SRCInternal;
using qx::StageKind;
using namespace qx::testing;

namespace {

std::vector<float> Noise(size_t n, uint32_t seed) {
    std::vector<float> v(n);
    for (auto& x : v) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<float>(static_cast<int32_t>(seed)) / 2147483648.0f;
    }
    return v;
}

// One single-stage pair per stage kind, with the block size its converter is planned for.
// The 3/2 kind only runs in reverse, taking 14700 back to 22050.
struct KindCase {
    const char* name;
    uint32_t in, out, block;
    uint32_t direction;
};
const KindCase kKindCases[] = {
    {"Up2", 24000, 48000, 240, SRCInternal::Forward},
    {"Down2", 96000, 48000, 960, SRCInternal::Forward},
    {"Up3Down2", 22050, 14700, 441, SRCInternal::Reverse},
    {"Up2Down3", 22050, 14700, 441, SRCInternal::Forward},
    {"Up160Down147", 44100, 48000, 441, SRCInternal::Forward},
    {"Up147Down160", 48000, 44100, 480, SRCInternal::Forward},
    {"Down3", 48000, 16000, 480, SRCInternal::Forward},
    {"Up3", 16000, 48000, 160, SRCInternal::Forward},
};

// Runs the FIR stages on the loops of one instruction set for the lifetime of the
// object; converters take the choice at Init.
class LoopChoice {
public:
    explicit LoopChoice(qx::FirPath path) { qx::MultirateFir::LimitPath(path); }
    ~LoopChoice() { qx::MultirateFir::LimitPath(qx::FirPath::Avx512); }
};
constexpr qx::FirPath kPaths[] = {qx::FirPath::Scalar, qx::FirPath::Sse2, qx::FirPath::Avx2, qx::FirPath::Avx512};
constexpr const char* kPathNames[] = {"scalar loops", "SSE2 loops", "AVX2 loops", "AVX-512 loops"};

// A model of one stage kind: takes a block, returns what the stage writes.
using Model = std::function<std::vector<float>(const float*, uint32_t)>;

Model ModelFor(StageKind kind) {
    using namespace qx::filters;
    // The kinds the generic multirate model describes: filter, taps used, up, down, gain;
    // a block of n inputs is n / down of its iterations. Upsampling by 3 uses the first
    // 69 taps.
    const struct {
        StageKind kind;
        const float* h;
        int taps, up, down;
        float gain;
    } kFirs[] = {
        {StageKind::Up2, HalfBand66.data(), 66, 2, 1, 2.0f},
        {StageKind::Down2, HalfBand66.data(), 66, 1, 2, 1.0f},
        {StageKind::Up3Down2, ThirdBand72.data(), 72, 3, 2, 1.0f},
        {StageKind::Up2Down3, ThirdBand72.data(), 72, 2, 3, 2.0f / 3.0f},
        {StageKind::Up3, ThirdBand71.data(), 69, 3, 1, 3.0f},
    };
    for (const auto& f : kFirs)
        if (f.kind == kind) {
            auto m = std::make_shared<ReferenceMultirateFir>(f.h, f.taps, f.up, f.down, f.gain);
            const uint32_t down = uint32_t(f.down);
            return [m, down](const float* x, uint32_t n) { return m->Run(x, n / down); };
        }
    if (kind == StageKind::Down3) {
        auto m = std::make_shared<ReferenceDown3>();
        return [m](const float* x, uint32_t n) { return m->Run(x, n); };
    }
    auto m = std::make_shared<ReferencePoly>(kind == StageKind::Up160Down147);
    return [m](const float* x, uint32_t n) { return m->Run(x, n); };
}

}  // namespace

// Every stage kind, on all eight interleaved channels, over blocks of the planned size
// and of other sizes (odd and even), writes exactly what its definition gives, to the
// last bit, on the loops of every instruction set this processor runs.
TEST(SRCInternalBitExact, EveryKindOnEveryPathMatchesItsDefinitionBitForBit) {
    constexpr int kChannels = 8;
    // The baseline loops run everywhere, and SSE2 on every x86-64 processor.
    ASSERT_TRUE(qx::MultirateFir::PathRuns(qx::FirPath::Scalar) && qx::MultirateFir::PathRuns(qx::FirPath::Sse2));
    for (qx::FirPath path : kPaths)
    for (const KindCase& c : kKindCases) {
        if (!qx::MultirateFir::PathRuns(path)) continue;
        SCOPED_TRACE(c.name);
        SCOPED_TRACE(kPathNames[static_cast<int>(path)]);
        LoopChoice loops(path);
        ASSERT_EQ(qx::MultirateFir::ChosenPath(), path);  // these loops, not a narrower set
        SRCInternal src;
        uint32_t planned = 0;
        src.Init(c.in, c.out, c.block, &planned, kChannels);
        ASSERT_EQ(src.StageCount(), 1);
        const bool forward = c.direction == SRCInternal::Forward;
        const StageKind kind = forward ? src.ForwardStage(0).Kind() : src.ReverseStage(0).Kind();
        std::vector<Model> models;
        std::vector<std::vector<float>> signal;
        for (int ch = 0; ch < kChannels; ++ch) {
            models.push_back(ModelFor(kind));
            signal.push_back(Noise(60000, ch + 1));
        }
        size_t pos = 0;
        // Planned blocks, then smaller ones of every remainder the size rules meet
        // (the reverse direction always converts the planned size).
        const uint32_t b = forward ? c.block : planned;
        std::vector<uint32_t> sizes =
            forward ? std::vector<uint32_t>{b, b * 3 / 4, b - 1, b - 2, 7, 1, 2, 3, b * 9 / 10, 64, b}
                    : std::vector<uint32_t>(6, b);
        // Then sizes through the whole block, for every count of vectors a block can end with.
        for (uint32_t n = 9; forward && n < b; n += 17) sizes.push_back(n);
        for (uint32_t n : sizes) {
            for (int ch = 0; ch < kChannels; ++ch) {
                std::vector<float> buf(c.block * 4, 123.0f);
                std::copy_n(signal[ch].begin() + pos, n, buf.begin());
                const std::vector<float> want = models[ch](signal[ch].data() + pos, n);
                src.Process(buf.data(), ch, n, c.direction);
                // The 160/147 upsampler writes at most the size the chain plans for.
                const size_t written = kind == StageKind::Up160Down147
                                           ? std::min<size_t>(want.size(), qx::NextSize(kind, n))
                                           : want.size();
                for (size_t i = 0; i < written; ++i) ASSERT_EQ(buf[i], want[i]) << "n=" << n << " i=" << i;
                for (size_t i = std::max<size_t>(written, n); i < buf.size(); ++i) ASSERT_EQ(buf[i], 123.0f) << i;
            }
            pos += n;
        }
    }
}

// Converting a long signal block by block gives the same samples as converting it in
// one block, through whole chains in both directions.
TEST(SRCInternalBitExact, BlockwiseEqualsOneShot) {
    struct Chain {
        uint32_t in, out, block;
    };
    const Chain chains[] = {{44100, 48000, 441}, {8000, 48000, 80}, {192000, 44100, 1920}, {11025, 48000, 441}};
    const int blocks = 8;
    for (qx::FirPath path : kPaths)
    for (const Chain& c : chains) {
        if (!qx::MultirateFir::PathRuns(path)) continue;
        SCOPED_TRACE(c.in);
        SCOPED_TRACE(kPathNames[static_cast<int>(path)]);
        LoopChoice loops(path);
        for (uint32_t dir : {SRCInternal::Forward, SRCInternal::Reverse}) {
            SRCInternal small, large;
            uint32_t outSmall = 0, outLarge = 0;
            small.Init(c.in, c.out, c.block, &outSmall, 1);
            large.Init(c.in, c.out, c.block * blocks, &outLarge, 1);
            ASSERT_EQ(outLarge, outSmall * blocks);
            const uint32_t inSmall = dir == SRCInternal::Forward ? c.block : outSmall;
            const uint32_t produced = dir == SRCInternal::Forward ? outSmall : c.block;
            const std::vector<float> signal = Noise(inSmall * blocks, 11);

            std::vector<float> oneShot(8 * (c.block + outSmall) * blocks);
            std::copy(signal.begin(), signal.end(), oneShot.begin());
            large.Process(oneShot.data(), 0, inSmall * blocks, dir);

            for (int b = 0; b < blocks; ++b) {
                std::vector<float> buf(8 * (c.block + outSmall));
                std::copy_n(signal.begin() + inSmall * b, inSmall, buf.begin());
                small.Process(buf.data(), 0, inSmall, dir);
                for (uint32_t i = 0; i < produced; ++i)
                    ASSERT_EQ(buf[i], oneShot[produced * b + i]) << "block " << b << " i " << i;
            }
        }
    }
}

// The 8-lane loops lay out a whole period of the 160/147 kinds for every phase one can
// start at: blocks holding at least a period each, of varied sizes, until one has started
// at every phase a block can start at (below both 147 and 160: a block ends at the first
// output past it).
TEST(SRCInternalBitExact, PolyphaseKindsMatchFromEveryStartingPhase) {
    if (!qx::MultirateFir::PathRuns(qx::FirPath::Avx2)) GTEST_SKIP() << "no AVX2";
    LoopChoice loops(qx::FirPath::Avx2);
    for (const KindCase& c : kKindCases) {
        const bool up = std::string(c.name) == "Up160Down147";
        if (!up && std::string(c.name) != "Up147Down160") continue;
        SCOPED_TRACE(c.name);
        SRCInternal src;
        src.Init(c.in, c.out, c.block, nullptr, 1);
        const qx::ConversionStage& stage = src.ForwardStage(0);
        const Model model = ModelFor(stage.Kind());
        const uint32_t phases = 147;
        std::vector<bool> started(phases, false);
        uint32_t seen = 0, seed = 7;
        for (int b = 0; b < 5000 && seen < phases; ++b) {
            ASSERT_LT(stage.Phase(0), phases);
            if (!started[stage.Phase(0)]) started[stage.Phase(0)] = true, ++seen;
            seed = seed * 1664525u + 1013904223u;
            const uint32_t n = c.block / 2 + (seed >> 8) % (c.block / 2 + 1);
            std::vector<float> buf = Noise(n, seed);
            const std::vector<float> want = model(buf.data(), n);
            buf.resize(c.block * 4);
            src.Process(buf.data(), 0, n, c.direction);
            const size_t written = up ? std::min<size_t>(want.size(), qx::NextSize(stage.Kind(), n)) : want.size();
            for (size_t i = 0; i < written; ++i) ASSERT_EQ(buf[i], want[i]) << "block " << b << " i=" << i;
        }
        EXPECT_EQ(seen, phases);
    }
}
