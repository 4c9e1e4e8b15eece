// The converter measured from what it writes: every supported rate pair with its block
// sizes, and the filters' gain, delay and image rejection read from the output's spectrum.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "resample/SRCInternal.h"
#include "tests/support/AllocationCounter.h"

using qx::SRCInternal;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kAmplitude = 0.5;
constexpr int kBlocks = 60, kSettle = 20;

// Every supported pair, with a block that every stage divides exactly, the block size
// after the chain and the number of stages, worked out from the stage rules by hand.
struct Rates {
    uint32_t in, out, block;
};
struct Pair {
    Rates rates;
    uint32_t outBlock, stages;
};
constexpr Pair kPairs[] = {
    {{8000, 44100, 80}, 441, 3},      {{8000, 48000, 80}, 480, 2},       {{8000, 16000, 80}, 160, 1},
    {{11025, 44100, 441}, 1764, 2},   {{11025, 48000, 441}, 1920, 3},    {{14700, 44100, 147}, 441, 1},
    {{14700, 48000, 147}, 480, 2},    {{16000, 44100, 160}, 441, 2},     {{16000, 48000, 160}, 480, 1},
    {{22050, 44100, 441}, 882, 1},    {{22050, 48000, 441}, 960, 2},     {{22050, 14700, 441}, 294, 1},
    {{24000, 44100, 240}, 441, 2},    {{24000, 48000, 240}, 480, 1},     {{24000, 16000, 240}, 160, 1},
    {{44100, 48000, 441}, 480, 1},    {{44100, 14700, 441}, 147, 1},     {{48000, 44100, 480}, 441, 1},
    {{48000, 16000, 480}, 160, 1},    {{88200, 44100, 882}, 441, 1},     {{88200, 48000, 882}, 480, 2},
    {{88200, 14700, 882}, 147, 2},    {{96000, 44100, 960}, 441, 2},     {{96000, 48000, 960}, 480, 1},
    {{96000, 16000, 960}, 160, 2},    {{176400, 44100, 1764}, 441, 2},   {{176400, 48000, 1764}, 480, 3},
    {{176400, 14700, 1764}, 147, 3},  {{192000, 44100, 1920}, 441, 3},   {{192000, 48000, 1920}, 480, 2},
    {{192000, 16000, 1920}, 160, 3},
};

// What came out of a conversion after the filters settled, and where it starts.
struct Output {
    std::vector<double> y;
    double rate;
    uint64_t first;  // stream index of y[0]
};

// One tone (or a constant when freq is 0) through `blocks` blocks of a converter planned
// for `block`; Reverse takes the planned output size back to the input rate. Each block's
// forward output can also go straight back through the reverse chain (`roundTrip`).
Output Convert(const Rates& p, uint32_t direction, double freq, bool roundTrip = false) {
    SRCInternal src;
    uint32_t planned = 0;
    src.Init(p.in, p.out, p.block, &planned, 1);
    const bool forward = direction == SRCInternal::Forward;
    const uint32_t n = forward ? p.block : planned;
    const uint32_t m = roundTrip ? n : forward ? planned : p.block;
    const double inRate = forward ? p.in : p.out;
    Output o{{}, roundTrip ? inRate : forward ? double(p.out) : double(p.in), uint64_t(kSettle) * m};
    uint64_t t = 0;
    for (int b = 0; b < kBlocks; ++b) {
        std::vector<float> buf(4 * (p.block + planned));
        for (uint32_t i = 0; i < n; ++i, ++t)
            buf[i] = freq ? float(kAmplitude * std::sin(2 * kPi * freq * double(t) / inRate)) : 1.0f;
        src.Process(buf.data(), 0, n, direction);
        if (roundTrip) src.Process(buf.data(), 0, planned, SRCInternal::Reverse);
        if (b >= kSettle) o.y.insert(o.y.end(), buf.begin(), buf.begin() + m);
    }
    return o;
}

// The output's component at `freq`: gain in dB against the input tone, and the delay in
// milliseconds that its phase shows. The window holds whole periods of every 50 Hz.
struct Component {
    double db, delayMs;
};
Component Measure(const Output& o, double freq) {
    const size_t n = size_t(o.rate / 50.0) * 2;
    EXPECT_GE(o.y.size(), n);
    double re = 0, im = 0;
    for (size_t i = 0; i < n; ++i) {
        const double w = 2 * kPi * freq * double(o.first + i) / o.rate;
        re += o.y[i] * std::cos(w);
        im += o.y[i] * std::sin(w);
    }
    const double phase = std::atan2(-re, im);  // y = sin(w - phase)
    return {20 * std::log10(2 * std::hypot(re, im) / double(n) / kAmplitude),
            1000 * std::fmod(phase + 2 * kPi, 2 * kPi) / (2 * kPi * freq)};
}

}  // namespace

// Each pair reports its block size and stage count, converts blocks in both directions
// on every channel without a heap call (Init made every buffer), carries a 1 kHz tone at
// its level to the output rate, and the reverse chain carries it back.
TEST(SRCInternal, EverySupportedPairCarriesAToneBothWaysWithoutAllocating) {
    for (const Pair& row : kPairs) {
        const Rates& p = row.rates;
        SCOPED_TRACE(testing::Message() << p.in << " -> " << p.out);
        SRCInternal src;
        uint32_t reported = 0;
        src.Init(p.in, p.out, p.block, &reported, 8);
        EXPECT_EQ(reported, row.outBlock);
        EXPECT_EQ(src.StageCount(), row.stages);
        std::vector<float> buf(8 * (p.block + reported), 0.25f);
        qx::test::AllocationCounter counter;
        for (uint32_t ch = 0; ch < 8; ++ch) {
            src.Process(buf.data(), ch, p.block, SRCInternal::Forward);
            src.Process(buf.data(), ch, reported, SRCInternal::Reverse);
            src.Process(buf.data(), ch, p.block / 2, SRCInternal::Forward);
        }
        EXPECT_EQ(counter.Count(), 0u);
        EXPECT_NEAR(Measure(Convert(p, SRCInternal::Forward, 1000), 1000).db, 0, 0.25);
        EXPECT_NEAR(Measure(Convert(p, SRCInternal::Forward, 1000, true), 1000).db, 0, 0.4);
    }
    qx::test::AllocationCounter counter;  // the counter does see allocations
    SRCInternal src;
    src.Init(44100, 48000, 441, nullptr, 2);
    EXPECT_GT(counter.Count(), 0u);
}

// One row per stage kind (and some chains): a constant settles at 1; the group delay of
// the linear-phase filters (half-band 32.5 taps, third-band 35, polyphase prototypes 1600
// taps at 7.056 MHz) summed over the stages and read from the phase of a 100 Hz tone; the
// gain at the top of the passband; and an image or alias, worked out by hand from the
// rates, held down by the stopband. The half-band filter is about 60 dB down from 0.28 of
// its higher rate, the third-band 57 dB from a fifth of its rate, the polyphase
// prototypes 57 dB (44.1 to 48 kHz) and 46 dB (48 to 44.1 kHz) from 28 kHz.
struct Response {
    const char* name;
    Rates pair;
    uint32_t direction;
    double delayMs;
    double edgeHz, edgeDb;  // gain within edgeDb of 0 at edgeHz
    double tone, image, atMostDb;
};
constexpr uint32_t kFwd = SRCInternal::Forward, kRev = SRCInternal::Reverse;
const Response kResponses[] = {
    {"Up2", {24000, 48000, 240}, kFwd, 32.5 / 48, 8000, 0.1, 5000, 19000, -60},
    {"Down2", {96000, 48000, 960}, kFwd, 32.5 / 96, 16000, 0.1, 30000, 18000, -60},
    {"Up3Down2", {22050, 14700, 441}, kRev, 35 / 44.1, 1000, 0.05, 1000, 8350, -57},
    {"Up2Down3", {22050, 14700, 441}, kFwd, 35 / 44.1, 1000, 0.05, 1000, 6350, -57},
    {"Up160Down147", {44100, 48000, 441}, kFwd, 10 / 44.1, 17000, 0.2, 5000, 8900, -57},
    {"Up147Down160", {48000, 44100, 480}, kFwd, 10 / 44.1, 17900, 0.2, 18000, 14100, -46},
    {"Down3", {48000, 16000, 480}, kFwd, 33 / 48.0, 1000, 0.05, 12000, 4000, -57},
    {"Up3", {16000, 48000, 160}, kFwd, 35 / 48.0, 1000, 0.05, 1000, 15000, -57},
    {"Up2 Up3", {8000, 48000, 80}, kFwd, 32.5 / 16 + 35 / 48.0, 3000, 0.1, 0, 0, 0},
    {"Down3 Down2", {8000, 48000, 80}, kRev, 33 / 48.0 + 32.5 / 16, 3000, 0.1, 0, 0, 0},
    {"Down2 Down3", {96000, 16000, 960}, kFwd, 32.5 / 96 + 33 / 48.0, 6000, 0.1, 0, 0, 0},
    {"Up2 Up2 Up160Down147", {11025, 48000, 441}, kFwd, 32.5 / 22.05 + 32.5 / 44.1 + 10 / 44.1, 4000, 0.2, 0, 0, 0},
    {"Down2 Down2 Up147Down160", {192000, 44100, 1920}, kFwd, 32.5 / 192 + 32.5 / 96 + 10 / 44.1, 17900, 0.2, 0, 0,
     0},
};

TEST(SRCInternal, ResponsesMeasuredFromTheOutput) {
    for (const Response& r : kResponses) {
        SCOPED_TRACE(r.name);
        const Output dc = Convert(r.pair, r.direction, 0);
        for (double v : dc.y) ASSERT_NEAR(v, 1.0, 0.0025);  // 0.2%, 1.001 squared for two half-bands
        const Component low = Measure(Convert(r.pair, r.direction, 100), 100);
        EXPECT_NEAR(low.db, 0, 0.05);
        EXPECT_NEAR(low.delayMs, r.delayMs, 0.005);
        EXPECT_NEAR(Measure(Convert(r.pair, r.direction, r.edgeHz), r.edgeHz).db, 0, r.edgeDb);
        if (r.tone) {
            EXPECT_LT(Measure(Convert(r.pair, r.direction, r.tone), r.image).db, r.atMostDb);
        }
    }
}

namespace {
std::vector<float> Ramp(size_t n) {
    std::vector<float> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = 0.25f + 0.001f * float(i % 997);
    return v;
}

// Runs Process with the given arguments and tells whether the buffer stayed as it was.
bool Untouched(SRCInternal& src, uint32_t channel, uint32_t frames, uint32_t direction, size_t length = 2048) {
    std::vector<float> buf = Ramp(length);
    const std::vector<float> before = buf;
    src.Process(buf.data(), channel, frames, direction);
    return buf == before;
}
}  // namespace

// Rates it does not convert (unsupported or equal) plan nothing, report the block size
// they were given and leave every buffer as it is, whatever plan came before.
TEST(SRCInternal, UnsupportedAndEqualRatesConvertNothing) {
    const uint32_t pairs[][2] = {{32000, 48000}, {44100, 16000}, {11025, 16000}, {48000, 32000}, {44100, 44100},
                                 {48000, 48000}, {16000, 16000}, {0, 48000},     {48000, 0},     {96000, 22050}};
    for (const auto& pair : pairs) {
        SCOPED_TRACE(testing::Message() << pair[0] << " -> " << pair[1]);
        SRCInternal src;
        src.Init(48000, 44100, 480, nullptr, 2);
        uint32_t reported = 0;
        src.Init(pair[0], pair[1], 480, &reported, 2);
        EXPECT_EQ(reported, 480u);
        EXPECT_EQ(src.StageCount(), 0);
        EXPECT_EQ(src.BlockSize(1), 0u);  // nothing left of the plan before
        EXPECT_TRUE(Untouched(src, 0, 480, SRCInternal::Forward));
        EXPECT_TRUE(Untouched(src, 0, 480, SRCInternal::Reverse));
    }
}

// Blocks a stage cannot convert exactly, blocks larger than planned, channels beyond
// the planned count, unknown directions and missing buffers pass unchanged.
TEST(SRCInternal, BlocksAndChannelsItCannotConvertPassUnchanged) {
    struct Case {
        uint32_t in, out, block;
        uint8_t channels;
        uint32_t channel, frames, direction;
    };
    const Case cases[] = {
        {96000, 48000, 961, 2, 0, 961, kFwd},   // an odd block cannot be halved
        {22050, 14700, 439, 2, 1, 439, kFwd},   // nor 439 taken to 2/3
        {22050, 14700, 439, 2, 1, 292, kRev},   // nor 292 to 3/2
        {44100, 48000, 441, 2, 0, 442, kFwd},   // larger than planned
        {44100, 48000, 441, 2, 2, 441, kFwd},   // a channel not prepared
        {44100, 48000, 441, 8, 8, 441, kFwd},
        {44100, 48000, 441, 2, 0xFFFFFFFF, 441, kFwd},
        {44100, 48000, 441, 2, 0, 441, 2},      // no such direction
        {44100, 48000, 441, 2, 0, 0, kFwd},
        {44100, 48000, 441, 0, 0, 441, kFwd},   // no channels prepared
        {44100, 48000, 0xFFFFFFFF, 8, 0, 32, kFwd},  // too large to get buffers
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in << " -> " << c.out << " block " << c.block << " channel " << c.channel
                                        << " frames " << c.frames << " direction " << c.direction);
        SRCInternal src;
        src.Init(c.in, c.out, c.block, nullptr, c.channels);
        EXPECT_TRUE(Untouched(src, c.channel, c.frames, c.direction));
    }
    // After a block too large for buffers, an ordinary plan converts again.
    SRCInternal src;
    uint32_t reported = 0;
    src.Init(44100, 48000, 0xFFFFFFFFu, &reported, 8);
    EXPECT_EQ(reported, uint32_t(48000ull * 0xFFFFFFFFull / 44100));
    src.Init(44100, 48000, 441, nullptr, 2);
    src.Process(nullptr, 0, 441, SRCInternal::Forward);
    EXPECT_FALSE(Untouched(src, 1, 441, SRCInternal::Forward));
}

// A second Init keeps buffers that are large enough (and with them the input history of
// the polyphase stages) and gives new channels their own, but clears the FIR delay
// lines and phases.
TEST(SRCInternal, SecondInitKeepsBuffersAndClearsFilterMemory) {
    SRCInternal src;
    src.Init(96000, 48000, 960, nullptr, 2);
    const float* kept = src.ForwardStage(0).ChannelBuffer(0);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(src.ForwardStage(0).ChannelBuffer(2), nullptr);
    std::vector<float> buf(960, 0.5f);
    src.Process(buf.data(), 0, 960, SRCInternal::Forward);
    src.Init(96000, 48000, 480, nullptr, 4);  // smaller blocks, more channels
    EXPECT_EQ(src.ForwardStage(0).ChannelBuffer(0), kept);
    EXPECT_FALSE(Untouched(src, 3, 960 / 2, SRCInternal::Forward));
    buf.assign(960, 0.0f);
    src.Process(buf.data(), 0, 480, SRCInternal::Forward);
    EXPECT_EQ(buf, std::vector<float>(960, 0.0f));  // the half-band line was cleared
    src.Init(96000, 48000, 1920, nullptr, 2);        // larger: new buffers for two channels
    EXPECT_EQ(src.ForwardStage(0).ChannelBuffer(2), nullptr);

    src.Init(44100, 48000, 441, nullptr, 1);
    buf.assign(480, 0.5f);
    src.Process(buf.data(), 0, 441, SRCInternal::Forward);
    src.Process(buf.data(), 0, 100, SRCInternal::Forward);  // leaves the phase mid-way
    src.Init(44100, 48000, 441, nullptr, 2);
    const std::vector<float> silent(480, 0.0f);
    buf = silent;
    src.Process(buf.data(), 1, 441, SRCInternal::Forward);
    EXPECT_EQ(buf, silent);  // the new channel starts from silence
    src.Process(buf.data(), 0, 441, SRCInternal::Forward);
    EXPECT_NE(buf[0], 0.0f);  // the kept inputs still ring out
    // The phase restarted at 0: a block of 441 brings it back there.
    EXPECT_EQ(src.ForwardStage(0).Phase(0), 0u);
}

// The history the 160/147 kinds keep lies at the start of the channel buffer (20 inputs
// up, 24 down), the block copied behind it, so that a buffer kept across a change of kind
// hands the new kind the first of those floats as its history. Each case runs one kind
// on a ramp, changes kind, converts silence, and compares with a fresh converter of the
// new kind whose own last block ended in the floats the buffer then holds.
TEST(SRCInternal, PolyphaseHistoryCarriesAcrossAChangeOfKind) {
    struct Case {
        uint32_t from, to, block, newBlock;
        std::vector<float> history;  // what the new kind reads before its first block
    };
    const auto ramp = [](uint32_t a, uint32_t b) {  // inputs a .. b - 1 of the ramp
        std::vector<float> v;
        for (uint32_t i = a; i < b; ++i) v.push_back(0.001f * (i + 1));
        return v;
    };
    std::vector<float> upThenDown = ramp(421, 441), downThenUp = ramp(456, 476);
    for (float f : ramp(0, 4)) upThenDown.push_back(f);  // the first inputs of the block behind 20
    const Case cases[] = {{44100, 48000, 441, 480, upThenDown}, {48000, 44100, 480, 441, downThenUp}};
    for (const Case& c : cases) {
        SRCInternal changed, fresh;
        changed.Init(c.from, c.to, 480, nullptr, 1);  // buffers large enough for either kind
        std::vector<float> buf = ramp(0, c.block);
        buf.resize(1024);
        changed.Process(buf.data(), 0, c.block, SRCInternal::Forward);
        changed.Init(c.to, c.from, c.newBlock, nullptr, 1);
        fresh.Init(c.to, c.from, c.newBlock, nullptr, 1);
        std::vector<float> primed(1024, 0.0f);
        std::copy(c.history.begin(), c.history.end(), primed.begin() + c.newBlock - c.history.size());
        fresh.Process(primed.data(), 0, c.newBlock, SRCInternal::Forward);
        std::vector<float> a(1024, 0.0f), b(1024, 0.0f);
        changed.Process(a.data(), 0, c.newBlock, SRCInternal::Forward);
        fresh.Process(b.data(), 0, c.newBlock, SRCInternal::Forward);
        EXPECT_EQ(a, b) << c.from << " then " << c.to;
        EXPECT_NE(a[0], 0.0f);
    }
}
