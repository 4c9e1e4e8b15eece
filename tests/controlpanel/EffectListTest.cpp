// The effect list object against a real list-view in a page dialog, with endpoints served
// by the in-process device enumerator and components registered in-process. Row labels,
// orders, counts and exclusions are written here from the list's contract.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "controlpanel/DolbyPanel.h"
#include "tests/controlpanel/Harness.h"

using namespace qx;
using namespace qx::test;
using namespace qx::settings;
using host::NewEndpoint;
using host::NewEndpointStoreFor;

namespace {
constexpr uint32_t kSpeakers = 1, kHeadphones = 3, kMicrophone = 4, kSpdif = 8, kHdmi = 9;

// The row label of each EffectId, and the EffectIds that checking it unchecks.
const wchar_t* const kLabels[29] = {
    L"", L"Equalizer", L"Environment", L"Flex Bass", L"Speaker Shifter", L"Smart Volume", L"Dolby Surround",
    L"Dolby Pro Logic IIx", L"DTS Neo:PC", L"DTS Surround Sensation", L"Nuvex Surround", L"Nuvex Surround Headphone",
    L"DTS Voice Clarity", L"Nuvex Surround Max", L"Swap Center and Subwoofer", L"Swap Side and Rear",
    L"15-Band Equalizer", L"Vocal Fading", L"Key Shifting", L"Vocal Remover", L"Echo", L"Magic Voice",
    L"Noise Reduction", L"ENC", L"Beam Forming", L"AEC", L"Mix Output", L"Dolby PCEEv4", L"Zur AEC"};
const std::vector<int> kExcludes[29] = {
    {}, {16}, {}, {}, {}, {}, {9, 10, 11}, {8, 13}, {7, 13}, {6, 10, 11}, {6, 9}, {6, 9}, {}, {7, 8}, {}, {}, {1},
    {19}, {}, {17}, {21}, {20}, {23, 24, 25, 28}, {22, 24, 25, 28}, {22, 23, 28}, {22, 23, 28}, {},
    {1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16}, {22, 23, 24, 25}};
int IdOf(const std::wstring& label) { return int(std::find(kLabels, kLabels + 29, label) - kLabels); }

Labels Join(Labels a, const Labels& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
const Labels kCommon = {L"Dolby PCEEv4", L"Equalizer", L"15-Band Equalizer", L"Environment", L"Speaker Shifter",
                        L"Smart Volume", L"Key Shifting", L"Vocal Fading", L"Vocal Remover", L"DTS Voice Clarity"};
const Labels kMatrix = {L"Dolby Pro Logic IIx", L"DTS Neo:PC", L"Nuvex Surround Max"};

class EffectList : public testing::Test {
protected:
    UINT32 Count(IUnknown* device) {
        ULONG n = 12345;
        EXPECT_EQ(S_OK, panel.object->GetNumDSPSupported(device, &n));
        return n;
    }
    HRESULT Status(int row, UINT32 size, std::wstring& text, BYTE* button = nullptr) {
        std::vector<USHORT> buffer(size, 0xFFFF);
        panel.Select(row);
        const HRESULT hr = panel.object->EffectList_GetStatusString(panel.list, fx.Get(), buffer.data(), size, button);
        text.assign(buffer.begin(), std::find(buffer.begin(), buffer.end(), 0));
        return hr;
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

TEST_F(EffectList, RowsAndCountFollowFormFactorMaskFormatAndComponents) {
    const Labels stereo = Join(kCommon, {L"Flex Bass", L"Nuvex Surround", L"Dolby Surround", L"DTS Surround Sensation"});
    const Labels phones = Join(kCommon, {L"Nuvex Surround Headphone", L"Dolby Surround", L"DTS Surround Sensation"});
    const Labels surround = Join(Join(kCommon, {L"Flex Bass"}), Join(kMatrix, {L"Swap Center and Subwoofer"}));
    const Labels digital = Join(kCommon, {L"DTS Surround Sensation", L"Nuvex Surround"});
    const struct {
        EndpointSetup setup;
        Labels rows;
        UINT32 count;
        std::vector<int> missing;
    } cases[] = {
        // Effects whose component cannot be created are left out.
        {{kSpeakers, 3, 0}, {L"Dolby PCEEv4", L"15-Band Equalizer", L"Environment", L"Speaker Shifter", L"Smart Volume",
          L"Key Shifting", L"Vocal Fading", L"Vocal Remover", L"DTS Voice Clarity", L"Flex Bass", L"Dolby Surround",
          L"DTS Surround Sensation"}, 10, {1, 10, 22}},
        {{kMicrophone, 3, 0}, {L"Echo", L"Magic Voice", L"ENC", L"Mix Output", L"Zur AEC"}, 5, {1, 10, 22}},
        {{kSpeakers, 0x63F, 0}, {L"Nuvex Surround Max", L"Swap Side and Rear", L"Swap Center and Subwoofer"}, 3,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 16, 17, 18, 19, 20, 22, 23, 26, 27, 28}},
        {{kSpeakers, 3, 0}, stereo, 12},
        {{kSpeakers, 0x3F, 0}, surround, 13},
        {{kSpeakers, 0x60F, 0}, surround, 13},
        {{kSpeakers, 0x63F, 0}, Join(Join(kCommon, {L"Flex Bass"}), Join(kMatrix, {L"Swap Side and Rear", L"Swap Center and Subwoofer"})), 14},
        {{kSpeakers, 0x33, 0}, Join(Join(kCommon, {L"Flex Bass"}), kMatrix), 12},
        {{kSpeakers, 0, 0}, stereo, 12},
        {{kHeadphones, 3, 0}, phones, 11},
        {{kHeadphones, 0x3F, 0}, Join(Join(kCommon, {L"Nuvex Surround Headphone"}), Join(kMatrix, {L"Swap Center and Subwoofer"})), 14},
        {{kHeadphones, 0, 0}, phones, 13},  // a missing mask: stereo rows, counted as another mask
        {{kSpdif, 3, 0}, digital, 10},
        {{kSpdif, 3, 0x92}, Join(kCommon, kMatrix), 11},
        {{kHdmi, 0x3F, 0x164}, Join(kCommon, kMatrix), 11},
        {{kMicrophone, 3, 0}, {L"Echo", L"Magic Voice", L"Noise Reduction", L"ENC", L"Beam Forming", L"AEC", L"Mix Output", L"Zur AEC"}, 8},
        {{2, 3, 0}, {}, 0},
        {{0, 3, 0}, {}, 0},
    };
    SendMessageW(panel.list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.setup.formFactor << " mask " << c.setup.speakerMask << " tag " << c.setup.formatTag);
        panel.components.reset();  // a class registered twice keeps its first registration
        panel.components = std::make_unique<Components>(c.missing);
        EXPECT_EQ(S_OK, panel.Show(c.setup));
        EXPECT_EQ(c.rows, panel.Rows());
        EXPECT_EQ(c.count, Count(panel.endpoints.Add(L"counted", c.setup).Get()));
    }
    // Exactly check boxes and one left-aligned "Full Name" column, 250 wide.
    EXPECT_EQ(DWORD(LVS_EX_CHECKBOXES), DWORD(SendMessageW(panel.list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)));
    wchar_t text[32] = {};
    LVCOLUMNW column{LVCF_FMT | LVCF_WIDTH | LVCF_TEXT, 0, 0, text, 32};
    ASSERT_TRUE(SendMessageW(panel.list, LVM_GETCOLUMNW, 0, LPARAM(&column)));
    EXPECT_STREQ(L"Full Name", text);
    EXPECT_EQ(250, column.cx);
    EXPECT_EQ(LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK);
}

TEST_F(EffectList, InitializeAndCountReportWhatFailedOnTheDevice) {
    EXPECT_EQ(E_POINTER, panel.object->EffectList_Initialize(nullptr, const_cast<LPWSTR>(L"x"), fx.Get()));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_FOUND), panel.Show({kSpeakers, 3, 0}, L"nowhere", false));
    LVCOLUMNW column{LVCF_WIDTH};
    EXPECT_FALSE(SendMessageW(panel.list, LVM_GETCOLUMNW, 0, LPARAM(&column)));  // no column
    panel.endpoints.FailGetDevice(E_OUTOFMEMORY);
    EXPECT_EQ(E_OUTOFMEMORY, panel.Show({kSpeakers, 3, 0}));
    panel.endpoints.FailGetDevice(S_OK);
    // A store that cannot be opened: the column but no rows, and nothing to count.
    ComPtr<IMMDevice> closed = NewEndpoint(L"closed", NewEndpointStoreFor({kSpeakers, 3, 0}).Get(), E_ACCESSDENIED);
    panel.endpoints.Add(closed.Get());
    EXPECT_EQ(E_ACCESSDENIED, panel.Show({}, L"closed", false));
    EXPECT_TRUE(SendMessageW(panel.list, LVM_GETCOLUMNW, 0, LPARAM(&column)));
    EXPECT_TRUE(panel.Rows().empty());
    EXPECT_EQ(0u, Count(closed.Get()));
    EXPECT_EQ(0u, Count(fx.Get()));  // not a device
    ULONG n = 7;
    EXPECT_EQ(E_POINTER, panel.object->GetNumDSPSupported(nullptr, &n));
    EXPECT_EQ(0u, n);
    EXPECT_EQ(E_POINTER, panel.object->GetNumDSPSupported(closed.Get(), nullptr));
}

TEST_F(EffectList, CheckBoxesComeFromTheStoreAndApplyWritesEveryListedEnableKey) {
    PutUInt(fx.Get(), key::EqualizerEnable, 1);
    PutUInt(fx.Get(), key::EnvironmentEnable, 7);     // any non-zero value is on
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
    const std::pair<KeyId, uint32_t> applied[] = {
        {key::DolbyPceeEnable, 1}, {key::EqualizerEnable, 0}, {key::Eq15Enable, 1}, {key::EnvironmentEnable, 1},
        {key::SmartVolumeEnable, 0}, {key::NoiseReductionEnable, 0xDEAD}, {key::ProLogicEnable, 0xDEAD}};
    for (const auto& [key, value] : applied) EXPECT_EQ(value, Applied(key)) << key.pid;
    // The result is that of the last write, and the last row is DTS Surround Sensation.
    EXPECT_EQ(E_POINTER, panel.object->EffectList_SetState(nullptr));
    EXPECT_EQ(E_NOINTERFACE, panel.object->EffectList_SetState(NewEndpoint(L"x", nullptr).Get()));
    for (const auto& [failedKey, result] : {std::pair{key::SurroundSensationEnable, E_ACCESSDENIED}, std::pair{key::EqualizerEnable, S_OK}}) {
        ComPtr<FailingPropertyStore> failing(new FailingPropertyStore(E_ACCESSDENIED, NewMemoryStore().Get()));
        failing->Release();
        failing->FailKey(failedKey);
        EXPECT_EQ(result, panel.object->EffectList_SetState(failing.Get()));
    }
}

// Checking a row unchecks exactly the rows its effect excludes, and marks a change.
TEST_F(EffectList, CheckingARowUnchecksTheEffectsItExcludes) {
    for (const EndpointSetup& setup : {EndpointSetup{kSpeakers, 3, 0}, EndpointSetup{kSpeakers, 0x63F, 0},
                                       EndpointSetup{kHeadphones, 3, 0}, EndpointSetup{kMicrophone, 3, 0}}) {
        ASSERT_EQ(S_OK, panel.Show(setup));
        const Labels rows = panel.Rows();
        for (const std::wstring& last : rows)
            for (const std::wstring& other : rows) {
                if (other == last) continue;
                for (const std::wstring& row : rows) panel.SetChecked(row, false);
                panel.SetChecked(other, true);
                panel.dirty = false;
                panel.SetChecked(last, true);
                const bool unchecked = std::count(kExcludes[IdOf(last)].begin(), kExcludes[IdOf(last)].end(), IdOf(other)) != 0;
                EXPECT_NE(unchecked, panel.IsChecked(other)) << testing::PrintToString(last + L" after " + other);
                EXPECT_TRUE(panel.IsChecked(last) && panel.dirty);
            }
    }
}

TEST_F(EffectList, ItemChangedTakesOnlyCheckBoxChangesOfListedRows) {
    ASSERT_EQ(S_OK, panel.Show({kSpeakers, 3, 0}));
    const struct {
        UINT code;
        int row;
        UINT what, image;
        HRESULT result;
        BYTE notify;
    } cases[] = {{UINT(LVN_ITEMCHANGED), 1, LVIF_STATE, 2, S_OK, 1},        {UINT(LVN_ITEMCHANGED), 1, LVIF_STATE, 1, S_OK, 1},
                 {UINT(LVN_ITEMCHANGING), 1, LVIF_STATE, 2, S_FALSE, 0},     {UINT(LVN_ITEMCHANGED), 1, LVIF_TEXT, 2, S_FALSE, 0},
                 {UINT(LVN_ITEMCHANGED), 1, LVIF_STATE, 3, S_FALSE, 0},      {UINT(LVN_ITEMCHANGED), 14, LVIF_STATE, 2, S_FALSE, 0},
                 {UINT(LVN_ITEMCHANGED), 29, LVIF_STATE, 2, S_FALSE, 0},     {UINT(LVN_ITEMCHANGED), -1, LVIF_STATE, 2, S_FALSE, 0}};
    for (const auto& c : cases) {
        NMLISTVIEW change{{panel.list, 0, c.code}, c.row, 0, INDEXTOSTATEIMAGEMASK(c.image), 0, c.what};
        BYTE notify = 9;
        EXPECT_EQ(c.result, panel.object->EffectList_ItemChanged(panel.list, LONG_PTR(&change), &notify)) << c.row;
        EXPECT_EQ(c.notify, notify);
    }
    BYTE notify = 9;
    EXPECT_EQ(E_POINTER, panel.object->EffectList_ItemChanged(panel.list, 0, &notify));
    EXPECT_EQ(0, notify);
    EXPECT_EQ(E_POINTER, panel.object->EffectList_ItemChanged(nullptr, LONG_PTR(&notify), &notify));
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
        {{kSpeakers, 3, 0}, L"Dolby PCEEv4", 10, L"Quellix E", 1},  // row 0
        {{kSpeakers, 3, 0}, L"Smart Volume", 256, L"Quellix Effect: Smart Volume Normalizer\n\nStatus: Disabled", 0},
        {{kMicrophone, 3, 0}, L"Zur AEC", 256, L"Zurarur Effect: Acoustic Echo Cancellation\n\nStatus: Enabled", 0},
    };
    std::wstring text;
    for (const auto& c : cases) {
        ASSERT_EQ(S_OK, panel.Show(c.setup));
        PutUInt(fx.Get(), key::EqualizerEnable, 1);  // after the list was built
        PutUInt(fx.Get(), key::ZurAecEnable, 1);
        BYTE button = 9;
        EXPECT_EQ(S_OK, Status(panel.Row(c.row), c.size, text, &button));
        EXPECT_EQ(c.text, text);
        EXPECT_EQ(c.button, button) << testing::PrintToString(std::wstring(c.row));
    }
    USHORT buffer[64];
    BYTE button = 9;
    EXPECT_EQ(E_POINTER, panel.object->EffectList_GetStatusString(nullptr, fx.Get(), buffer, 64, &button));
    EXPECT_EQ(0, button);
    EXPECT_EQ(E_POINTER, panel.object->EffectList_GetStatusString(panel.list, nullptr, buffer, 64, &button));
    EXPECT_EQ(E_POINTER, panel.object->EffectList_GetStatusString(panel.list, fx.Get(), nullptr, 64, &button));
    EXPECT_EQ(E_INVALIDARG, panel.object->EffectList_GetStatusString(panel.list, fx.Get(), buffer, 0, &button));
    LVITEMW extra{LVIF_TEXT, 8, 0, 0, 0, const_cast<LPWSTR>(L"Added by the page")};
    ASSERT_EQ(8, SendMessageW(panel.list, LVM_INSERTITEMW, 0, LPARAM(&extra)));
    EXPECT_EQ(E_UNEXPECTED, Status(-1, 64, text));
    EXPECT_EQ(E_NOTIMPL, Status(8, 64, text));  // the page's own row holds no effect
}

TEST_F(EffectList, PropertyValueChangedMovesTheRowLikeAClick) {
    ASSERT_EQ(S_OK, panel.Show({kHeadphones, 3, 0}));
    // Each change in turn, and the checked rows after it: the shared Nuvex key finds the
    // headphone row; values of another type (a flag of 2 here: kept as VT_BOOL), settings
    // keys and unlisted effects change nothing.
    const struct {
        KeyId key;
        uint32_t value;
        Labels checked;
    } changes[] = {
        {key::Eq15Enable, 1, {L"15-Band Equalizer"}},
        {key::EqualizerEnable, 1, {L"Equalizer"}},
        {key::NuvexEnable, 1, {L"Equalizer", L"Nuvex Surround Headphone"}},
        {key::NuvexEnable, 0, {L"Equalizer"}},
        {key::EqualizerEnable, 2, {L"Equalizer"}},
        {key::EqualizerBand(1), 0, {L"Equalizer"}},
        {key::AecEnable, 1, {L"Equalizer"}},
    };
    for (const auto& c : changes) {
        const bool moves = c.checked != panel.CheckedRows();
        panel.dirty = false;
        c.value == 2 ? PutBool(fx.Get(), c.key, false) : PutUInt(fx.Get(), c.key, c.value);
        EXPECT_EQ(S_OK, Changed(fx.Get(), c.key));
        EXPECT_EQ(c.checked, panel.CheckedRows()) << c.key.pid;
        EXPECT_EQ(moves, panel.dirty);  // the list reported it like a click
    }
    EXPECT_EQ(E_POINTER, panel.object->EffectList_PropertyValueChanged(nullptr, fx.Get(), ToPropertyKey(key::AecEnable)));
    EXPECT_EQ(E_POINTER, Changed(nullptr, key::AecEnable));
    EXPECT_EQ(E_NOINTERFACE, Changed(NewEndpoint(L"x", nullptr).Get(), key::AecEnable));
    ComPtr<FailingPropertyStore> failing(new FailingPropertyStore(E_ACCESSDENIED, fx.Get()));
    failing->Release();
    failing->FailKey(key::EqualizerEnable);
    EXPECT_EQ(E_ACCESSDENIED, Changed(failing.Get(), key::EqualizerEnable));
}

// Rows without a dialog return at once; the Dolby row asks for the locator class (none
// is registered here, so nothing is started).
TEST_F(EffectList, SettingsOpensNothingForRowsWithoutADialog) {
    ASSERT_EQ(S_OK, panel.Show({kSpeakers, 0x63F, 0}));
    EXPECT_EQ(E_POINTER, panel.object->EffectList_SettingsDialog(nullptr, fx.Get()));
    EXPECT_EQ(E_POINTER, panel.object->EffectList_SettingsDialog(panel.list, nullptr));
    for (const wchar_t* row : {L"", L"Smart Volume", L"Swap Side and Rear", L"Nuvex Surround Max", L"Dolby PCEEv4"}) {
        panel.Select(panel.Row(row));
        EXPECT_EQ(*row ? S_OK : E_UNEXPECTED, panel.object->EffectList_SettingsDialog(panel.list, fx.Get()));
    }
}

// The Dolby row starts the panel program beside the file the locator found: everything
// after the last backslash becomes "pcee4e.exe"; no path or no folder starts nothing.
TEST(DolbyPanel, ProgramSitsBesideTheLocatedFile) {
    const struct {
        const wchar_t* located;
        const wchar_t* program;
    } rows[] = {
        {LR"(C:\Program Files\Sound\pcee4.dll)", LR"(C:\Program Files\Sound\pcee4e.exe)"},
        {LR"(D:\c)", LR"(D:\pcee4e.exe)"},
        {LR"(C:\)", LR"(C:\pcee4e.exe)"},
        {L"pcee4.dll", L""},
        {L"", L""},
        {nullptr, L""},
    };
    for (const auto& r : rows) EXPECT_EQ(std::wstring(r.program), qx::controlpanel::PanelProgramPath(r.located));
}
