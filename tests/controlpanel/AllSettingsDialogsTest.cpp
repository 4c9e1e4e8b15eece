// What every settings dialog shares, walked over every effect that has one: the dialog
// table serves it, it opens from its row, Esc and the close box never close it, and only
// dialogs with a Reset write on Esc.
#include <windows.h>

#include <gtest/gtest.h>

#include <iterator>

#include "controlpanel/DialogTable.h"
#include "tests/controlpanel/SettingsDialogHarness.h"
#include "tests/support/Stores.h"

using namespace qx;
using namespace qx::test;

namespace {
struct DialogRow {
    settings::EffectId effect;
    const wchar_t* title;
    EndpointSetup endpoint;  // one whose list holds the row
    bool hasReset;
};
const DialogRow kDialogRows[] = {
    {settings::EffectEqualizer, L"Equalizer", kStereoSpeakers, true},
    {settings::EffectEq15, L"15 Band Equalizer", kStereoSpeakers, true},
    {settings::EffectEnvironment, L"Environment", kStereoSpeakers, false},
    {settings::EffectFlexBass, L"Flex Bass", kStereoSpeakers, false},
    {settings::EffectSpeakerShifter, L"Virtual Speaker Shifter", kStereoSpeakers, true},
    {settings::EffectNuvex, L"Nuvex Surround", kStereoSpeakers, false},
    {settings::EffectNuvexHeadphone, L"Nuvex Surround Headphone", kHeadphones, false},
    {settings::EffectKeyShifting, L"Key Shifting", kStereoSpeakers, false},
    {settings::EffectVocalFading, L"Vocal Fading", kStereoSpeakers, false},
    {settings::EffectMicEcho, L"Microphone Echo", kMicrophone, false},
    {settings::EffectMagicVoice, L"Magic Voice", kMicrophone, false},
    {settings::EffectVocalRemover, L"Vocal Remover", kStereoSpeakers, true},
    {settings::EffectVoiceClarity, L"DTS Voice Clarity", kStereoSpeakers, false},
    {settings::EffectNeoPC, L"DTS Neo:PC", kSurroundSpeakers, false},
    {settings::EffectSurroundSensation, L"DTS Surround Sensation", kStereoSpeakers, false},
    {settings::EffectDolbySurround, L"Dolby Surround", kStereoSpeakers, false},
    {settings::EffectProLogic, L"Dolby Pro Logic IIx", kSurroundSpeakers, false},
};

using AllSettingsDialogs = SettingsDialogTest;
}  // namespace

TEST(SettingsDialogTable, EveryEffectWithATemplateHasADialog) {
    size_t dialogs = 0;
    for (const settings::EffectInfo& effect : settings::kEffectTable) {
        const bool hasTemplate = effect.dialogTemplate != 0 && effect.dialogTemplate != settings::kDolbyPanelDialog;
        EXPECT_EQ(hasTemplate, controlpanel::FindDialogFactory(effect.id) != nullptr) << effect.id;
        dialogs += hasTemplate;
    }
    EXPECT_EQ(std::size(kDialogRows), dialogs);
}

TEST_F(AllSettingsDialogs, EscAndTheCloseBoxNeverCloseADialog) {
    for (const DialogRow& row : kDialogRows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.title)));
        Show(row.endpoint);
        bool stillOpen = false;
        Open(settings::FindEffect(row.effect)->label, row.title,
             {[&](HWND w) { PressEscAndClose(w); }, [&](HWND w) { stillOpen = IsWindowVisible(w) != FALSE; }});
        EXPECT_TRUE(stillOpen);
        // Without a Reset, Esc writes nothing; opening and "OK" write nothing either.
        if (!row.hasReset) EXPECT_EQ(0u, StoredCount(store.Get()));
        store = NewMemoryStore();
    }
}
