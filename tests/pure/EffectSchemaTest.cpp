#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <set>
#include <string>

#include "settings/EffectSchema.h"

using namespace qx::settings;

TEST(EffectSchema, KeysAreUniqueAndNamed) {
    for (size_t i = 0; i < kKeyCount; ++i) {
        for (size_t j = i + 1; j < kKeyCount; ++j) {
            EXPECT_FALSE(kKeyTable[i].key == kKeyTable[j].key) << kKeyTable[i].name << " / " << kKeyTable[j].name;
            EXPECT_STRNE(kKeyTable[i].name, kKeyTable[j].name);
        }
        EXPECT_EQ(FindKey(kKeyTable[i].key), &kKeyTable[i]);
        EXPECT_LE(kKeyTable[i].min, kKeyTable[i].def) << kKeyTable[i].name;
        EXPECT_LE(kKeyTable[i].def, kKeyTable[i].max) << kKeyTable[i].name;
    }
    EXPECT_EQ(FindKeyByName("equalizer.BAND4"), FindKey(key::EqualizerBand(4)));
    EXPECT_EQ(FindKeyByName("Equalizer.band"), nullptr);
    EXPECT_EQ(FindKeyByName(nullptr), nullptr);
}

TEST(EffectSchema, GuidParsingMatchesTheTextForm) {
    // The effect table below is written with the parser, so it is checked on its own.
    constexpr qx::Guid g = qx::ParseGuid("{BD341FFB-9FD1-4ED4-8159-7999D546EA8A}");
    const uint8_t tail[8] = {0x81, 0x59, 0x79, 0x99, 0xD5, 0x46, 0xEA, 0x8A};
    EXPECT_TRUE(g.data1 == 0xBD341FFBu && g.data2 == 0x9FD1 && g.data3 == 0x4ED4);
    EXPECT_EQ(0, std::memcmp(g.data4, tail, 8));
}

namespace {
// The effects as the control panel numbers them: list label, status name (null: built
// elsewhere), enable key and dialog template (0: none, 0xFFFF: the Dolby panel).
struct Effect {
    const wchar_t* label;
    const wchar_t* status;
    qx::Guid fmtid;
    uint32_t pid;
    uint16_t dialog;
};
constexpr qx::Guid kEq = qx::ParseGuid("{BD341FFB-9FD1-4ED4-8159-7999D546EA8A}");
constexpr qx::Guid kNuvex = qx::ParseGuid("{C020CDBF-756F-4B6D-9031-BE6E20CF1C9F}");
constexpr qx::Guid kDts = qx::ParseGuid("{3BDB362E-2722-4CF3-BF07-5F44BF350FC9}");
constexpr qx::Guid kVoice = qx::ParseGuid("{64805010-C7E7-4408-9BE0-658ED5DD0ED2}");
constexpr qx::Guid kMic = qx::ParseGuid("{3BC6329A-2397-4FF3-92F5-2CD9894BB889}");
constexpr qx::Guid kNoise = qx::ParseGuid("{A9334B7E-12FD-4918-B565-461073332B91}");
const Effect kEffects[] = {
    {L"Equalizer", L"Equalizer", kEq, 0, 106},
    {L"Environment", L"Environment", qx::ParseGuid("{686AD5B3-9A96-4723-87BC-EBCD95B407DE}"), 0, 107},
    {L"Flex Bass", L"Flex Bass", qx::ParseGuid("{5860EE50-9705-436A-96DB-BB18A130E08B}"), 0, 108},
    {L"Speaker Shifter", L"7.1 Virtual Speaker Shifter", qx::ParseGuid("{F9736E6B-5342-4690-82B7-95E78DF992A0}"), 0, 109},
    {L"Smart Volume", L"Smart Volume Normalizer", qx::ParseGuid("{E34C0B43-5F18-49B3-96ED-3F07E8028F69}"), 0, 0},
    {L"Dolby Surround", L"Dolby Surround", qx::ParseGuid("{D65010BE-653B-4606-B910-CDD7846478D1}"), 0, 119},
    {L"Dolby Pro Logic IIx", L"Dolby Pro Logic IIx", qx::ParseGuid("{9894DBA1-62C6-436B-B1CE-6EDBAFA69BBF}"), 0, 120},
    {L"DTS Neo:PC", L"DTS Neo:PC", qx::ParseGuid("{D77F6FDC-386F-44B5-9278-70B636002B3D}"), 0, 117},
    {L"DTS Surround Sensation", L"DTS Surround Sensation", kDts, 0, 118},
    {L"Nuvex Surround", L"Nuvex Surround", kNuvex, 0, 110},
    {L"Nuvex Surround Headphone", L"Nuvex Surround Headphone", kNuvex, 0, 111},
    {L"DTS Voice Clarity", L"DTS Voice Clarity", kDts, 6, 116},
    {L"Nuvex Surround Max", L"Nuvex Surround Max", qx::ParseGuid("{31AF2432-4E37-47C5-9785-9D9529E07129}"), 0, 0},
    {L"Swap Center and Subwoofer", L"Swap Center and Subwoofer", qx::ParseGuid("{1D7D6D22-151D-49AC-A999-EFF4CAA5178D}"), 0, 0},
    {L"Swap Side and Rear", L"Swap Side and Rear", qx::ParseGuid("{3A053648-49C9-4FD5-8500-CF595DDB08E2}"), 0, 0},
    {L"15-Band Equalizer", L"15-Band Equalizer", kEq, 11, 122},
    {L"Vocal Fading", L"Vocal Fading", kVoice, 0, 113},
    {L"Key Shifting", L"Key Shifting", kVoice, 2, 112},
    {L"Vocal Remover", L"Vocal Remover", kVoice, 4, 121},
    {L"Echo", L"Microphone Echo", kMic, 0, 114},
    {L"Magic Voice", L"Magic Voice", kMic, 2, 115},
    {L"Noise Reduction", L"Noise Reduction", kNoise, 0, 0},
    {L"ENC", L"Environmental Noise Cancellation", kNoise, 1, 0},
    {L"Beam Forming", L"Beam Forming", kNoise, 3, 0},
    {L"AEC", L"Acoustic Echo Cancellation", kNoise, 5, 0},
    {L"Mix Output", L"Mix Output Content to Recorded Audio Stream", qx::ParseGuid("{4EC67050-5A79-483D-91B8-7E1680BFBF5C}"), 0, 0},
    {L"Dolby PCEEv4", L"Dolby PCEE v4", qx::ParseGuid("{F7A79467-4169-406A-9244-46ED00E3F2F6}"), 0, 0xFFFF},
    {L"Zur AEC", nullptr, kNoise, 6, 0},
};
}  // namespace

TEST(EffectSchema, EffectTableHoldsEveryEffectInIdOrder) {
    ASSERT_EQ(std::size(kEffects), size_t(kEffectCount));
    for (uint32_t id = 1; id <= kEffectCount; ++id) {
        const Effect& want = kEffects[id - 1];
        const EffectInfo* e = FindEffect(id);
        ASSERT_NE(e, nullptr) << id;
        EXPECT_EQ(e->id, id);
        EXPECT_EQ(std::wstring(want.label), e->label) << id;
        EXPECT_EQ(want.status ? std::wstring(want.status) : L"<none>", e->statusName ? e->statusName : L"<none>") << id;
        EXPECT_TRUE(e->enableKey == (KeyId{want.fmtid, want.pid})) << id;
        EXPECT_EQ(e->dialogTemplate, want.dialog) << id;
        ASSERT_NE(FindKey(e->enableKey), nullptr) << id;
        EXPECT_EQ(FindKey(e->enableKey)->kind, ValueKind::Flag) << id;
    }
    EXPECT_EQ(FindEffect(0), nullptr);
    EXPECT_EQ(FindEffect(29), nullptr);
}

// Signed settings travel as 32-bit two's complement and are read from their low 16 bits;
// a filter record is 16 little-endian bytes: on, frequency, gain, Q.
TEST(EffectSchema, StoredFormsOfSignedValuesAndFilterRecords) {
    const struct {
        uint32_t stored;
        int32_t value;
    } signedValues[] = {{0xFFFFFFD3u, -45}, {0x0000FFD3u, -45}, {65491u, -45}, {180u, 180}, {0x00010005u, 5}};
    for (const auto& v : signedValues) EXPECT_EQ(DecodeSigned(v.stored), v.value) << std::hex << v.stored;
    EXPECT_EQ(EncodeSigned(-45), 0xFFFFFFD3u);

    uint8_t bytes[kFilterRecordSize];
    EncodeFilterRecord(FilterRecord{1, 1000, -12, 2.5f}, bytes);
    const uint8_t expected[16] = {1, 0, 0, 0, 0xE8, 0x03, 0, 0, 0xF4, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x20, 0x40};
    EXPECT_EQ(0, std::memcmp(bytes, expected, 16));
    const FilterRecord back = DecodeFilterRecord(expected);
    EXPECT_TRUE(back.on == 1 && back.frequency == 1000 && back.gain == -12 && back.q == 2.5f);
    EXPECT_EQ(kEq15BandsSize, 240u);
}

TEST(EffectSchema, EnvironmentPresetsInIndexOrder) {
    const wchar_t* names[] = {L"Default", L"Generic", L"Padded cell", L"Room", L"Bathroom", L"Living room",
                              L"Stone room", L"Auditorium", L"Concert hall", L"Cave", L"Arena", L"Hangar",
                              L"Carpeted hallway", L"Hallway", L"Stone corridor", L"Alley", L"Forest", L"City",
                              L"Mountains", L"Quarry", L"Plain", L"Parking lot", L"Sewer pipe", L"Under water",
                              L"Drugged", L"Dizzy", L"Psychotic", L"KTV"};
    for (size_t i = 0; i < std::size(names); ++i) EXPECT_EQ(std::wstring(names[i]), kEnvironmentPresets[i]) << i;
    EXPECT_EQ(FindKey(key::EnvironmentPreset)->max, int32_t(std::size(names)) - 1);
}
