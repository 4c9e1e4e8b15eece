// The two Nuvex Surround dialogs opened from the effect list: "Nuvex Surround" for
// loudspeakers and "Nuvex Surround Headphone" for headphones.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "controlpanel/DialogIds.h"
#include "controlpanel/templates/NuvexSurroundIds.h"
#include "tests/controlpanel/SettingsDialogHarness.h"
#include "tests/support/Stores.h"

using namespace qx::test;
namespace key = qx::settings::key;

namespace {
constexpr wchar_t kSpeakerRow[] = L"Nuvex Surround";
constexpr wchar_t kHeadphoneRow[] = L"Nuvex Surround Headphone";
constexpr int kSpeakerControls[] = {IDC_NUVEX_EXPANSION, IDC_NUVEX_EXPANSION_LABEL, IDC_NUVEX_ANGLE,
                                    IDC_NUVEX_ANGLE_LABEL};
constexpr int kRoomButtons[] = {IDC_NUVEX_SMALL, IDC_NUVEX_MEDIUM, IDC_NUVEX_LARGE};

// Which mode's controls are enabled.
void ExpectSpeakerMode(HWND w, bool speaker) {
    EXPECT_EQ(speaker, Checked(w, IDC_NUVEX_SPEAKER));
    EXPECT_EQ(!speaker, Checked(w, IDC_NUVEX_HEADPHONE));
    for (int id : kSpeakerControls) EXPECT_EQ(speaker, Enabled(w, id)) << id;
    for (int id : kRoomButtons) EXPECT_EQ(!speaker, Enabled(w, id)) << id;
}
// The room-size button that is checked, or 0.
int Room(HWND w) {
    int checked = 0;
    for (int id : kRoomButtons)
        if (Checked(w, id)) checked = checked ? -1 : id;
    return checked;
}

using NuvexDialogs = SettingsDialogTest;
}  // namespace

TEST(NuvexDialogTemplates, AreLaidOutAsDesigned) {
    const DWORD trackbar = TBS_AUTOTICKS | TBS_BOTH | WS_TABSTOP;
    ExpectTemplate(
        IDD_NUVEX_SURROUND, L"Nuvex Surround", 260, 237,
        {{IDOK, L"Button", L"OK", kOkButton, 203, 214, 50, 16},
         {IDC_NUVEX_HEADPHONE, L"Button", L"Headphone", kRadioGroupStart, 7, 17, 53, 10},
         {IDC_NUVEX_SPEAKER, L"Button", L"Speaker", kRadio, 7, 68, 42, 10},
         {-1, L"Button", L"Room Size", kGroupBox, 70, 17, 183, 40},
         {-1, L"Button", L"Sound Field Expansion", kGroupBox, 70, 68, 183, 50},
         {-1, L"Button", L"Physical Speaker Angle", kGroupBox, 70, 129, 183, 50},
         {IDC_NUVEX_SMALL, L"Button", L"Small", kRadioGroupStart, 83, 34, 32, 10},
         {IDC_NUVEX_MEDIUM, L"Button", L"Medium", kRadio, 142, 34, 40, 10},
         {IDC_NUVEX_LARGE, L"Button", L"Large", kRadio, 209, 34, 34, 10},
         {IDC_NUVEX_EXPANSION_LABEL, L"Static",
          L"Narrow                                                                 Wide", kLeftText, 78, 81, 172, 8},
         {IDC_NUVEX_EXPANSION, L"msctls_trackbar32", L"", trackbar, 76, 90, 173, 26},
         {IDC_NUVEX_ANGLE_LABEL, L"Static",
          L"   5                10               15               20               30", kLeftText, 78, 145, 171, 8},
         {IDC_NUVEX_ANGLE, L"msctls_trackbar32", L"", trackbar, 76, 152, 173, 26},
         {IDC_NUVEX_MAX, L"Button", L"Enable Nuvex Surround Max for stereo content", kCheckBox, 7, 195, 161, 10}});
    ExpectTemplate(
        IDD_NUVEX_SURROUND_HEADPHONE, L"Nuvex Surround Headphone", 197, 102,
        {{IDOK, L"Button", L"OK", kOkButton, 140, 79, 50, 16},
         {-1, L"Button", L"Room Size", kGroupBox, 7, 7, 183, 40},
         {IDC_NUVEX_SMALL, L"Button", L"Small", kRadioGroupStart, 20, 24, 32, 10},
         {IDC_NUVEX_MEDIUM, L"Button", L"Medium", kRadio, 79, 24, 40, 10},
         {IDC_NUVEX_LARGE, L"Button", L"Large", kRadio, 146, 24, 34, 10},
         {IDC_NUVEX_MAX, L"Button", L"Enable Nuvex Surround Max for stereo content", kCheckBox, 7, 59, 161, 10}});
}

TEST_F(NuvexDialogs, OpensInHeadphoneModeWithMediumRoom) {
    Show(kStereoSpeakers);
    Open(kSpeakerRow, L"Nuvex Surround", {[&](HWND w) {
             ExpectSpeakerMode(w, false);
             EXPECT_EQ(IDC_NUVEX_MEDIUM, Room(w));
             EXPECT_EQ(0, RangeMin(w, IDC_NUVEX_EXPANSION));
             EXPECT_EQ(3, RangeMax(w, IDC_NUVEX_EXPANSION));
             EXPECT_EQ(4, RangeMax(w, IDC_NUVEX_ANGLE));
             EXPECT_EQ(3, Pos(w, IDC_NUVEX_EXPANSION));
             EXPECT_EQ(3, Pos(w, IDC_NUVEX_ANGLE));
             EXPECT_FALSE(Checked(w, IDC_NUVEX_MAX));
         }});
    EXPECT_EQ(0u, StoredCount(store.Get()));
}

TEST_F(NuvexDialogs, AStoredSpeakerModeLeavesTheRoomSizeAlone) {
    Show(kStereoSpeakers);
    PutUInt(store.Get(), key::NuvexMode, 0);
    PutUInt(store.Get(), key::NuvexRoomSize, 0);
    PutUInt(store.Get(), key::NuvexExpansion, 1);
    PutUInt(store.Get(), key::NuvexSpeakerAngle, 4);
    PutUInt(store.Get(), key::NuvexMaxEnable, 7);
    Open(kSpeakerRow, L"Nuvex Surround", {[&](HWND w) {
             ExpectSpeakerMode(w, true);
             EXPECT_EQ(IDC_NUVEX_MEDIUM, Room(w));  // disabled, still the start state
             EXPECT_EQ(1, Pos(w, IDC_NUVEX_EXPANSION));
             EXPECT_EQ(4, Pos(w, IDC_NUVEX_ANGLE));  // the right end: 30 degrees
             EXPECT_TRUE(Checked(w, IDC_NUVEX_MAX));

             // A mode that does not count keeps "Speaker" but the room size is read.
             PutBool(store.Get(), key::NuvexMode, true);
             Reload(w);
             ExpectSpeakerMode(w, true);
             EXPECT_EQ(IDC_NUVEX_LARGE, Room(w));

             // Out-of-range values leave their controls; so does a wrong type.
             PutUInt(store.Get(), key::NuvexMode, 5);  // any value above 0 is headphone
             PutUInt(store.Get(), key::NuvexRoomSize, 3);
             PutUInt(store.Get(), key::NuvexExpansion, 7);
             PutUInt(store.Get(), key::NuvexSpeakerAngle, 0xFFFFFFFF);
             PutBool(store.Get(), key::NuvexMaxEnable, false);
             Reload(w);
             ExpectSpeakerMode(w, false);
             EXPECT_EQ(IDC_NUVEX_LARGE, Room(w));
             EXPECT_EQ(1, Pos(w, IDC_NUVEX_EXPANSION));
             EXPECT_EQ(4, Pos(w, IDC_NUVEX_ANGLE));
             EXPECT_TRUE(Checked(w, IDC_NUVEX_MAX));

             PutUInt(store.Get(), key::NuvexRoomSize, 2);
             PutUInt(store.Get(), key::NuvexMaxEnable, 0);
             Reload(w);
             EXPECT_EQ(IDC_NUVEX_SMALL, Room(w));
             EXPECT_FALSE(Checked(w, IDC_NUVEX_MAX));
         }});
}

TEST_F(NuvexDialogs, WithoutAStoredModeTheRoomSizeIsRead) {
    Show(kStereoSpeakers);
    PutUInt(store.Get(), key::NuvexRoomSize, 0);
    Open(kSpeakerRow, L"Nuvex Surround", {[&](HWND w) {
             ExpectSpeakerMode(w, false);
             EXPECT_EQ(IDC_NUVEX_LARGE, Room(w));
         }});
}

TEST_F(NuvexDialogs, EveryControlWritesItsKey) {
    Show(kStereoSpeakers);
    Open(kSpeakerRow, L"Nuvex Surround", {[&](HWND w) {
             Click(w, IDC_NUVEX_SPEAKER);
             EXPECT_EQ(0u, Stored(store.Get(), key::NuvexMode));
             ExpectSpeakerMode(w, true);
             Scroll(w, WM_HSCROLL, IDC_NUVEX_EXPANSION, TB_THUMBTRACK, 1);
             EXPECT_EQ(1u, Stored(store.Get(), key::NuvexExpansion));
             Scroll(w, WM_HSCROLL, IDC_NUVEX_ANGLE, TB_THUMBPOSITION, 0);
             EXPECT_EQ(0u, Stored(store.Get(), key::NuvexSpeakerAngle));
             Scroll(w, WM_HSCROLL, IDC_NUVEX_ANGLE, TB_PAGEDOWN, 2);
             Scroll(w, WM_HSCROLL, IDC_NUVEX_ANGLE, TB_LINEDOWN, 2);
             EXPECT_EQ(0u, Stored(store.Get(), key::NuvexSpeakerAngle));

             Click(w, IDC_NUVEX_HEADPHONE);
             EXPECT_EQ(1u, Stored(store.Get(), key::NuvexMode));
             ExpectSpeakerMode(w, false);
             const uint32_t sizes[] = {2, 1, 0};
             for (int i : {0, 2, 1}) {
                 Click(w, kRoomButtons[i]);
                 EXPECT_EQ(sizes[i], Stored(store.Get(), key::NuvexRoomSize));
             }
             Click(w, IDC_NUVEX_MAX);
             EXPECT_EQ(1u, Stored(store.Get(), key::NuvexMaxEnable));
             Click(w, IDC_NUVEX_MAX);
             EXPECT_EQ(0u, Stored(store.Get(), key::NuvexMaxEnable));
         }});
    EXPECT_EQ(5u, StoredCount(store.Get()));
}

TEST_F(NuvexDialogs, WithoutAStoreModesStillSwitchButNothingIsWritten) {
    Show(kStereoSpeakers);
    OpenWithoutStore(kSpeakerRow, L"Nuvex Surround", {[&](HWND w) {
                         ExpectSpeakerMode(w, false);
                         EXPECT_EQ(IDC_NUVEX_MEDIUM, Room(w));
                         Click(w, IDC_NUVEX_SPEAKER);
                         ExpectSpeakerMode(w, true);
                         Reload(w);  // the mode groups follow the checked button
                         ExpectSpeakerMode(w, true);
                         Scroll(w, WM_HSCROLL, IDC_NUVEX_EXPANSION, TB_THUMBTRACK, 0);
                         Click(w, IDC_NUVEX_MAX);
                     }});
    EXPECT_EQ(0u, StoredCount(store.Get()));
}

TEST_F(NuvexDialogs, TheHeadphoneDialogOpensWithSmallRoomAndNeverTouchesTheMode) {
    Show(kHeadphones);
    PutUInt(store.Get(), key::NuvexMode, 0);  // the loudspeaker dialog's choice: ignored here
    Open(kHeadphoneRow, L"Nuvex Surround Headphone", {[&](HWND w) {
             EXPECT_EQ(IDC_NUVEX_SMALL, Room(w));
             for (int id : kRoomButtons) EXPECT_TRUE(Enabled(w, id));
             EXPECT_FALSE(Checked(w, IDC_NUVEX_MAX));
             PutUInt(store.Get(), key::NuvexRoomSize, 1);
             PutUInt(store.Get(), key::NuvexMaxEnable, 1);
             Reload(w);
             EXPECT_EQ(IDC_NUVEX_MEDIUM, Room(w));
             EXPECT_TRUE(Checked(w, IDC_NUVEX_MAX));
             PutUInt(store.Get(), key::NuvexRoomSize, 3);
             PutBool(store.Get(), key::NuvexMaxEnable, false);
             Reload(w);
             EXPECT_EQ(IDC_NUVEX_MEDIUM, Room(w));
             EXPECT_TRUE(Checked(w, IDC_NUVEX_MAX));

             const uint32_t sizes[] = {2, 1, 0};
             for (int i : {2, 0, 1}) {
                 Click(w, kRoomButtons[i]);
                 EXPECT_EQ(sizes[i], Stored(store.Get(), key::NuvexRoomSize));
             }
             Click(w, IDC_NUVEX_MAX);
             EXPECT_EQ(0u, Stored(store.Get(), key::NuvexMaxEnable));
         }});
    EXPECT_EQ(0u, Stored(store.Get(), key::NuvexMode));
}

TEST_F(NuvexDialogs, TheHeadphoneDialogWithoutAStoreKeepsWhatItShows) {
    Show(kHeadphones);
    OpenWithoutStore(kHeadphoneRow, L"Nuvex Surround Headphone", {[&](HWND w) {
                         EXPECT_EQ(IDC_NUVEX_SMALL, Room(w));
                         Click(w, IDC_NUVEX_LARGE);
                         Reload(w);
                         EXPECT_EQ(IDC_NUVEX_LARGE, Room(w));
                     }});
    EXPECT_EQ(0u, StoredCount(store.Get()));
}
