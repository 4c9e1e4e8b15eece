// Reading and writing FX store keys through the schema readers and writers, against
// the system's in-memory property store.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "settings/PropertyStoreAccess.h"
#include "tests/support/Stores.h"

using namespace qx::settings;
using qx::ComPtr;
using qx::test::FailingPropertyStore;

namespace {
class PropertyStoreAccess : public testing::Test {
protected:
    ComPtr<IPropertyStore> store = qx::test::NewMemoryStore();
};
}  // namespace

// Only a VT_UI4 counts for numbers and flags; anything else leaves the target as it was.
TEST_F(PropertyStoreAccess, NumbersFlagsAndSignedValuesNeedAVT_UI4) {
    IPropertyStore* s = store.Get();
    const struct {
        std::function<void()> put;
        bool counts;
        uint32_t number;  // as ReadUInt gives it
        int32_t sign;     // as ReadSigned gives it
    } cases[] = {
        {[] {}, false, 77, -77},
        {[s] { qx::test::PutBool(s, key::FlexBassLevel, true); }, false, 77, -77},
        {[s] { qx::test::PutString(s, key::FlexBassLevel, L"12"); }, false, 77, -77},
        {[s] { qx::test::PutUInt(s, key::FlexBassLevel, 7); }, true, 7, 7},
        {[s] { qx::test::PutUInt(s, key::FlexBassLevel, 0); }, true, 0, 0},
        {[s] { qx::test::PutUInt(s, key::FlexBassLevel, 0x0001FFF6u); }, true, 0x0001FFF6u, -10},  // stray high bits
    };
    for (const auto& c : cases) {
        c.put();
        uint32_t number = 77;
        int32_t sign = -77;
        bool on = c.number == 0;  // the opposite of what a counted value gives
        EXPECT_EQ(c.counts, ReadUInt(s, key::FlexBassLevel, number));
        EXPECT_EQ(c.counts, ReadSigned(s, key::FlexBassLevel, sign));
        EXPECT_EQ(c.counts, ReadFlag(s, key::FlexBassLevel, on));
        EXPECT_EQ(c.number, number);
        EXPECT_EQ(c.sign, sign);
        EXPECT_EQ(c.counts ? c.number != 0 : c.number == 0, on) << c.number;
    }
    uint32_t raw = 0;
    ASSERT_EQ(S_OK, WriteSigned(s, key::SpeakerShifterAngle(0), -45));
    ASSERT_TRUE(qx::test::GetUInt(s, key::SpeakerShifterAngle(0), raw));
    EXPECT_EQ(0xFFFFFFD3u, raw);
    for (bool on : {true, false}) {
        ASSERT_EQ(S_OK, WriteFlag(s, key::Eq15PhaseMode, on));
        ASSERT_TRUE(qx::test::GetUInt(s, key::Eq15PhaseMode, raw));
        EXPECT_EQ(on ? 1u : 0u, raw);
    }
}

TEST_F(PropertyStoreAccess, FilterRecordsNeedTheirExactBlobSize) {
    uint8_t bytes[17] = {};
    EncodeFilterRecord({1, 1000, -6, 1.5f}, bytes);
    FilterRecord out{};
    for (size_t size : {size_t(15), size_t(17), size_t(0)}) {
        qx::test::PutBlob(store.Get(), key::Eq15Bass, bytes, size);
        EXPECT_FALSE(ReadFilterRecord(store.Get(), key::Eq15Bass, out)) << size;
    }
    qx::test::PutBlob(store.Get(), key::Eq15Bass, bytes, 16);
    ASSERT_TRUE(ReadFilterRecord(store.Get(), key::Eq15Bass, out));
    EXPECT_EQ(1000u, out.frequency);
    EXPECT_EQ(-6, out.gain);
    EXPECT_EQ(1.5f, out.q);

    FilterRecord bands[kEq15BandCount], back[kEq15BandCount] = {};
    for (size_t i = 0; i < kEq15BandCount; ++i) bands[i] = {uint32_t(i & 1), uint32_t(100 * (i + 1)), int32_t(i) - 7, 0.5f * (i + 1)};
    ASSERT_EQ(S_OK, WriteFilterBands(store.Get(), bands));
    const std::vector<uint8_t> blob = qx::test::GetBlob(store.Get(), key::Eq15Bands);
    EXPECT_EQ(240u, blob.size());  // the fifteen bands travel as one blob
    ASSERT_TRUE(ReadFilterBands(store.Get(), back));
    for (size_t i = 0; i < kEq15BandCount; ++i) {
        EXPECT_EQ(bands[i].on, back[i].on);
        EXPECT_EQ(bands[i].frequency, back[i].frequency);
        EXPECT_EQ(bands[i].gain, back[i].gain);
        EXPECT_EQ(bands[i].q, back[i].q);
    }
    qx::test::PutBlob(store.Get(), key::Eq15Bands, blob.data(), 224);
    FilterRecord untouched[kEq15BandCount] = {};
    EXPECT_FALSE(ReadFilterBands(store.Get(), untouched));
    EXPECT_EQ(0u, untouched[0].frequency);
}

TEST_F(PropertyStoreAccess, FailingAndMissingStoresReadAsAbsent) {
    auto* failing = new FailingPropertyStore(E_ACCESSDENIED);
    uint32_t value = 5;
    EXPECT_FALSE(ReadUInt(failing, key::EqualizerEnable, value));
    EXPECT_FALSE(ReadUInt(nullptr, key::EqualizerEnable, value));
    EXPECT_EQ(5u, value);
    EXPECT_EQ(E_ACCESSDENIED, ReadStatus(failing, key::EndpointGuid));
    EXPECT_EQ(E_ACCESSDENIED, WriteUInt(failing, key::EqualizerEnable, 1));
    EXPECT_EQ(E_POINTER, WriteUInt(nullptr, key::EqualizerEnable, 1));
    EXPECT_EQ(E_POINTER, ReadStatus(nullptr, key::EndpointGuid));
    failing->Release();
    EXPECT_FALSE(QueryStore(nullptr));
    EXPECT_EQ(store.Get(), QueryStore(store.Get()).Get());
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    EXPECT_FALSE(QueryStore(stream.Get()));
}

TEST_F(PropertyStoreAccess, EndpointPropertiesTakeTheFormFactorWhateverItsType) {
    uint32_t formFactor = FormFactorUnknown;
    EXPECT_EQ(E_POINTER, ReadEndpointProperties(nullptr, formFactor));
    PROPVARIANT v;
    PropVariantInit(&v);
    v.vt = VT_I4;
    v.lVal = LONG(FormFactorSpdif);
    ASSERT_EQ(S_OK, store->SetValue(ToPropertyKey(key::EndpointFormFactor), v));
    EXPECT_EQ(S_OK, ReadEndpointProperties(store.Get(), formFactor));  // a missing GUID is no failure
    EXPECT_EQ(FormFactorSpdif, formFactor);
    // A failing GUID read is the status; the form factor read before it still counts.
    auto* failing = new FailingPropertyStore(E_ACCESSDENIED, qx::test::NewEndpointStore(FormFactorMicrophone).Get());
    failing->FailKey(key::EndpointGuid);
    EXPECT_EQ(E_ACCESSDENIED, ReadEndpointProperties(failing, formFactor));
    EXPECT_EQ(FormFactorMicrophone, formFactor);
    failing->Release();
}

TEST_F(PropertyStoreAccess, KeysConvertBothWays) {
    const PROPERTYKEY pk = ToPropertyKey(key::VoiceClarityEnable);
    const GUID expected = {0x3BDB362E, 0x2722, 0x4CF3, {0xBF, 0x07, 0x5F, 0x44, 0xBF, 0x35, 0x0F, 0xC9}};
    EXPECT_TRUE(IsEqualGUID(expected, pk.fmtid));
    EXPECT_EQ(6u, pk.pid);
    EXPECT_TRUE(FromPropertyKey(pk) == key::VoiceClarityEnable);
}
