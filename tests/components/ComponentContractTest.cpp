// The COM side of the sample components: identity, creation, Initialize and Process
// argument checks, parameter validation, self-registration and unloading.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/components/ComponentIds.h"
#include "tests/components/SampleFxLibrary.h"

using qx::ComPtr;
using qx::test::FloatFormat;
using qx::test::PlanarSignal;
using qx::test::SampleFx;
namespace ids = qx::test::ids;

namespace {
class ComponentContract : public qx::test::SampleFxTest {};

std::wstring ReadDefault(HKEY root, const std::wstring& path, const wchar_t* name = nullptr) {
    wchar_t value[MAX_PATH] = {};
    DWORD bytes = sizeof(value);
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS) return L"";
    return value;
}

std::wstring ClassKey(REFCLSID clsid) {
    wchar_t text[40];
    StringFromGUID2(clsid, text, 40);
    return std::wstring(L"CLSID\\") + text;
}
}  // namespace

TEST_F(ComponentContract, EveryClassAnswersItsCreationIidAndTheComponentInterfaceAsOneObject) {
    for (const auto& id : ids::kAll) {
        SCOPED_TRACE(id.name);
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, SampleFx().GetClassObject(id.clsid, IID_IClassFactory, factory.PutVoid()));
        EXPECT_EQ(S_FALSE, SampleFx().CanUnloadNow());  // a held factory keeps the DLL

        ComPtr<IUnknown> created, viaComponent, identity;
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, id.creationIid, created.PutVoid()));
        ASSERT_EQ(S_OK, created->QueryInterface(__uuidof(IQXEffectComponent), viaComponent.PutVoid()));
        ASSERT_EQ(S_OK, viaComponent->QueryInterface(IID_IUnknown, identity.PutVoid()));
        ComPtr<IUnknown> other;
        EXPECT_EQ(E_NOINTERFACE, created->QueryInterface(IID_IDispatch, other.PutVoid()));
        EXPECT_FALSE(other);

        ComPtr<IUnknown> outer(created.Get()), aggregated;
        EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer.Get(), IID_IUnknown, aggregated.PutVoid()));
    }
}

TEST_F(ComponentContract, UnknownClassesAndBadPointersAreRefused) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, SampleFx().GetClassObject(IID_IUnknown, IID_IClassFactory, factory.PutVoid()));
    EXPECT_EQ(E_POINTER, SampleFx().GetClassObject(ids::kEqualizer.clsid, IID_IClassFactory, nullptr));
    ASSERT_EQ(S_OK, SampleFx().GetClassObject(ids::kEqualizer.clsid, IID_IClassFactory, factory.PutVoid()));
    ComPtr<IUnknown> created;
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, ids::kFlexBass.creationIid, created.PutVoid()));
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IUnknown, nullptr));
    // LockServer counts like an object.
    factory.Reset();
    ASSERT_EQ(S_OK, SampleFx().GetClassObject(ids::kEqualizer.clsid, IID_IClassFactory, factory.PutVoid()));
    factory->LockServer(TRUE);
    factory.Reset();
    EXPECT_EQ(S_FALSE, SampleFx().CanUnloadNow());
    ASSERT_EQ(S_OK, SampleFx().GetClassObject(ids::kEqualizer.clsid, IID_IClassFactory, factory.PutVoid()));
    factory->LockServer(FALSE);
}

TEST_F(ComponentContract, InitializeAcceptsOnlyPlanarFloatFormats) {
    ComPtr<IQXEffectComponent> c = SampleFx().Create(ids::kEqualizer.clsid, ids::kEqualizer.creationIid);
    ASSERT_TRUE(c);
    WAVEFORMATEX f = FloatFormat(48000, 2);
    EXPECT_EQ(E_POINTER, c->Initialize(nullptr, nullptr, 480, 0));

    WAVEFORMATEX pcm = f;
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.wBitsPerSample = 16;
    pcm.nBlockAlign = 4;
    EXPECT_EQ(E_INVALIDARG, c->Initialize(&pcm, nullptr, 480, 0));
    WAVEFORMATEX nine = f;
    nine.nChannels = 9;
    nine.nBlockAlign = 36;
    EXPECT_EQ(E_INVALIDARG, c->Initialize(&nine, nullptr, 480, 0));
    WAVEFORMATEX noRate = f;
    noRate.nSamplesPerSec = 0;
    EXPECT_EQ(E_INVALIDARG, c->Initialize(&noRate, nullptr, 480, 0));
    EXPECT_EQ(E_INVALIDARG, c->Initialize(&f, nullptr, 0, 0));
    const WAVEFORMATEX six = FloatFormat(48000, 6);
    EXPECT_EQ(E_INVALIDARG, c->Initialize(&f, &six, 480, 0));  // in place keeps the layout

    // A failed Initialize leaves the component unready; Process says so and touches nothing.
    float left[4] = {1, 2, 3, 4};
    float* table[8] = {left, left};
    EXPECT_EQ(E_UNEXPECTED, c->Process(table, reinterpret_cast<void* const*>(table), 4));

    WAVEFORMATEXTENSIBLE ext{};
    ext.Format = FloatFormat(44100, 2);
    ext.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    ext.Format.cbSize = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);
    ext.SubFormat = {0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
    EXPECT_EQ(S_OK, c->Initialize(&ext.Format, nullptr, 441, 0));
    EXPECT_EQ(S_OK, c->Initialize(&f, &f, 480, 0));
}

TEST_F(ComponentContract, ProcessChecksItsTableAndCopiesToADistinctOutput) {
    ComPtr<IQXEffectComponent> c = SampleFx().Create(ids::kFlexBass.clsid, ids::kFlexBass.creationIid);
    ASSERT_TRUE(c);
    const WAVEFORMATEX f = FloatFormat(48000, 2);
    ASSERT_EQ(S_OK, c->Initialize(&f, &f, 480, 0));
    float a[8] = {0.5f, 0.25f}, b[8] = {}, outA[8] = {}, outB[8] = {};
    float* half[8] = {a, nullptr};
    EXPECT_EQ(E_POINTER, c->Process(nullptr, nullptr, 8));
    EXPECT_EQ(E_POINTER, c->Process(half, reinterpret_cast<void* const*>(half), 8));
    float* in[8] = {a, b};
    void* out[8] = {outA, outB};
    EXPECT_EQ(S_OK, c->Process(in, out, 0));
    EXPECT_EQ(S_OK, c->Process(in, out, 8));
    EXPECT_FLOAT_EQ(0.5f, outA[0]);  // flat at level 0: the copy is the input
    EXPECT_FLOAT_EQ(0.25f, outA[1]);
}

TEST_F(ComponentContract, ParametersOfTheWrongIdOrSizeAreRefused) {
    struct Case {
        const ids::ComponentId& id;
        BYTE param;
        BYTE goodSize;
    };
    const Case cases[] = {
        {ids::kEqualizer, 10, 8},     {ids::kEqualizer, 11, 40},  {ids::kEq15, 35, 1},
        {ids::kEq15, 36, 8},          {ids::kEq15, 39, 240},      {ids::kEq15, 41, 1},
        {ids::kVocalFading, 9, 1},    {ids::kVocalRemover, 33, 1}, {ids::kVocalRemover, 34, 4},
        {ids::kEnvironment, 6, 2},    {ids::kFlexBass, 13, 4},    {ids::kFlexBass, 15, 4},
        {ids::kSmartVolume, 12, 0},
    };
    const uint8_t zeros[240] = {};
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.id.name << " parameter " << int(k.param));
        ComPtr<IQXEffectComponent> c = SampleFx().Create(k.id.clsid, k.id.creationIid);
        ASSERT_TRUE(c);
        // Parameters are taken before Initialize too, as the processor may send them.
        EXPECT_EQ(S_OK, c->SetParameter(k.param, k.goodSize, k.goodSize ? zeros : nullptr));
        EXPECT_EQ(E_INVALIDARG, c->SetParameter(k.param, BYTE(k.goodSize + 1), zeros));
        if (k.goodSize) {
            EXPECT_EQ(E_POINTER, c->SetParameter(k.param, k.goodSize, nullptr));
        }
        EXPECT_EQ(E_NOTIMPL, c->SetParameter(200, 4, zeros));
    }
    // A band index past the tenth band is not a band.
    ComPtr<IQXEffectComponent> eq = SampleFx().Create(ids::kEqualizer.clsid, ids::kEqualizer.creationIid);
    const uint8_t band10[8] = {10, 0, 0, 0, 6, 0, 0, 0};
    EXPECT_EQ(E_INVALIDARG, eq->SetParameter(10, 8, band10));
}

TEST_F(ComponentContract, ParametersMayArriveWhileProcessing) {
    ComPtr<IQXEffectComponent> c = SampleFx().Create(ids::kEqualizer.clsid, ids::kEqualizer.creationIid);
    ASSERT_TRUE(c);
    const WAVEFORMATEX f = FloatFormat(48000, 2);
    ASSERT_EQ(S_OK, c->Initialize(&f, &f, 480, 0));
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        uint8_t band[8] = {};
        for (uint32_t i = 0; !stop; ++i) {
            band[0] = uint8_t(i % 10);
            qx::test::PutU32(band + 4, uint32_t(int32_t(i % 41) - 20));
            c->SetParameter(10, 8, band);
        }
    });
    PlanarSignal s(2, 48000);
    s.AddTone(0, 48000, 250, 0.1);
    s.AddTone(1, 48000, 1000, 0.1);
    s.Run(c.Get(), 480);
    stop = true;
    writer.join();
    for (uint32_t ch = 0; ch < 2; ++ch)
        // Every band may sit at +20 dB at once: bounded, but well above the input.
        for (float v : s[ch]) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) < 100.0f);
}

// Registration goes to a scratch key standing in for HKEY_CLASSES_ROOT, so the test
// leaves the prefix's real registrations alone.
TEST_F(ComponentContract, RegistersEveryClassAsAnInProcessServerAndUnregistersIt) {
    const wchar_t* scratchPath = L"Software\\QXTests\\SampleFxClasses";
    qx::RegKey scratch;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, scratchPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             scratch.Put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CLASSES_ROOT, scratch.Get()));
    const HRESULT registered = SampleFx().Register();
    std::vector<std::wstring> servers, models, names;
    for (const auto& id : ids::kAll) {
        const std::wstring key = ClassKey(id.clsid);
        servers.push_back(ReadDefault(scratch.Get(), key + L"\\InprocServer32"));
        models.push_back(ReadDefault(scratch.Get(), key + L"\\InprocServer32", L"ThreadingModel"));
        names.push_back(ReadDefault(scratch.Get(), key));
    }
    const HRESULT unregistered = SampleFx().Unregister();
    const HRESULT again = SampleFx().Unregister();
    size_t left = 0;
    for (const auto& id : ids::kAll) left += ReadDefault(scratch.Get(), ClassKey(id.clsid)).empty() ? 0 : 1;
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    scratch.Reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QXTests");

    EXPECT_EQ(S_OK, registered);
    for (size_t i = 0; i < servers.size(); ++i) {
        SCOPED_TRACE(ids::kAll[i].name);
        EXPECT_NE(std::wstring::npos, servers[i].find(L"QXSampleFX.dll"));
        EXPECT_EQ(L"Both", models[i]);
        EXPECT_FALSE(names[i].empty());
    }
    EXPECT_EQ(S_OK, unregistered);
    EXPECT_EQ(S_OK, again);  // nothing left to remove is fine
    EXPECT_EQ(0u, left);
}
