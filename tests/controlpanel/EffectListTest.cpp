// The effect list object against a real list-view in a page dialog, with endpoints served
// by the in-process device enumerator and components registered in-process. Row labels,
// orders and exclusions are written here from the list's contract.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "controlpanel/DolbyPanel.h"
#include "settings/PropertyStoreAccess.h"
#include "tests/controlpanel/Harness.h"
#include "tests/support/Stores.h"

using namespace qx;
using namespace qx::test;
using namespace qx::settings;
using host::NewEndpoint;
using host::NewEndpointStoreFor;

namespace {
constexpr uint32_t kSpeakers = 1, kHeadphones = 3, kMicrophone = 4, kSpdif = 8, kHdmi = 9;

// The row label of each EffectId.
const wchar_t* const kLabels[29] = {
    L"", L"Equalizer", L"Environment", L"Flex Bass", L"Speaker Shifter", L"Smart Volume", L"Dolby Surround",
    L"Dolby Pro Logic IIx", L"DTS Neo:PC", L"DTS Surround Sensation", L"Nuvex Surround", L"Nuvex Surround Headphone",
    L"DTS Voice Clarity", L"Nuvex Surround Max", L"Swap Center and Subwoofer", L"Swap Side and Rear",
    L"15-Band Equalizer", L"Vocal Fading", L"Key Shifting", L"Vocal Remover", L"Echo", L"Magic Voice",
    L"Noise Reduction", L"ENC", L"Beam Forming", L"AEC", L"Mix Output", L"Dolby PCEEv4", L"Zur AEC"};
// Checking the effect of a label unchecks these EffectIds.
std::vector<int> Excluded(const std::wstring& label) {
    const int id = int(std::find(std::begin(kLabels), std::end(kLabels), label) - std::begin(kLabels));
    switch (id) {
    case 1: return {16};
    case 16: return {1};
    case 6: return {9, 10, 11};
    case 7: return {8, 13};
    case 8: return {7, 13};
    case 9: return {6, 10, 11};
    case 10: case 11: return {6, 9};
    case 13: return {7, 8};
    case 17: return {19};
    case 19: return {17};
    case 20: return {21};
    case 21: return {20};
    case 22: return {23, 24, 25, 28};
    case 23: return {22, 24, 25, 28};
    case 24: case 25: return {22, 23, 28};
    case 27: return {1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16};
    case 28: return {22, 23, 24, 25};
    default: return {};
    }
}

Labels Join(Labels a, const Labels& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
const Labels kCommon = {L"Dolby PCEEv4", L"Equalizer", L"15-Band Equalizer", L"Environment", L"Speaker Shifter",
                        L"Smart Volume", L"Key Shifting", L"Vocal Fading", L"Vocal Remover", L"DTS Voice Clarity"};
const Labels kMatrix = {L"Dolby Pro Logic IIx", L"DTS Neo:PC", L"Nuvex Surround Max"};
const Labels kMicRows = {L"Echo", L"Magic Voice", L"Noise Reduction", L"ENC", L"Beam Forming", L"AEC", L"Mix Output", L"Zur AEC"};

class EffectList : public testing::Test {
protected:
    UINT32 Count(const EndpointSetup& setup) {
        ComPtr<IMMDevice> device = panel.endpoints.Add(L"counted", setup);
        ULONG n = 12345;
        EXPECT_EQ(S_OK, panel.object->GetNumDSPSupported(device.Get(), &n));
        return n;
    }
    std::wstring Status(int row, UINT32 size, HRESULT* hr, BYTE* button = nullptr) {
        std::vector<USHORT> buffer(size ? size : 1, 0xFFFF);
        panel.Select(row);
        *hr = panel.object->EffectList_GetStatusString(panel.list, fx.Get(), buffer.data(), size, button);
        return std::wstring(buffer.begin(), std::find(buffer.begin(), buffer.end(), 0));
    }
    uint32_t Applied(const KeyId& key) {
        ComPtr<IPropertyStore> applied = NewMemoryStore();
        EXPECT_EQ(S_OK, panel.object->EffectList_SetState(applied.Get()));
        return Stored(applied.Get(), key);
    }
    HRESULT Changed(IUnknown* store, const KeyId& key) {
        return panel.object->EffectList_PropertyValueChanged(panel.list, store, ToPropertyKey(key));
    }

    ComPtr<IPropertyStore> fx = NewMemoryStore();
    Panel panel{fx.Get()};
};
}  // namespace

TEST_F(EffectList, RowsAndCountFollowFormFactorMaskAndFormat) {
    const Labels stereo = Join(kCommon, {L"Flex Bass", L"Nuvex Surround", L"Dolby Surround", L"DTS Surround Sensation"});
    const Labels phones = Join(kCommon, {L"Nuvex Surround Headphone", L"Dolby Surround", L"DTS Surround Sensation"});
    const Labels surround = Join(Join(kCommon, {L"Flex Bass"}), Join(kMatrix, {L"Swap Center and Subwoofer"}));
    const Labels digital = Join(kCommon, {L"DTS Surround Sensation", L"Nuvex Surround"});
    const struct {
        EndpointSetup setup;
        Labels rows;
        UINT32 count;
    } cases[] = {
        {{kSpeakers, 3, 0}, stereo, 12},
        {{kSpeakers, 0x3F, 0}, surround, 13},
        {{kSpeakers, 0x60F, 0}, surround, 13},
        {{kSpeakers, 0x63F, 0}, Join(Join(kCommon, {L"Flex Bass"}), Join(kMatrix, {L"Swap Side and Rear", L"Swap Center and Subwoofer"})), 14},
        {{kSpeakers, 0x33, 0}, Join(Join(kCommon, {L"Flex Bass"}), kMatrix), 12},
        {{kSpeakers, 0, 0}, stereo, 12},
        {{kHeadphones, 3, 0}, phones, 11},
        {{kHeadphones, 0x3F, 0}, Join(Join(kCommon, {L"Nuvex Surround Headphone"}), Join(kMatrix, {L"Swap Center and Subwoofer"})), 14},
        // The list takes a missing mask as stereo, the count as a multichannel mask.
        {{kHeadphones, 0, 0}, phones, 13},
        {{kSpdif, 3, 0}, digital, 10},
        {{kSpdif, 3, 1}, digital, 10},
        {{kSpdif, 3, 0x92}, Join(kCommon, kMatrix), 11},
        {{kHdmi, 0x3F, 0x164}, Join(kCommon, kMatrix), 11},
        {{kMicrophone, 3, 0}, kMicRows, 8},
        {{2, 3, 0}, {}, 0},
        {{0, 3, 0}, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.setup.formFactor << " mask " << c.setup.speakerMask << " tag " << c.setup.formatTag);
        EXPECT_EQ(S_OK, panel.Show(c.setup));
        EXPECT_EQ(c.rows, panel.Rows());
        EXPECT_EQ(c.count, Count(c.setup));
    }
    // The list gets exactly check boxes and one left-aligned "Full Name" column, rebuilt each time.
    SendMessageW(panel.list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    ASSERT_EQ(S_OK, panel.Show({kSpeakers, 0x3F, 0}));
    EXPECT_EQ(DWORD(LVS_EX_CHECKBOXES), DWORD(SendMessageW(panel.list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)));
    wchar_t text[32] = {};
    LVCOLUMNW column{LVCF_FMT | LVCF_WIDTH | LVCF_TEXT, 0, 0, text, 32};
    ASSERT_TRUE(SendMessageW(panel.list, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(L"Full Name", text);
    EXPECT_EQ(250, column.cx);
    EXPECT_EQ(LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK);
    EXPECT_FALSE(SendMessageW(panel.list, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(surround, panel.Rows());
}

TEST_F(EffectList, EffectsWhoseComponentCannotBeCreatedAreLeftOut) {
    const struct {
        std::vector<int> missing;
        EndpointSetup setup;
        Labels rows;
        UINT32 count;
    } cases[] = {
        {{1, 10, 22}, {kSpeakers, 3, 0},
         {L"Dolby PCEEv4", L"15-Band Equalizer", L"Environment", L"Speaker Shifter", L"Smart Volume", L"Key Shifting",
          L"Vocal Fading", L"Vocal Remover", L"DTS Voice Clarity", L"Flex Bass", L"Dolby Surround", L"DTS Surround Sensation"},
         10},
        {{1, 10, 22}, {kMicrophone, 3, 0}, {L"Echo", L"Magic Voice", L"ENC", L"Mix Output", L"Zur AEC"}, 5},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 16, 17, 18, 19, 20, 23, 22, 26, 27, 28}, {kSpeakers, 0x63F, 0},
         {L"Nuvex Surround Max", L"Swap Side and Rear", L"Swap Center and Subwoofer"}, 3},
    };
    for (const auto& c : cases) {
        panel.components.reset();  // a class registered twice keeps its first registration
        panel.components = std::make_unique<Components>(c.missing);
        ASSERT_EQ(S_OK, panel.Show(c.setup));
        EXPECT_EQ(c.rows, panel.Rows());
        EXPECT_EQ(c.count, Count(c.setup));
    }
}

TEST_F(EffectList, InitializeAndCountReportWhatFailedOnTheDevice) {
    EXPECT_EQ(E_POINTER, panel.object->EffectList_Initialize(nullptr, const_cast<LPWSTR>(L"x"), fx.Get()));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_FOUND), panel.Initialize(L"nowhere"));
    LVCOLUMNW column{LVCF_WIDTH};
    EXPECT_FALSE(SendMessageW(panel.list, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));  // no column
    panel.endpoints.FailGetDevice(E_OUTOFMEMORY);
    EXPECT_EQ(E_OUTOFMEMORY, panel.Show({kSpeakers, 3, 0}));
    panel.endpoints.FailGetDevice(S_OK);

    // A store that cannot be opened: the column but no rows, and nothing to count.
    ComPtr<IMMDevice> closed = NewEndpoint(L"closed", NewEndpointStoreFor({kSpeakers, 3, 0}).Get(), E_ACCESSDENIED);
    panel.endpoints.Add(closed.Get());
    EXPECT_EQ(E_ACCESSDENIED, panel.Initialize(L"closed"));
    EXPECT_TRUE(SendMessageW(panel.list, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));
    EXPECT_TRUE(panel.Rows().empty());
    ULONG n = 7;
    EXPECT_EQ(S_OK, panel.object->GetNumDSPSupported(closed.Get(), &n));
    EXPECT_EQ(0u, n);

    // A mask that cannot be read is returned and keeps the mask of the endpoint before;
    // the count takes it as stereo.
    ASSERT_EQ(S_OK, panel.Show({kSpeakers, 0x63F, 0}));
    auto* failing = new FailingPropertyStore(E_FAIL, NewEndpointStoreFor({kHeadphones, 0x63F, 0}).Get());
    failing->FailKey(key::EndpointPhysicalSpeakers);
    ComPtr<IMMDevice> maskless = NewEndpoint(L"maskless", failing);
    failing->Release();
    panel.endpoints.Add(maskless.Get());
    EXPECT_EQ(E_FAIL, panel.Initialize(L"maskless"));
    EXPECT_NE(-1, panel.Row(L"Swap Side and Rear"));
    EXPECT_EQ(S_OK, panel.object->GetNumDSPSupported(maskless.Get(), &n));
    EXPECT_EQ(11u, n);

    n = 7;
    EXPECT_EQ(E_POINTER, panel.object->GetNumDSPSupported(nullptr, &n));
    EXPECT_EQ(0u, n);
    EXPECT_EQ(E_POINTER, panel.object->GetNumDSPSupported(maskless.Get(), nullptr));
    n = 7;
    EXPECT_EQ(S_OK, panel.object->GetNumDSPSupported(fx.Get(), &n));  // not a device
    EXPECT_EQ(0u, n);
}

TEST_F(EffectList, CheckBoxesComeFromTheStoreAndApplyWritesWhatIsShown) {
    PutUInt(fx.Get(), key::EqualizerEnable, 1);
    PutUInt(fx.Get(), key::EnvironmentEnable, 7);  // any non-zero value is on
    PutBool(fx.Get(), key::SmartVolumeEnable, true);  // a wrong type reads as off
    PutUInt(fx.Get(), key::NoiseReductionEnable, 1);  // not listed for loudspeakers
    ASSERT_EQ(S_OK, panel.Show({kSpeakers, 3, 0}));
    EXPECT_EQ(Labels({L"Equalizer", L"Environment"}), panel.CheckedRows());
    // Both equalisers on: the later row wins; Dolby PCEE v4 unchecks Equalizer only when
    // checked after it. Building the list never marks unapplied changes.
    PutUInt(fx.Get(), key::Eq15Enable, 1);
    PutUInt(fx.Get(), key::DolbyPceeEnable, 1);
    ASSERT_EQ(S_OK, panel.Show({kSpeakers, 3, 0}));
    EXPECT_EQ(Labels({L"Dolby PCEEv4", L"15-Band Equalizer", L"Environment"}), panel.CheckedRows());
    EXPECT_FALSE(panel.dirty);
    EXPECT_EQ(1u, Applied(key::DolbyPceeEnable));
    EXPECT_EQ(0u, Applied(key::EqualizerEnable));
    EXPECT_EQ(1u, Applied(key::Eq15Enable));
    EXPECT_EQ(1u, Applied(key::EnvironmentEnable));
    EXPECT_EQ(0u, Applied(key::SmartVolumeEnable));
    EXPECT_EQ(0xDEADu, Applied(key::NoiseReductionEnable));
    EXPECT_EQ(0xDEADu, Applied(key::ProLogicEnable));
}

// Checking a row unchecks exactly the rows its effect excludes, and marks a change.
TEST_F(EffectList, CheckingARowUnchecksTheEffectsItExcludes) {
    for (const EndpointSetup& setup : {EndpointSetup{kSpeakers, 3, 0}, EndpointSetup{kSpeakers, 0x63F, 0},
                                       EndpointSetup{kHeadphones, 3, 0}, EndpointSetup{kMicrophone, 3, 0}}) {
        ASSERT_EQ(S_OK, panel.Show(setup));
        const Labels rows = panel.Rows();
        for (const std::wstring& last : rows) {
            const std::vector<int> excluded = Excluded(last);
            for (const std::wstring& other : rows) {
                if (other == last) continue;
                for (const std::wstring& row : rows) panel.SetChecked(row, false);
                panel.SetChecked(other, true);
                panel.dirty = false;
                panel.SetChecked(last, true);
                const bool isExcluded = std::any_of(excluded.begin(), excluded.end(), [&](int e) { return other == kLabels[e]; });
                EXPECT_EQ(!isExcluded, panel.IsChecked(other)) << testing::PrintToString(last + L" after " + other);
                EXPECT_TRUE(panel.IsChecked(last) && panel.dirty);
            }
        }
    }
    // The rows unchecked by an exclusion are off in what Apply writes.
    panel.SetChecked(L"AEC", true);
    panel.SetChecked(L"Zur AEC", true);
    EXPECT_EQ(0u, Applied(key::AecEnable));
    EXPECT_EQ(1u, Applied(key::ZurAecEnable));
}

TEST_F(EffectList, ItemChangedTakesOnlyCheckBoxChangesOfListedRows) {
    ASSERT_EQ(S_OK, panel.Show({kSpeakers, 3, 0}));
    NMLISTVIEW change{};
    change.hdr.hwndFrom = panel.list;
    change.hdr.code = UINT(LVN_ITEMCHANGED);
    change.iItem = 1;
    change.uChanged = LVIF_STATE;
    change.uNewState = INDEXTOSTATEIMAGEMASK(2);
    BYTE notify = 9;
    EXPECT_EQ(E_POINTER, panel.object->EffectList_ItemChanged(nullptr, LONG_PTR(&change), &notify));
    EXPECT_EQ(0, notify);
    EXPECT_EQ(E_POINTER, panel.object->EffectList_ItemChanged(panel.list, 0, &notify));
    EXPECT_EQ(S_OK, panel.object->EffectList_ItemChanged(panel.list, LONG_PTR(&change), nullptr));
    EXPECT_EQ(S_OK, panel.object->EffectList_ItemChanged(panel.list, LONG_PTR(&change), &notify));
    EXPECT_EQ(1, notify);
    const auto ignored = [&](NMLISTVIEW other) {
        notify = 9;
        EXPECT_EQ(S_FALSE, panel.object->EffectList_ItemChanged(panel.list, LONG_PTR(&other), &notify));
        EXPECT_EQ(0, notify);
    };
    NMLISTVIEW other = change;
    other.hdr.code = UINT(LVN_ITEMCHANGING);
    ignored(other);
    other = change;
    other.uChanged = LVIF_TEXT;
    ignored(other);
    other = change;
    other.uNewState = INDEXTOSTATEIMAGEMASK(3);
    ignored(other);
    for (int row : {14, 28, 29, -1, 100000}) {
        other = change;
        other.iItem = row;
        ignored(other);
    }
}

TEST_F(EffectList, StatusTextIsReadAfreshAndCutToTheBuffer) {
    const struct {
        EndpointSetup setup;
        const wchar_t* row;
        UINT32 size;
        const wchar_t* text;
        BYTE button;
    } cases[] = {
        {{kSpeakers, 3, 0}, L"Equalizer", 256, L"Quellix Effect: Equalizer\n\nStatus: Enabled", 1},
        {{kSpeakers, 3, 0}, L"Equalizer", 10, L"Quellix E", 1},
        {{kSpeakers, 3, 0}, L"Smart Volume", 256, L"Quellix Effect: Smart Volume Normalizer\n\nStatus: Disabled", 0},
        {{kSpeakers, 3, 0}, L"Speaker Shifter", 256, L"Quellix Effect: 7.1 Virtual Speaker Shifter\n\nStatus: Disabled", 1},
        {{kSpeakers, 3, 0}, L"Dolby PCEEv4", 256, L"Quellix Effect: Dolby PCEE v4\n\nStatus: Disabled", 1},
        {{kMicrophone, 3, 0}, L"Zur AEC", 256, L"Zurarur Effect: Acoustic Echo Cancellation\n\nStatus: Enabled", 0},
        {{kMicrophone, 3, 0}, L"ENC", 256, L"Quellix Effect: Environmental Noise Cancellation\n\nStatus: Disabled", 0},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(S_OK, panel.Show(c.setup));
        PutUInt(fx.Get(), key::EqualizerEnable, 1);  // after the list was built
        PutUInt(fx.Get(), key::ZurAecEnable, 1);
        HRESULT hr = E_FAIL;
        BYTE button = 9;
        EXPECT_EQ(c.text, Status(panel.Row(c.row), c.size, &hr, &button));
        EXPECT_EQ(S_OK, hr);
        EXPECT_EQ(c.button, button) << testing::PrintToString(std::wstring(c.row));
        EXPECT_EQ(c.text, Status(panel.Row(c.row), c.size, &hr));
    }
    USHORT buffer[64];
    BYTE button = 9;
    const auto call = [&](HWND list, IUnknown* store, USHORT* out, ULONG size) {
        return panel.object->EffectList_GetStatusString(list, store, out, size, &button);
    };
    EXPECT_EQ(E_POINTER, call(nullptr, fx.Get(), buffer, 64));
    EXPECT_EQ(0, button);
    EXPECT_EQ(E_POINTER, call(panel.list, nullptr, buffer, 64));
    EXPECT_EQ(E_POINTER, call(panel.list, fx.Get(), nullptr, 64));
    EXPECT_EQ(E_INVALIDARG, call(panel.list, fx.Get(), buffer, 0));
    HRESULT hr = S_OK;
    for (int row : {-1, 29}) {
        Status(row, 64, &hr);
        EXPECT_EQ(E_UNEXPECTED, hr);
    }
    LVITEMW extra{LVIF_TEXT, 8, 0, 0, 0, const_cast<LPWSTR>(L"Added by the page")};
    ASSERT_EQ(8, SendMessageW(panel.list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&extra)));
    Status(8, 64, &hr);  // a row the page added holds no effect
    EXPECT_EQ(E_NOTIMPL, hr);
}

TEST_F(EffectList, SetStateWritesEveryListedEnableKeyAndReturnsTheLastWrite) {
    ASSERT_EQ(S_OK, panel.Show({kHeadphones, 3, 0}));
    panel.SetChecked(L"Nuvex Surround Headphone", true);
    EXPECT_EQ(1u, Applied(key::NuvexEnable));
    ComPtr<IPropertyStore> applied = NewMemoryStore();
    EXPECT_EQ(S_OK, panel.object->EffectList_SetState(applied.Get()));
    EXPECT_EQ(panel.Rows().size(), size_t(StoredCount(applied.Get())));

    EXPECT_EQ(E_POINTER, panel.object->EffectList_SetState(nullptr));
    ComPtr<IMMDevice> notAStore = NewEndpoint(L"x", nullptr);
    EXPECT_EQ(E_NOINTERFACE, panel.object->EffectList_SetState(notAStore.Get()));
    for (const auto& [failedKey, result] : {std::pair{key::SurroundSensationEnable, E_ACCESSDENIED},  // the last row
                                            std::pair{key::EqualizerEnable, S_OK}}) {
        auto* failing = new FailingPropertyStore(E_ACCESSDENIED, NewMemoryStore().Get());
        failing->FailKey(failedKey);
        EXPECT_EQ(result, panel.object->EffectList_SetState(failing));
        failing->Release();
    }
}

TEST_F(EffectList, PropertyValueChangedMovesTheRowLikeAClick) {
    ASSERT_EQ(S_OK, panel.Show({kHeadphones, 3, 0}));
    PutUInt(fx.Get(), key::Eq15Enable, 1);
    EXPECT_EQ(S_OK, Changed(fx.Get(), key::Eq15Enable));
    EXPECT_TRUE(panel.IsChecked(L"15-Band Equalizer"));
    EXPECT_TRUE(panel.dirty);  // the list reported it like a click
    PutUInt(fx.Get(), key::EqualizerEnable, 1);
    Changed(fx.Get(), key::EqualizerEnable);
    EXPECT_EQ(Labels({L"Equalizer"}), panel.CheckedRows());
    // The shared Nuvex key finds the headphone row.
    for (uint32_t on : {1u, 0u}) {
        PutUInt(fx.Get(), key::NuvexEnable, on);
        Changed(fx.Get(), key::NuvexEnable);
        EXPECT_EQ(on != 0, panel.IsChecked(L"Nuvex Surround Headphone"));
    }
    // Values of another type, settings keys and unlisted effects change nothing.
    PutBool(fx.Get(), key::EqualizerEnable, false);
    EXPECT_EQ(S_OK, Changed(fx.Get(), key::EqualizerEnable));
    PutUInt(fx.Get(), key::EqualizerBand(1), 0);
    EXPECT_EQ(S_OK, Changed(fx.Get(), key::EqualizerBand(1)));
    PutUInt(fx.Get(), key::AecEnable, 1);
    EXPECT_EQ(S_OK, Changed(fx.Get(), key::AecEnable));
    EXPECT_EQ(Labels({L"Equalizer"}), panel.CheckedRows());

    EXPECT_EQ(E_POINTER, panel.object->EffectList_PropertyValueChanged(nullptr, fx.Get(), ToPropertyKey(key::AecEnable)));
    EXPECT_EQ(E_POINTER, Changed(nullptr, key::AecEnable));
    ComPtr<IMMDevice> notAStore = NewEndpoint(L"x", nullptr);
    EXPECT_EQ(E_NOINTERFACE, Changed(notAStore.Get(), key::AecEnable));
    auto* failing = new FailingPropertyStore(E_ACCESSDENIED, fx.Get());
    failing->FailKey(key::EqualizerEnable);
    EXPECT_EQ(E_ACCESSDENIED, Changed(failing, key::EqualizerEnable));
    failing->Release();
    EXPECT_TRUE(panel.IsChecked(L"Equalizer"));
}

namespace {
// The Dolby panel's locator as the list calls it: the second method prepares, the
// fourteenth hands back the located file; any other slot is a fault.
class Locator : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = IsEqualIID(riid, Iid()) || IsEqualIID(riid, IID_IUnknown) ? this : nullptr;
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return ULONG(--refs); }  // lives on the test's stack
    virtual HRESULT STDMETHODCALLTYPE M1() { return Called(1); }
    virtual HRESULT STDMETHODCALLTYPE M2() { return Called(2); }
    virtual HRESULT STDMETHODCALLTYPE M3() { return Called(3); }
    virtual HRESULT STDMETHODCALLTYPE M4() { return Called(4); }
    virtual HRESULT STDMETHODCALLTYPE M5() { return Called(5); }
    virtual HRESULT STDMETHODCALLTYPE M6() { return Called(6); }
    virtual HRESULT STDMETHODCALLTYPE M7() { return Called(7); }
    virtual HRESULT STDMETHODCALLTYPE M8() { return Called(8); }
    virtual HRESULT STDMETHODCALLTYPE M9() { return Called(9); }
    virtual HRESULT STDMETHODCALLTYPE M10() { return Called(10); }
    virtual HRESULT STDMETHODCALLTYPE M11() { return Called(11); }
    virtual HRESULT STDMETHODCALLTYPE M12() { return Called(12); }
    virtual HRESULT STDMETHODCALLTYPE M13() { return Called(13); }
    virtual HRESULT STDMETHODCALLTYPE M14(LPWSTR* path) {
        static const wchar_t kPath[] = L"C:\\no such folder\\surround kit\\locator.dll";
        *path = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof kPath));
        std::memcpy(*path, kPath, sizeof kPath);
        return Called(14);
    }
    HRESULT Called(int slot) {
        calls.push_back(slot);
        return S_OK;
    }
    static GUID Iid() {
        GUID iid{};
        CLSIDFromString(L"{1A96B10F-1301-426C-B0A8-566753B44DD4}", &iid);
        return iid;
    }
    LONG refs = 0;
    std::vector<int> calls;
};

class LocatorFactory : public IClassFactory {
public:
    explicit LocatorFactory(Locator& locator) : locator_(locator) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
        *ppv = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID riid, void** ppv) override {
        return locator_.QueryInterface(riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    Locator& locator_;
};
}  // namespace

TEST_F(EffectList, SettingsOpensNothingForRowsWithoutADialogAndAsksTheDolbyLocator) {
    ASSERT_EQ(S_OK, panel.Show({kSpeakers, 0x63F, 0}));
    EXPECT_EQ(E_POINTER, panel.object->EffectList_SettingsDialog(nullptr, fx.Get()));
    EXPECT_EQ(E_POINTER, panel.object->EffectList_SettingsDialog(panel.list, nullptr));
    for (int row : {-1, 29}) {
        panel.Select(row);
        EXPECT_EQ(E_UNEXPECTED, panel.object->EffectList_SettingsDialog(panel.list, fx.Get()));
    }
    for (const wchar_t* row : {L"Smart Volume", L"Swap Side and Rear", L"Nuvex Surround Max", L"Dolby PCEEv4"}) {
        panel.Select(panel.Row(row));  // no dialog opens: the call returns at once
        EXPECT_EQ(S_OK, panel.object->EffectList_SettingsDialog(panel.list, fx.Get()));
    }
    Locator locator;
    LocatorFactory factory(locator);
    DWORD cookie = 0;
    GUID clsid{};
    ASSERT_EQ(S_OK, CLSIDFromString(L"{958342AF-451A-4443-9CFE-55679A2DD524}", &clsid));
    ASSERT_EQ(S_OK, CoRegisterClassObject(clsid, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie));
    EXPECT_EQ(S_OK, panel.object->EffectList_SettingsDialog(panel.list, fx.Get()));
    CoRevokeClassObject(cookie);
    EXPECT_EQ(std::vector<int>({2, 14}), locator.calls);
    EXPECT_EQ(0, locator.refs);
    // The program started is the panel beside the located file.
    EXPECT_EQ(L"C:\\Sound Tools\\Kit\\pcee4e.exe", controlpanel::PanelProgramPath(L"C:\\Sound Tools\\Kit\\core.dll"));
    EXPECT_EQ(L"C:\\d\\pcee4e.exe", controlpanel::PanelProgramPath(L"C:\\d\\"));
    EXPECT_EQ(L"", controlpanel::PanelProgramPath(L"no folder.dll"));
    EXPECT_EQ(L"", controlpanel::PanelProgramPath(nullptr));
}
