#pragma once
// Test access to QXSampleFX.dll, loaded from the test program's folder: its entry
// points, the classes it serves as the global processor creates them, and a fixture that
// ends every test with nothing of the DLL alive.
#include <windows.h>
#include <mmreg.h>

#include <gtest/gtest.h>

#include <string>

#include "common/ComPtr.h"
#include "common/Handles.h"
#include "host/InProcessServer.h"
#include "settings/IQXEffectComponent.h"
#include "tests/support/WaveFormats.h"

namespace qx::test {

// A parameter a component takes, with the one size it accepts.
struct Param {
    BYTE id, size;
};
// One class: its identifier, the IID the global processor creates it by, its parameters.
struct ComponentId {
    const char* name;
    CLSID clsid;
    IID creationIid;
    Param params[7];
};
inline constexpr ComponentId kEqualizer{"Equalizer",
                                        {0xEB09C38E, 0x23DD, 0x48A8, {0x89, 0xE4, 0x4F, 0x12, 0xF3, 0xCC, 0x5A, 0xE7}},
                                        {0x4BE71351, 0x495E, 0x472C, {0x91, 0x20, 0x0F, 0x3C, 0x19, 0x89, 0x92, 0x92}},
                                        {{10, 8}, {11, 40}}};
inline constexpr ComponentId kEq15{"15-Band Equalizer",
                                   {0xCB1DB2F4, 0x3364, 0x48DF, {0xAD, 0xB0, 0x53, 0x75, 0xC1, 0x21, 0x0C, 0x7A}},
                                   {0x7FDAC3E4, 0x0EB3, 0x4910, {0xAF, 0xBE, 0x52, 0xE4, 0x2A, 0x95, 0xE5, 0xC7}},
                                   {{35, 1}, {36, 8}, {37, 1}, {38, 8}, {39, 240}, {40, 1}, {41, 1}}};
inline constexpr ComponentId kVocalFading{"Vocal Fading",
                                          {0x3E7B4824, 0xFFB3, 0x4A07, {0x8A, 0xC3, 0xA2, 0x20, 0xCD, 0x85, 0x34, 0xC5}},
                                          {0x77EFACE7, 0xE768, 0x45F3, {0x83, 0x4D, 0x29, 0x86, 0xEC, 0x87, 0x8B, 0x95}},
                                          {{9, 1}}};
inline constexpr ComponentId kVocalRemover{"Vocal Remover",
                                           {0x62224D1A, 0xECC7, 0x4752, {0xAC, 0x8A, 0x9A, 0x3B, 0x1A, 0x29, 0x89, 0x4A}},
                                           {0xCA9B25CC, 0x1567, 0x4AD0, {0xB5, 0xAD, 0x82, 0x94, 0x29, 0xE5, 0xDE, 0x25}},
                                           {{33, 1}, {34, 4}}};
inline constexpr ComponentId kEnvironment{"Environment",
                                          {0x4D0A31C2, 0xCFF9, 0x4626, {0xB8, 0xAE, 0xE8, 0xBC, 0x98, 0xD6, 0x60, 0x84}},
                                          {0x605EE47D, 0x6327, 0x41CF, {0x9E, 0xBF, 0x80, 0x94, 0xB0, 0xC1, 0xD1, 0xEF}},
                                          {{6, 2}}};
inline constexpr ComponentId kFlexBass{"Flex Bass",
                                       {0x37A6AA01, 0xA5D2, 0x4955, {0xA6, 0x78, 0x89, 0xD7, 0x6B, 0x1B, 0x86, 0x97}},
                                       {0x4FAA831A, 0x32B0, 0x45BE, {0xBC, 0x94, 0x66, 0xFD, 0xA1, 0xBF, 0xF9, 0x0D}},
                                       {{13, 4}, {14, 4}, {15, 4}}};
inline constexpr ComponentId kSmartVolume{"Smart Volume Normalizer",
                                          {0xF5311147, 0xD9A9, 0x4750, {0x9F, 0x1C, 0xB7, 0x08, 0xBD, 0x06, 0x89, 0xB1}},
                                          {0x720E3044, 0xEE69, 0x46D1, {0xA1, 0xD7, 0xFF, 0x46, 0xC6, 0xAC, 0x91, 0x76}},
                                          {{12, 0}}};
inline constexpr const ComponentId* kAll[] = {&kEqualizer, &kEq15,      &kVocalFading, &kVocalRemover,
                                              &kEnvironment, &kFlexBass, &kSmartVolume};

class SampleFxLibrary {
public:
    SampleFxLibrary() : module_(LoadLibraryW((host::ProgramFolder() + L"QXSampleFX.dll").c_str())) {}
    bool Loaded() const { return getClassObject_ && canUnloadNow_ && register_ && unregister_; }
    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) const { return getClassObject_(clsid, riid, ppv); }
    HRESULT CanUnloadNow() const { return canUnloadNow_(); }
    HRESULT Register() const { return register_(); }
    HRESULT Unregister() const { return unregister_(); }

    // Created as the global processor creates it: by its creation IID, then queried for
    // the component interface.
    ComPtr<IQXEffectComponent> Create(const ComponentId& id) const {
        ComPtr<IClassFactory> factory;
        ComPtr<IUnknown> created;
        ComPtr<IQXEffectComponent> component;
        if (SUCCEEDED(GetClassObject(id.clsid, IID_IClassFactory, factory.PutVoid())) &&
            SUCCEEDED(factory->CreateInstance(nullptr, id.creationIid, created.PutVoid())))
            created->QueryInterface(__uuidof(IQXEffectComponent), component.PutVoid());
        return component;
    }

private:
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    using NoArgFn = HRESULT(WINAPI*)();
    // Entry points are looked up once the module is loaded (members in declaration order).
    template <class Fn = NoArgFn>
    Fn Find(const char* name) const {
        return module_ ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_.Get(), name))) : nullptr;
    }
    ModuleHandle module_;
    const GetClassObjectFn getClassObject_ = Find<GetClassObjectFn>("DllGetClassObject");
    const NoArgFn canUnloadNow_ = Find("DllCanUnloadNow"), register_ = Find("DllRegisterServer"),
                  unregister_ = Find("DllUnregisterServer");
};

inline const SampleFxLibrary& SampleFx() {
    static const SampleFxLibrary library;
    return library;
}

class SampleFxTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SampleFx().Loaded()) << "QXSampleFX.dll not found next to the test"; }
    void TearDown() override { EXPECT_EQ(S_OK, SampleFx().CanUnloadNow()) << "a sample component was leaked"; }

    // A component initialised in place for planar float at `rate` with `channels` and
    // periods of 10 ms.
    static ComPtr<IQXEffectComponent> Make(const ComponentId& id, uint32_t rate = 48000, uint16_t channels = 2,
                                           UINT32 flag = 0) {
        ComPtr<IQXEffectComponent> c = SampleFx().Create(id);
        const WAVEFORMATEX f = FloatFormat(rate, channels);
        EXPECT_TRUE(c && c->Initialize(&f, &f, rate / 100, flag) == S_OK) << id.name;
        return c;
    }
};

}  // namespace qx::test
