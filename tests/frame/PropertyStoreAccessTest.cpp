// Reading and writing FX store keys through the schema readers and writers, against
// the system's in-memory property store.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

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

TEST_F(PropertyStoreAccess, OnlyAVT_UI4CountsForNumbersAndFlags) {
    uint32_t value = 77;
    bool on = true;
    EXPECT_FALSE(ReadUInt(store.Get(), key::EqualizerEnable, value));  // missing
    EXPECT_EQ(77u, value);

    qx::test::PutBool(store.Get(), key::EqualizerEnable, true);
    EXPECT_FALSE(ReadFlag(store.Get(), key::EqualizerEnable, on));
    EXPECT_TRUE(on);  // left as it was

    qx::test::PutString(store.Get(), key::FlexBassLevel, L"12");
    EXPECT_FALSE(ReadUInt(store.Get(), key::FlexBassLevel, value));

    qx::test::PutUInt(store.Get(), key::EqualizerEnable, 7);
    ASSERT_TRUE(ReadFlag(store.Get(), key::EqualizerEnable, on));
    EXPECT_TRUE(on);
    qx::test::PutUInt(store.Get(), key::EqualizerEnable, 0);
    ASSERT_TRUE(ReadFlag(store.Get(), key::EqualizerEnable, on));
    EXPECT_FALSE(on);
}

TEST_F(PropertyStoreAccess, SignedValuesRoundTripThroughTheLow16Bits) {
    ASSERT_EQ(S_OK, WriteSigned(store.Get(), key::SpeakerShifterAngle(0), -45));
    uint32_t raw = 0;
    ASSERT_TRUE(qx::test::GetUInt(store.Get(), key::SpeakerShifterAngle(0), raw));
    EXPECT_EQ(0xFFFFFFD3u, raw);
    int32_t angle = 0;
    ASSERT_TRUE(ReadSigned(store.Get(), key::SpeakerShifterAngle(0), angle));
    EXPECT_EQ(-45, angle);

    qx::test::PutUInt(store.Get(), key::EqualizerBand(3), 0x0001FFF6u);  // stray high bits
    ASSERT_TRUE(ReadSigned(store.Get(), key::EqualizerBand(3), angle));
    EXPECT_EQ(-10, angle);
}

TEST_F(PropertyStoreAccess, FlagWritersStoreExactlyZeroOrOne) {
    ASSERT_EQ(S_OK, WriteFlag(store.Get(), key::Eq15PhaseMode, true));
    uint32_t raw = 9;
    ASSERT_TRUE(qx::test::GetUInt(store.Get(), key::Eq15PhaseMode, raw));
    EXPECT_EQ(1u, raw);
    ASSERT_EQ(S_OK, WriteFlag(store.Get(), key::Eq15PhaseMode, false));
    ASSERT_TRUE(qx::test::GetUInt(store.Get(), key::Eq15PhaseMode, raw));
    EXPECT_EQ(0u, raw);
}

TEST_F(PropertyStoreAccess, FilterRecordsNeedTheirExactBlobSize) {
    FilterRecord record{1, 1000, -6, 1.5f};
    uint8_t bytes[17] = {};
    EncodeFilterRecord(record, bytes);

    FilterRecord out{};
    for (size_t size : {size_t(15), size_t(17), size_t(0)}) {
        qx::test::PutBlob(store.Get(), key::Eq15Bass, bytes, size);
        EXPECT_FALSE(ReadFilterRecord(store.Get(), key::Eq15Bass, out)) << size;
    }
    qx::test::PutUInt(store.Get(), key::Eq15Bass, 1);
    EXPECT_FALSE(ReadFilterRecord(store.Get(), key::Eq15Bass, out));

    qx::test::PutBlob(store.Get(), key::Eq15Bass, bytes, 16);
    ASSERT_TRUE(ReadFilterRecord(store.Get(), key::Eq15Bass, out));
    EXPECT_EQ(1000u, out.frequency);
    EXPECT_EQ(-6, out.gain);
    EXPECT_EQ(1.5f, out.q);
}

TEST_F(PropertyStoreAccess, TheFifteenBandsTravelAsOne240ByteBlob) {
    FilterRecord bands[kEq15BandCount];
    for (size_t i = 0; i < kEq15BandCount; ++i) bands[i] = {uint32_t(i & 1), uint32_t(100 * (i + 1)), int32_t(i) - 7, 0.5f * (i + 1)};
    ASSERT_EQ(S_OK, WriteFilterBands(store.Get(), bands));
    EXPECT_EQ(240u, qx::test::GetBlob(store.Get(), key::Eq15Bands).size());

    FilterRecord back[kEq15BandCount] = {};
    ASSERT_TRUE(ReadFilterBands(store.Get(), back));
    for (size_t i = 0; i < kEq15BandCount; ++i) {
        EXPECT_EQ(bands[i].on, back[i].on);
        EXPECT_EQ(bands[i].frequency, back[i].frequency);
        EXPECT_EQ(bands[i].gain, back[i].gain);
        EXPECT_EQ(bands[i].q, back[i].q);
    }
    const std::vector<uint8_t> blob = qx::test::GetBlob(store.Get(), key::Eq15Bands);
    qx::test::PutBlob(store.Get(), key::Eq15Bands, blob.data(), 224);
    FilterRecord untouched[kEq15BandCount] = {};
    EXPECT_FALSE(ReadFilterBands(store.Get(), untouched));
    EXPECT_EQ(0u, untouched[0].frequency);
}

TEST_F(PropertyStoreAccess, FailingAndMissingStoresReadAsAbsent) {
    auto* failing = new FailingPropertyStore(E_ACCESSDENIED);
    uint32_t value = 5;
    EXPECT_FALSE(ReadUInt(failing, key::EqualizerEnable, value));
    EXPECT_EQ(5u, value);
    EXPECT_EQ(E_ACCESSDENIED, ReadStatus(failing, key::EndpointGuid));
    EXPECT_EQ(E_ACCESSDENIED, WriteUInt(failing, key::EqualizerEnable, 1));
    failing->Release();

    EXPECT_FALSE(ReadUInt(nullptr, key::EqualizerEnable, value));
    EXPECT_EQ(E_POINTER, WriteUInt(nullptr, key::EqualizerEnable, 1));
    EXPECT_EQ(E_POINTER, ReadStatus(nullptr, key::EndpointGuid));
}

namespace {
// An endpoint object whose QueryInterface claims success without handing out a pointer.
struct HollowEndpoint : IUnknown {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};
}  // namespace

TEST_F(PropertyStoreAccess, EndpointPropertiesTakeTheFormFactorWhateverItsType) {
    uint32_t formFactor = FormFactorUnknown;
    EXPECT_EQ(E_POINTER, ReadEndpointProperties(nullptr, formFactor));
    HollowEndpoint hollow;
    EXPECT_EQ(E_NOINTERFACE, ReadEndpointProperties(&hollow, formFactor));
    EXPECT_EQ(FormFactorUnknown, formFactor);

    // Any variant type counts; the missing endpoint GUID is no failure of the memory store.
    PROPVARIANT v;
    PropVariantInit(&v);
    v.vt = VT_I4;
    v.lVal = LONG(FormFactorSpdif);
    ASSERT_EQ(S_OK, store->SetValue(ToPropertyKey(key::EndpointFormFactor), v));
    EXPECT_EQ(S_OK, ReadEndpointProperties(store.Get(), formFactor));
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
    EXPECT_TRUE(SameKey(pk, key::VoiceClarityEnable));
    EXPECT_FALSE(SameKey(pk, key::SurroundSensationEnable));
    EXPECT_TRUE(FromPropertyKey(pk) == key::VoiceClarityEnable);
}

TEST_F(PropertyStoreAccess, QueryStoreAcceptsOnlyPropertyStores) {
    EXPECT_FALSE(QueryStore(nullptr));
    ComPtr<IPropertyStore> found = QueryStore(store.Get());
    EXPECT_EQ(store.Get(), found.Get());
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    EXPECT_FALSE(QueryStore(stream.Get()));
}
