#include <gtest/gtest.h>

#include <cstring>
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
    constexpr qx::Guid g = qx::ParseGuid("{BD341FFB-9FD1-4ED4-8159-7999D546EA8A}");
    EXPECT_EQ(g.data1, 0xBD341FFBu);
    EXPECT_EQ(g.data2, 0x9FD1);
    EXPECT_EQ(g.data3, 0x4ED4);
    const uint8_t tail[8] = {0x81, 0x59, 0x79, 0x99, 0xD5, 0x46, 0xEA, 0x8A};
    EXPECT_EQ(0, std::memcmp(g.data4, tail, 8));
}

TEST(EffectSchema, EffectTableFollowsEffectIds) {
    for (uint32_t id = 1; id <= kEffectCount; ++id) {
        const EffectInfo* e = FindEffect(id);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->id, id);
        ASSERT_NE(FindKey(e->enableKey), nullptr) << id;
        EXPECT_EQ(FindKey(e->enableKey)->kind, ValueKind::Flag) << id;
    }
    EXPECT_EQ(FindEffect(0), nullptr);
    EXPECT_EQ(FindEffect(29), nullptr);
    // The loudspeaker and headphone presentations of Nuvex Surround share one key.
    EXPECT_TRUE(FindEffect(EffectNuvex)->enableKey == FindEffect(EffectNuvexHeadphone)->enableKey);
    EXPECT_EQ(FindEffect(EffectVoiceClarity)->enableKey.pid, 6u);
    EXPECT_EQ(FindEffect(EffectZurAec)->statusName, nullptr);
    EXPECT_EQ(std::wstring(FindEffect(EffectEnc)->statusName), L"Environmental Noise Cancellation");
    EXPECT_EQ(FindEffect(EffectEq15)->dialogTemplate, 122);
    EXPECT_EQ(FindEffect(EffectDolbyPcee)->dialogTemplate, kDolbyPanelDialog);
}

TEST(EffectSchema, SignedValuesComeFromTheLow16Bits) {
    EXPECT_EQ(EncodeSigned(-45), 0xFFFFFFD3u);
    EXPECT_EQ(DecodeSigned(0xFFFFFFD3u), -45);
    EXPECT_EQ(DecodeSigned(0x0000FFD3u), -45);  // high bits do not matter
    EXPECT_EQ(DecodeSigned(65491u), -45);
    EXPECT_EQ(DecodeSigned(180u), 180);
    EXPECT_EQ(DecodeSigned(0x00010005u), 5);
}

TEST(EffectSchema, FilterRecordLayoutIsLittleEndian) {
    const FilterRecord r{1, 1000, -12, 2.5f};
    uint8_t bytes[kFilterRecordSize];
    EncodeFilterRecord(r, bytes);
    const uint8_t expected[16] = {1, 0, 0, 0, 0xE8, 0x03, 0, 0, 0xF4, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x20, 0x40};
    EXPECT_EQ(0, std::memcmp(bytes, expected, 16));
    const FilterRecord back = DecodeFilterRecord(bytes);
    EXPECT_EQ(back.on, 1u);
    EXPECT_EQ(back.frequency, 1000u);
    EXPECT_EQ(back.gain, -12);
    EXPECT_EQ(back.q, 2.5f);
    EXPECT_EQ(kEq15BandsSize, 240u);
}

TEST(EffectSchema, EnvironmentPresetsAreComplete) {
    EXPECT_EQ(std::wstring(kEnvironmentPresets[0]), L"Default");
    EXPECT_EQ(std::wstring(kEnvironmentPresets[27]), L"KTV");
    EXPECT_EQ(FindKey(key::EnvironmentPreset)->max, 27);
}
