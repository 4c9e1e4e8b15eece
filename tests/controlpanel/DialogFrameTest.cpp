// The settings-dialog frame as the effect list drives it, through a small test dialog:
// what the page hands the dialog, reloads on property changes, rows without a dialog and
// the Dolby row's panel. (Each real dialog's controls are walked in SettingsDialogsTest.)
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>

#include "common/ComPtr.h"
#include "controlpanel/DialogTable.h"
#include "controlpanel/DolbyPanel.h"
#include "controlpanel/EffectDialog.h"
#include "controlpanel/QXUIExtLib.h"
#include "settings/PropertyStoreAccess.h"
#include "tests/controlpanel/DialogHarness.h"
#include "tests/controlpanel/PageHarness.h"
#include "tests/controlpanel/TestTemplates.h"
#include "tests/support/Stores.h"

namespace qx {
// Puts the test's dialog in place of the Equalizer's on one effect-list object.
class QXUIExtLibTestAccess {
public:
    static void UseTestDialogForEqualizer(IQXUIExtLib* object);
};
}  // namespace qx

using namespace qx;
using namespace qx::test;
using namespace qx::settings;
using namespace qx::controlpanel;

namespace {
const KeyId kLevelKey = key::VocalFadingAmount;
const KeyId kGainKey = key::KeyShift;
const KeyId kSwitchKey = key::ProLogicPanorama;
const KeyId kModeKey = key::MagicVoiceType;
const KeyId kListKey = key::EnvironmentPreset;
constexpr wchar_t kTitle[] = L"Test Effect";

class TestDialog : public EffectDialog {
public:
    TestDialog(const DialogContext& context, bool withReset)
        : EffectDialog(WithTemplate(context), ControlTable(kControls, kModes)), withReset_(withReset) {
        ++live;
    }
    ~TestDialog() override { --live; }

    int refreshes = 0;
    int resets = 0;
    static inline int live = 0;

    static constexpr ControlItem kControls[] = {
        Trackbar(IDC_TEST_LEVEL, key::VocalFadingAmount, 0, 20, 5, kRangeChecked),
        Trackbar(IDC_TEST_GAIN, key::KeyShift, -12, 12, 0, kSigned | kLineKeys | kStartWhenAbsent),
        CheckBox(IDC_TEST_SWITCH, key::ProLogicPanorama),
        Radio(IDC_TEST_MODE_A, IDC_TEST_MODE_A, IDC_TEST_MODE_C, key::MagicVoiceType, 0, kStartChecked | kFallback),
        Radio(IDC_TEST_MODE_B, IDC_TEST_MODE_A, IDC_TEST_MODE_C, key::MagicVoiceType, 1),
        Radio(IDC_TEST_MODE_C, IDC_TEST_MODE_A, IDC_TEST_MODE_C, key::MagicVoiceType, 2),
        ListBox(IDC_TEST_LIST, key::EnvironmentPreset, kStartWhenAbsent),
    };
    static constexpr ModeGroup kModes[] = {{IDC_TEST_MODE_B, 1, {IDC_TEST_DEPENDENT}}};

protected:
    void InitControls() override {
        for (const wchar_t* entry : {L"zero", L"one", L"two", L"three", L"four"})
            SendDlgItemMessageW(Window(), IDC_TEST_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        EffectDialog::InitControls();
    }
    void Refresh() override {
        ++refreshes;
        EffectDialog::Refresh();
    }
    bool HasReset() const override { return withReset_; }
    void OnReset() override {
        ++resets;
        WriteValue(kLevelKey, 5);
        SendRefresh();
    }

private:
    static DialogContext WithTemplate(DialogContext context) {
        context.templateId = IDD_TEST_DIALOG;
        return context;
    }
    bool withReset_;
};

}  // namespace

// The dialog opened from the effect list: owner, store, open-dialog handle and reloads.
namespace {
// What the page handed to the last dialog it made (the store only as a yes or no, so the
// test holds no reference of its own).
struct SeenContext {
    HWND* openDialog = nullptr;
    uint32_t speakerMask = 0;
    bool hasStore = false;
} g_lastContext;
std::unique_ptr<EffectDialog> MakeTestDialog(const DialogContext& context) {
    g_lastContext = {context.openDialog, context.speakerMask, bool(context.store)};
    return std::make_unique<TestDialog>(context, false);
}

class CountingLocator : public IQXDolbyPanelLocator {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, __uuidof(IQXDolbyPanelLocator))) return E_NOINTERFACE;
        *ppv = static_cast<IQXDolbyPanelLocator*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return ULONG(--refs); }  // lives on the test's stack
    HRESULT STDMETHODCALLTYPE Unused1() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Prepare() override {
        ++prepared;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unused3() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused4() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused5() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused6() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused7() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused8() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused9() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused10() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused11() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused12() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE Unused13() override { return Wrong(); }
    HRESULT STDMETHODCALLTYPE GetLocatedPath(LPWSTR* path) override {
        ++located;
        static const wchar_t kPath[] = L"C:\\no such folder\\surround kit\\locator.dll";
        *path = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof kPath));
        std::memcpy(*path, kPath, sizeof kPath);
        return S_OK;
    }
    HRESULT Wrong() {
        ++wrongCalls;
        return E_UNEXPECTED;
    }
    std::atomic<LONG> refs{0};
    int prepared = 0, located = 0, wrongCalls = 0;
};

class LocatorFactory : public IClassFactory {
public:
    explicit LocatorFactory(CountingLocator& locator) : locator_(locator) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID riid, void** ppv) override {
        return locator_.QueryInterface(riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    CountingLocator& locator_;
};

DialogFactory TestDialogLookup(EffectId effect) {
    return effect == EffectEqualizer ? &MakeTestDialog : FindDialogFactory(effect);
}
}  // namespace

void QXUIExtLibTestAccess::UseTestDialogForEqualizer(IQXUIExtLib* object) {
    static_cast<qx::QXUIExtLib*>(object)->findDialog_ = &TestDialogLookup;
}

namespace {
class SettingsFromTheList : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, ComObjectRoot::Create<qx::QXUIExtLib>(nullptr, __uuidof(IQXUIExtLib), object.PutVoid()));
        page = std::make_unique<TestPage>(object.Get());
        endpoints.Add(L"speakers", EndpointSetup{1, 0x63F, 0});
        ASSERT_EQ(S_OK, object->EffectList_Initialize(page->List(), const_cast<LPWSTR>(L"speakers"), fx));
        QXUIExtLibTestAccess::UseTestDialogForEqualizer(object.Get());
    }
    void TearDown() override {
        g_lastContext = SeenContext();
        page.reset();
        object.Reset();
        fx->Release();
    }
    void Select(const wchar_t* label) { page->SetSelectionMark(page->Row(label)); }

    EndpointRegistry endpoints;
    Components components;
    // Counts the references the dialog takes on the store.
    FailingPropertyStore* fx = new FailingPropertyStore(E_FAIL, NewMemoryStore().Get());
    ComPtr<IQXUIExtLib> object;
    std::unique_ptr<TestPage> page;
};
}  // namespace

TEST_F(SettingsFromTheList, TheDialogRecordsItselfAndReloadsOnPropertyChanges) {
    ShowWindow(page->Window(), SW_SHOW);
    SetActiveWindow(page->Window());
    const HWND active = GetActiveWindow();
    Select(L"Equalizer");
    HWND owner = nullptr;
    HRESULT result = E_FAIL;
    PlayDialogScript(kTitle,
                     {
                         [&](HWND d) {
                             owner = GetWindow(d, GW_OWNER);
                             ASSERT_NE(nullptr, g_lastContext.openDialog);
                             EXPECT_EQ(d, *g_lastContext.openDialog);
                             EXPECT_GT(fx->RefCount(), 1);  // the dialog holds the store
                             EXPECT_EQ(0x63Fu, g_lastContext.speakerMask);
                             PutUInt(fx, kLevelKey, 17);
                             EXPECT_EQ(S_OK, object->EffectList_PropertyValueChanged(page->List(), fx,
                                                                                     ToPropertyKey(kLevelKey)));
                         },
                         [&](HWND d) { EXPECT_EQ(17, Pos(d, IDC_TEST_LEVEL)); },
                     },
                     [&] { result = object->EffectList_SettingsDialog(page->List(), fx); });
    EXPECT_EQ(S_OK, result);
    EXPECT_EQ(active, owner);
    EXPECT_EQ(nullptr, *g_lastContext.openDialog);  // cleared once the dialog ended
    EXPECT_EQ(0, TestDialog::live);
    EXPECT_EQ(1, fx->RefCount());
}

TEST_F(SettingsFromTheList, ADialogWithoutAStoreStillOpens) {
    Select(L"Equalizer");
    ComPtr<IMMDevice> notAStore = NewEndpoint(L"x", nullptr);
    bool opened = false;
    PlayDialogScript(kTitle, {[&](HWND) { opened = !g_lastContext.hasStore; }},
                     [&] { EXPECT_EQ(S_OK, object->EffectList_SettingsDialog(page->List(), notAStore.Get())); });
    EXPECT_TRUE(opened);
}

TEST_F(SettingsFromTheList, RowsWithoutADialogAndBadArguments) {
    EXPECT_EQ(E_POINTER, object->EffectList_SettingsDialog(nullptr, fx));
    EXPECT_EQ(E_POINTER, object->EffectList_SettingsDialog(page->List(), nullptr));
    page->SetSelectionMark(-1);
    EXPECT_EQ(E_UNEXPECTED, object->EffectList_SettingsDialog(page->List(), fx));
    for (const wchar_t* label : {L"Smart Volume", L"Swap Side and Rear"}) {
        Select(label);
        EXPECT_EQ(S_OK, object->EffectList_SettingsDialog(page->List(), fx));
    }
    EXPECT_EQ(nullptr, g_lastContext.openDialog);
}

TEST_F(SettingsFromTheList, TheDolbyRowAsksTheLocatorAndReleasesIt) {
    Select(L"Dolby PCEEv4");
    EXPECT_EQ(S_OK, object->EffectList_SettingsDialog(page->List(), fx));  // no locator: nothing
    CountingLocator locator;
    LocatorFactory factory(locator);
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, CoRegisterClassObject(CLSID_DolbyPanelLocator, &factory, CLSCTX_INPROC_SERVER,
                                          REGCLS_MULTIPLEUSE, &cookie));
    EXPECT_EQ(S_OK, object->EffectList_SettingsDialog(page->List(), fx));
    CoRevokeClassObject(cookie);
    EXPECT_EQ(1, locator.prepared);
    EXPECT_EQ(1, locator.located);
    EXPECT_EQ(0, locator.wrongCalls);
    EXPECT_EQ(0, locator.refs);
}

TEST(DolbyPanel, ProgramLivesBesideTheLocatedFile) {
    EXPECT_EQ(L"C:\\Sound Tools\\Surround Kit\\pcee4e.exe",
              PanelProgramPath(L"C:\\Sound Tools\\Surround Kit\\kit-core.dll"));
    EXPECT_EQ(L"C:\\d\\pcee4e.exe", PanelProgramPath(L"C:\\d\\"));
    EXPECT_EQ(L"\\pcee4e.exe", PanelProgramPath(L"\\"));
    EXPECT_EQ(L"", PanelProgramPath(L"no folder.dll"));
    EXPECT_EQ(L"", PanelProgramPath(nullptr));
}
