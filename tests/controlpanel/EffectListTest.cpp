// The effect list object against a real list-view in a page dialog, with endpoints served
// by the in-process device enumerator and components registered in-process.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/ComPtr.h"
#include "controlpanel/EffectListTables.h"
#include "controlpanel/QXUIExtLib.h"
#include "host/EndpointRegistry.h"
#include "settings/PropertyStoreAccess.h"
#include "tests/controlpanel/PageHarness.h"
#include "tests/support/Stores.h"

using namespace qx;
using namespace qx::test;
using namespace qx::settings;
using qx::host::EndpointRegistry;
using qx::host::EndpointSetup;
using qx::host::NewEndpoint;
using qx::host::NewEndpointStoreFor;
using Labels = std::vector<std::wstring>;

namespace {
constexpr uint32_t kSpeakers = 1, kHeadphones = 3, kMicrophone = 4, kSpdif = 8, kHdmi = 9;

Labels Join(Labels a, const Labels& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
const Labels kCommon = {L"Dolby PCEEv4", L"Equalizer", L"15-Band Equalizer", L"Environment", L"Speaker Shifter",
                        L"Smart Volume", L"Key Shifting", L"Vocal Fading", L"Vocal Remover", L"DTS Voice Clarity"};
const Labels kMatrixRows = {L"Dolby Pro Logic IIx", L"DTS Neo:PC", L"Nuvex Surround Max"};

class EffectList : public testing::Test {
protected:
    void SetUp() override {
        components = std::make_unique<Components>();
        ASSERT_TRUE(endpoints.Registered());
        ASSERT_EQ(S_OK, ComObjectRoot::Create<qx::QXUIExtLib>(nullptr, __uuidof(IQXUIExtLib), object.PutVoid()));
        page = std::make_unique<TestPage>(object.Get());
        ASSERT_TRUE(page->List());
        fx = NewMemoryStore();
    }

    HRESULT Show(const EndpointSetup& setup, const wchar_t* id = L"endpoint") {
        endpoints.Add(id, setup);
        return Initialize(id);
    }
    HRESULT Initialize(const wchar_t* id) {
        return object->EffectList_Initialize(page->List(), const_cast<LPWSTR>(id), fx.Get());
    }
    UINT32 Count(const EndpointSetup& setup) {
        ComPtr<IMMDevice> device = endpoints.Add(L"counted", setup);
        ULONG n = 12345;
        EXPECT_EQ(S_OK, object->GetNumDSPSupported(device.Get(), &n));
        return n;
    }
    std::wstring Status(int row, UINT32 size, HRESULT* hr = nullptr, BYTE* button = nullptr) {
        std::vector<USHORT> buffer(size ? size : 1, 0xFFFF);
        page->SetSelectionMark(row);
        const HRESULT result = object->EffectList_GetStatusString(page->List(), fx.Get(), buffer.data(), size, button);
        if (hr) *hr = result;
        return std::wstring(buffer.begin(), std::find(buffer.begin(), buffer.end(), 0));
    }

    EndpointRegistry endpoints;
    std::unique_ptr<Components> components;
    ComPtr<IQXUIExtLib> object;
    std::unique_ptr<TestPage> page;
    ComPtr<IPropertyStore> fx;
};

struct EndpointCase {
    const char* name;
    EndpointSetup setup;
    Labels rows;
    UINT32 count;
};
}  // namespace

TEST_F(EffectList, RowsAndCountFollowFormFactorMaskAndFormat) {
    const Labels speakersStereo = Join(kCommon, {L"Flex Bass", L"Nuvex Surround", L"Dolby Surround",
                                                 L"DTS Surround Sensation"});
    const Labels headphonesStereo = Join(kCommon, {L"Nuvex Surround Headphone", L"Dolby Surround",
                                                   L"DTS Surround Sensation"});
    const EndpointCase cases[] = {
        {"speakers 3", {kSpeakers, 3, 0}, speakersStereo, 12},
        {"speakers 0x3F", {kSpeakers, 0x3F, 0}, Join(Join(kCommon, {L"Flex Bass"}), Join(kMatrixRows, {L"Swap Center and Subwoofer"})), 13},
        {"speakers 0x60F", {kSpeakers, 0x60F, 0}, Join(Join(kCommon, {L"Flex Bass"}), Join(kMatrixRows, {L"Swap Center and Subwoofer"})), 13},
        {"speakers 0x63F", {kSpeakers, 0x63F, 0},
         Join(Join(kCommon, {L"Flex Bass"}), Join(kMatrixRows, {L"Swap Side and Rear", L"Swap Center and Subwoofer"})), 14},
        {"speakers 0x33", {kSpeakers, 0x33, 0}, Join(Join(kCommon, {L"Flex Bass"}), kMatrixRows), 12},
        {"speakers, no mask", {kSpeakers, 0, 0}, speakersStereo, 12},
        {"headphones 3", {kHeadphones, 3, 0}, headphonesStereo, 11},
        {"headphones 0x3F", {kHeadphones, 0x3F, 0},
         Join(Join(kCommon, {L"Nuvex Surround Headphone"}), Join(kMatrixRows, {L"Swap Center and Subwoofer"})), 14},
        // The list takes a missing mask as stereo, the count as a multichannel mask.
        {"headphones, no mask", {kHeadphones, 0, 0}, headphonesStereo, 13},
        {"S/PDIF, no format", {kSpdif, 3, 0}, Join(kCommon, {L"DTS Surround Sensation", L"Nuvex Surround"}), 10},
        {"S/PDIF, PCM", {kSpdif, 3, 1}, Join(kCommon, {L"DTS Surround Sensation", L"Nuvex Surround"}), 10},
        {"S/PDIF, AC-3", {kSpdif, 3, 0x92}, Join(kCommon, kMatrixRows), 11},
        {"HDMI, WMA pass-through", {kHdmi, 0x3F, 0x164}, Join(kCommon, kMatrixRows), 11},
        {"microphone", {kMicrophone, 3, 0},
         {L"Echo", L"Magic Voice", L"Noise Reduction", L"ENC", L"Beam Forming", L"AEC", L"Mix Output", L"Zur AEC"}, 8},
        {"unknown form factor", {2, 3, 0}, {}, 0},
        {"no form factor", {0, 3, 0}, {}, 0},
    };
    for (const EndpointCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(S_OK, Show(c.setup));
        EXPECT_EQ(c.rows, page->Rows());
        EXPECT_EQ(c.count, Count(c.setup));
    }
}

TEST_F(EffectList, ListGetsExactlyCheckBoxesAndOneColumn) {
    SendMessageW(page->List(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    ASSERT_EQ(S_OK, Show({kSpeakers, 3, 0}));
    ASSERT_EQ(S_OK, Show({kHeadphones, 3, 0}));  // a second run rebuilds rather than adds
    EXPECT_EQ(DWORD(LVS_EX_CHECKBOXES), DWORD(SendMessageW(page->List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)));
    wchar_t text[32] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = 32;
    ASSERT_TRUE(SendMessageW(page->List(), LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(L"Full Name", text);
    EXPECT_EQ(250, column.cx);
    EXPECT_EQ(LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK);
    EXPECT_FALSE(SendMessageW(page->List(), LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(13u, page->Rows().size());
}

TEST_F(EffectList, UnavailableComponentsAreLeftOut) {
    // A class registered twice stays with its first registration: drop the old set first.
    components.reset();
    components = std::make_unique<Components>(std::initializer_list<EffectId>{EffectEqualizer, EffectNuvex, EffectNoiseReduction});
    ASSERT_EQ(S_OK, Show({kSpeakers, 3, 0}));
    EXPECT_EQ(-1, page->Row(L"Equalizer"));
    EXPECT_EQ(-1, page->Row(L"Nuvex Surround"));
    const Labels rows = page->Rows();
    ASSERT_EQ(12u, rows.size());
    EXPECT_EQ(Labels({L"Dolby Surround", L"DTS Surround Sensation"}), Labels(rows.end() - 2, rows.end()));
    EXPECT_EQ(10u, Count({kSpeakers, 3, 0}));
    ASSERT_EQ(S_OK, Show({kMicrophone, 3, 0}));
    EXPECT_EQ(Labels({L"Echo", L"Magic Voice", L"ENC", L"Mix Output", L"Zur AEC"}), page->Rows());
    EXPECT_EQ(5u, Count({kMicrophone, 3, 0}));

    // With no component at all only the effects that need none remain.
    components.reset();
    components = std::make_unique<Components>(std::initializer_list<EffectId>{
        EffectEqualizer, EffectEq15, EffectEnvironment, EffectFlexBass, EffectSpeakerShifter, EffectSmartVolume,
        EffectDolbySurround, EffectProLogic, EffectNeoPC, EffectSurroundSensation, EffectVoiceClarity, EffectNuvex,
        EffectVocalFading, EffectVocalRemover, EffectKeyShifting, EffectMicEcho, EffectEnc, EffectNoiseReduction,
        EffectMixOutput, EffectDolbyPcee, EffectZurAec});
    ASSERT_EQ(S_OK, Show({kSpeakers, 0x63F, 0}));
    EXPECT_EQ(Labels({L"Nuvex Surround Max", L"Swap Side and Rear", L"Swap Center and Subwoofer"}), page->Rows());
    EXPECT_EQ(3u, Count({kSpeakers, 0x63F, 0}));
}

TEST_F(EffectList, InitializeReportsTheLastStepOnTheDevice) {
    EXPECT_EQ(E_POINTER, object->EffectList_Initialize(nullptr, const_cast<LPWSTR>(L"x"), fx.Get()));
    // An unknown endpoint: no column, no rows.
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_FOUND), Initialize(L"nowhere"));
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    EXPECT_FALSE(SendMessageW(page->List(), LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));
    EXPECT_TRUE(page->Rows().empty());

    endpoints.FailGetDevice(E_OUTOFMEMORY);
    EXPECT_EQ(E_OUTOFMEMORY, Show({kSpeakers, 3, 0}));
    endpoints.FailGetDevice(S_OK);

    // The store cannot be opened: the column but no rows.
    endpoints.Add(NewEndpoint(L"closed", NewEndpointStoreFor({kSpeakers, 3, 0}).Get(), E_ACCESSDENIED).Get());
    EXPECT_EQ(E_ACCESSDENIED, Initialize(L"closed"));
    EXPECT_TRUE(SendMessageW(page->List(), LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));
    EXPECT_TRUE(page->Rows().empty());

    // A mask that cannot be read is returned and keeps the mask of the endpoint before.
    ASSERT_EQ(S_OK, Show({kSpeakers, 0x63F, 0}));
    auto* failing = new FailingPropertyStore(E_FAIL, NewEndpointStoreFor({kSpeakers, 3, 0}).Get());
    failing->FailKey(key::EndpointPhysicalSpeakers);
    endpoints.Add(NewEndpoint(L"maskless", failing).Get());
    failing->Release();
    EXPECT_EQ(E_FAIL, Initialize(L"maskless"));
    EXPECT_NE(-1, page->Row(L"Swap Side and Rear"));
}

TEST_F(EffectList, CountChecksItsArgumentsAndTheDevice) {
    ULONG n = 7;
    EXPECT_EQ(E_POINTER, object->GetNumDSPSupported(nullptr, &n));
    EXPECT_EQ(0u, n);
    ComPtr<IMMDevice> device = endpoints.Add(L"d", {kSpeakers, 3, 0});
    EXPECT_EQ(E_POINTER, object->GetNumDSPSupported(device.Get(), nullptr));
    n = 7;  // not a device
    EXPECT_EQ(S_OK, object->GetNumDSPSupported(fx.Get(), &n));
    EXPECT_EQ(0u, n);
    ComPtr<IMMDevice> closed = NewEndpoint(L"c", NewEndpointStoreFor({kSpeakers, 3, 0}).Get(), E_ACCESSDENIED);
    n = 7;
    EXPECT_EQ(S_OK, object->GetNumDSPSupported(closed.Get(), &n));
    EXPECT_EQ(0u, n);
    // A mask that cannot be read counts as stereo.
    auto* failing = new FailingPropertyStore(E_FAIL, NewEndpointStoreFor({kHeadphones, 0x63F, 0}).Get());
    failing->FailKey(key::EndpointPhysicalSpeakers);
    ComPtr<IMMDevice> maskless = NewEndpoint(L"m", failing);
    failing->Release();
    EXPECT_EQ(S_OK, object->GetNumDSPSupported(maskless.Get(), &n));
    EXPECT_EQ(11u, n);
}

TEST_F(EffectList, CheckBoxesComeFromTheStoreWithoutMarkingChanges) {
    PutUInt(fx.Get(), key::EqualizerEnable, 1);
    PutUInt(fx.Get(), key::EnvironmentEnable, 7);  // any non-zero value is on
    PutUInt(fx.Get(), key::FlexBassEnable, 0);
    PutBool(fx.Get(), key::SmartVolumeEnable, true);  // a wrong type reads as off
    PutUInt(fx.Get(), key::NoiseReductionEnable, 1);  // not listed for loudspeakers
    ASSERT_EQ(S_OK, Show({kSpeakers, 3, 0}));
    EXPECT_EQ(Labels({L"Equalizer", L"Environment"}), page->CheckedRows());
    EXPECT_FALSE(page->dirty);

    // Both equalisers on: the later row wins, as the list reports each check.
    PutUInt(fx.Get(), key::Eq15Enable, 1);
    // Dolby PCEE v4 unchecks Equalizer only when checked after it.
    PutUInt(fx.Get(), key::DolbyPceeEnable, 1);
    ASSERT_EQ(S_OK, Show({kSpeakers, 3, 0}));
    EXPECT_EQ(Labels({L"Dolby PCEEv4", L"15-Band Equalizer", L"Environment"}), page->CheckedRows());
    EXPECT_GT(page->itemChangedCalls, 0);
    EXPECT_FALSE(page->dirty);

    // The enabled table followed the list: Apply writes exactly what is shown.
    ComPtr<IPropertyStore> applied = NewMemoryStore();
    EXPECT_EQ(S_OK, object->EffectList_SetState(applied.Get()));
    uint32_t v = 9;
    EXPECT_TRUE(GetUInt(applied.Get(), key::DolbyPceeEnable, v) && v == 1);
    EXPECT_TRUE(GetUInt(applied.Get(), key::EqualizerEnable, v) && v == 0);
    EXPECT_TRUE(GetUInt(applied.Get(), key::Eq15Enable, v) && v == 1);
    EXPECT_TRUE(GetUInt(applied.Get(), key::EnvironmentEnable, v) && v == 1);
    EXPECT_TRUE(GetUInt(applied.Get(), key::SmartVolumeEnable, v) && v == 0);
    EXPECT_TRUE(IsEmpty(applied.Get(), key::NoiseReductionEnable));
    EXPECT_TRUE(IsEmpty(applied.Get(), key::ProLogicEnable));
}

// Checking a row unchecks exactly the rows of its exclusion list, whatever was checked.
TEST_F(EffectList, CheckingARowUnchecksTheEffectsItExcludes) {
    const EndpointSetup endpointsToTry[] = {{kSpeakers, 3, 0}, {kSpeakers, 0x63F, 0}, {kHeadphones, 3, 0},
                                           {kMicrophone, 3, 0}};
    for (const EndpointSetup& setup : endpointsToTry) {
        ASSERT_EQ(S_OK, Show(setup));
        const Labels rows = page->Rows();
        for (const std::wstring& checkedLast : rows) {
            const EffectId id = [&] {
                for (const EffectInfo& e : kEffectTable)
                    if (checkedLast == e.label) return e.id;
                return EffectNone;
            }();
            const controlpanel::Exclusion& excluded = controlpanel::kExclusions[id];
            for (const std::wstring& other : rows) {
                if (other == checkedLast) continue;
                for (const std::wstring& row : rows) page->SetChecked(row.c_str(), false);
                page->SetChecked(other.c_str(), true);
                page->dirty = false;
                page->SetChecked(checkedLast.c_str(), true);
                const bool isExcluded = std::find_if(excluded.effects, excluded.effects + excluded.count,
                                                     [&](EffectId e) { return other == FindEffect(e)->label; }) !=
                                        excluded.effects + excluded.count;
                EXPECT_EQ(!isExcluded, page->IsChecked(other.c_str()));
                EXPECT_TRUE(page->IsChecked(checkedLast.c_str()));
                EXPECT_TRUE(page->dirty);
            }
        }
    }
}

TEST_F(EffectList, ExclusionsThatTheEffectsSpellOut) {
    ASSERT_EQ(S_OK, Show({kSpeakers, 3, 0}));
    for (const std::wstring& row : page->Rows()) page->SetChecked(row.c_str(), true);
    page->SetChecked(L"Dolby PCEEv4", false);
    page->SetChecked(L"Dolby PCEEv4", true);
    EXPECT_EQ(Labels({L"Dolby PCEEv4", L"Environment", L"Key Shifting", L"Vocal Remover", L"Flex Bass"}),
              page->CheckedRows());
    page->SetChecked(L"Equalizer", true);  // one way only
    EXPECT_TRUE(page->IsChecked(L"Dolby PCEEv4"));
    page->SetChecked(L"Dolby Surround", true);
    EXPECT_FALSE(page->IsChecked(L"Nuvex Surround"));

    ASSERT_EQ(S_OK, Show({kMicrophone, 3, 0}));
    page->SetChecked(L"Beam Forming", true);
    page->SetChecked(L"AEC", true);
    EXPECT_TRUE(page->IsChecked(L"Beam Forming"));
    page->SetChecked(L"Zur AEC", true);
    EXPECT_EQ(Labels({L"Zur AEC"}), page->CheckedRows());

    // The unchecked rows were cleared in the enabled table too.
    ComPtr<IPropertyStore> applied = NewMemoryStore();
    EXPECT_EQ(S_OK, object->EffectList_SetState(applied.Get()));
    uint32_t v = 9;
    EXPECT_TRUE(GetUInt(applied.Get(), key::AecEnable, v) && v == 0);
    EXPECT_TRUE(GetUInt(applied.Get(), key::ZurAecEnable, v) && v == 1);
}

TEST_F(EffectList, ItemChangedHandlesOnlyCheckBoxChangesOfListedRows) {
    ASSERT_EQ(S_OK, Show({kSpeakers, 3, 0}));
    NMLISTVIEW change{};
    change.hdr.hwndFrom = page->List();
    change.hdr.code = UINT(LVN_ITEMCHANGED);
    change.iItem = 1;
    change.uChanged = LVIF_STATE;
    change.uNewState = INDEXTOSTATEIMAGEMASK(2);
    BYTE notify = 9;
    EXPECT_EQ(E_POINTER, object->EffectList_ItemChanged(nullptr, LONG_PTR(&change), &notify));
    EXPECT_EQ(0, notify);
    EXPECT_EQ(E_POINTER, object->EffectList_ItemChanged(page->List(), 0, &notify));
    EXPECT_EQ(S_OK, object->EffectList_ItemChanged(page->List(), LONG_PTR(&change), nullptr));
    EXPECT_EQ(S_OK, object->EffectList_ItemChanged(page->List(), LONG_PTR(&change), &notify));
    EXPECT_EQ(1, notify);

    NMLISTVIEW other = change;
    other.hdr.code = UINT(LVN_ITEMCHANGING);
    EXPECT_EQ(S_FALSE, object->EffectList_ItemChanged(page->List(), LONG_PTR(&other), &notify));
    EXPECT_EQ(0, notify);
    other = change;
    other.uChanged = LVIF_TEXT;
    EXPECT_EQ(S_FALSE, object->EffectList_ItemChanged(page->List(), LONG_PTR(&other), &notify));
    other = change;
    other.uNewState = INDEXTOSTATEIMAGEMASK(3);
    EXPECT_EQ(S_FALSE, object->EffectList_ItemChanged(page->List(), LONG_PTR(&other), &notify));
    for (int row : {14, 28, 29, -1, 100000}) {
        other = change;
        other.iItem = row;
        EXPECT_EQ(S_FALSE, object->EffectList_ItemChanged(page->List(), LONG_PTR(&other), &notify)) << row;
        EXPECT_EQ(0, notify);
    }
}

TEST_F(EffectList, StatusTextComesFromTheStoreAndIsCutToTheBuffer) {
    ASSERT_EQ(S_OK, Show({kSpeakers, 3, 0}));
    PutUInt(fx.Get(), key::EqualizerEnable, 1);  // after the list was built: read afresh
    HRESULT hr = E_FAIL;
    BYTE button = 9;
    EXPECT_EQ(L"Quellix Effect: Equalizer\n\nStatus: Enabled", Status(page->Row(L"Equalizer"), 256, &hr, &button));
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ(1, button);
    EXPECT_EQ(L"Quellix Effect: Smart Volume Normalizer\n\nStatus: Disabled",
              Status(page->Row(L"Smart Volume"), 256, &hr, &button));
    EXPECT_EQ(0, button);
    EXPECT_EQ(L"Quellix Effect: 7.1 Virtual Speaker Shifter\n\nStatus: Disabled",
              Status(page->Row(L"Speaker Shifter"), 256, &hr, nullptr));
    EXPECT_EQ(S_OK, hr);
    Status(page->Row(L"Dolby PCEEv4"), 256, &hr, &button);
    EXPECT_EQ(1, button);
    EXPECT_EQ(L"Quellix E", Status(page->Row(L"Equalizer"), 10, &hr, &button));
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ(1, button);

    ASSERT_EQ(S_OK, Show({kMicrophone, 3, 0}));
    PutUInt(fx.Get(), key::ZurAecEnable, 1);
    EXPECT_EQ(L"Zurarur Effect: Acoustic Echo Cancellation\n\nStatus: Enabled",
              Status(page->Row(L"Zur AEC"), 256, &hr, &button));
    EXPECT_EQ(L"Quellix Effect: Environmental Noise Cancellation\n\nStatus: Disabled",
              Status(page->Row(L"ENC"), 256, &hr, &button));
}

TEST_F(EffectList, StatusTextErrors) {
    ASSERT_EQ(S_OK, Show({kMicrophone, 3, 0}));
    USHORT buffer[64];
    BYTE button = 9;
    page->SetSelectionMark(0);
    EXPECT_EQ(E_POINTER, object->EffectList_GetStatusString(nullptr, fx.Get(), buffer, 64, &button));
    EXPECT_EQ(0, button);
    EXPECT_EQ(E_POINTER, object->EffectList_GetStatusString(page->List(), nullptr, buffer, 64, &button));
    EXPECT_EQ(E_POINTER, object->EffectList_GetStatusString(page->List(), fx.Get(), nullptr, 64, &button));
    EXPECT_EQ(E_INVALIDARG, object->EffectList_GetStatusString(page->List(), fx.Get(), buffer, 0, &button));
    HRESULT hr = S_OK;
    Status(-1, 64, &hr);
    EXPECT_EQ(E_UNEXPECTED, hr);
    Status(29, 64, &hr);
    EXPECT_EQ(E_UNEXPECTED, hr);
    // A row the page added itself holds no effect.
    LVITEMW extra{};
    extra.mask = LVIF_TEXT;
    extra.iItem = 8;
    extra.pszText = const_cast<LPWSTR>(L"Added by the page");
    ASSERT_EQ(8, SendMessageW(page->List(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&extra)));
    Status(8, 64, &hr);
    EXPECT_EQ(E_NOTIMPL, hr);
}

TEST_F(EffectList, SetStateWritesEveryListedEnableKey) {
    ASSERT_EQ(S_OK, Show({kHeadphones, 3, 0}));
    page->SetChecked(L"Nuvex Surround Headphone", true);
    ComPtr<IPropertyStore> applied = NewMemoryStore();
    EXPECT_EQ(S_OK, object->EffectList_SetState(applied.Get()));
    uint32_t v = 0;
    EXPECT_TRUE(GetUInt(applied.Get(), key::NuvexEnable, v) && v == 1);
    DWORD count = 0;
    applied->GetCount(&count);
    EXPECT_EQ(page->Rows().size(), size_t(count));

    EXPECT_EQ(E_POINTER, object->EffectList_SetState(nullptr));
    ComPtr<IMMDevice> notAStore = NewEndpoint(L"x", nullptr);
    EXPECT_EQ(E_NOINTERFACE, object->EffectList_SetState(notAStore.Get()));
    // The result is that of the last write: the last row is DTS Surround Sensation.
    auto* failing = new FailingPropertyStore(E_ACCESSDENIED, NewMemoryStore().Get());
    failing->FailKey(key::SurroundSensationEnable);
    EXPECT_EQ(E_ACCESSDENIED, object->EffectList_SetState(failing));
    failing->Release();
    failing = new FailingPropertyStore(E_ACCESSDENIED, NewMemoryStore().Get());
    failing->FailKey(key::EqualizerEnable);
    EXPECT_EQ(S_OK, object->EffectList_SetState(failing));
    failing->Release();
}

TEST_F(EffectList, PropertyValueChangedMovesTheRowLikeAClick) {
    ASSERT_EQ(S_OK, Show({kHeadphones, 3, 0}));
    PutUInt(fx.Get(), key::Eq15Enable, 1);
    EXPECT_EQ(S_OK, object->EffectList_PropertyValueChanged(page->List(), fx.Get(), ToPropertyKey(key::Eq15Enable)));
    EXPECT_TRUE(page->IsChecked(L"15-Band Equalizer"));
    EXPECT_TRUE(page->dirty);  // the list reported it like a click
    PutUInt(fx.Get(), key::EqualizerEnable, 1);
    object->EffectList_PropertyValueChanged(page->List(), fx.Get(), ToPropertyKey(key::EqualizerEnable));
    EXPECT_EQ(Labels({L"Equalizer"}), page->CheckedRows());

    // The shared Nuvex key finds the headphone row.
    PutUInt(fx.Get(), key::NuvexEnable, 1);
    object->EffectList_PropertyValueChanged(page->List(), fx.Get(), ToPropertyKey(key::NuvexEnable));
    EXPECT_TRUE(page->IsChecked(L"Nuvex Surround Headphone"));
    PutUInt(fx.Get(), key::NuvexEnable, 0);
    object->EffectList_PropertyValueChanged(page->List(), fx.Get(), ToPropertyKey(key::NuvexEnable));
    EXPECT_FALSE(page->IsChecked(L"Nuvex Surround Headphone"));

    // Values of another type, settings keys and unlisted effects change nothing.
    PutBool(fx.Get(), key::EqualizerEnable, false);
    EXPECT_EQ(S_OK, object->EffectList_PropertyValueChanged(page->List(), fx.Get(), ToPropertyKey(key::EqualizerEnable)));
    PutUInt(fx.Get(), key::EqualizerBand(1), 0);
    EXPECT_EQ(S_OK, object->EffectList_PropertyValueChanged(page->List(), fx.Get(), ToPropertyKey(key::EqualizerBand(1))));
    PutUInt(fx.Get(), key::AecEnable, 1);
    EXPECT_EQ(S_OK, object->EffectList_PropertyValueChanged(page->List(), fx.Get(), ToPropertyKey(key::AecEnable)));
    EXPECT_EQ(Labels({L"Equalizer"}), page->CheckedRows());

    EXPECT_EQ(E_POINTER, object->EffectList_PropertyValueChanged(nullptr, fx.Get(), ToPropertyKey(key::AecEnable)));
    EXPECT_EQ(E_POINTER, object->EffectList_PropertyValueChanged(page->List(), nullptr, ToPropertyKey(key::AecEnable)));
    ComPtr<IMMDevice> notAStore = NewEndpoint(L"x", nullptr);
    EXPECT_EQ(E_NOINTERFACE,
              object->EffectList_PropertyValueChanged(page->List(), notAStore.Get(), ToPropertyKey(key::AecEnable)));
    auto* failing = new FailingPropertyStore(E_ACCESSDENIED, fx.Get());
    failing->FailKey(key::EqualizerEnable);
    EXPECT_EQ(E_ACCESSDENIED,
              object->EffectList_PropertyValueChanged(page->List(), failing, ToPropertyKey(key::EqualizerEnable)));
    failing->Release();
    EXPECT_TRUE(page->IsChecked(L"Equalizer"));
}
