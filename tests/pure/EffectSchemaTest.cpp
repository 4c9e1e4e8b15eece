#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>

#include "settings/EffectSchema.h"

using namespace qx::settings;

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
