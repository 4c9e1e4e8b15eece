// The Dolby dialogs opened from the effect list: "Dolby Surround" and "Dolby Pro Logic IIx".
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "controlpanel/DialogIds.h"
#include "controlpanel/templates/DolbyEffectIds.h"
#include "tests/controlpanel/SettingsDialogHarness.h"
#include "tests/support/Stores.h"

using namespace qx::test;
namespace key = qx::settings::key;

namespace {
constexpr DWORD kTicksOnTop = TBS_AUTOTICKS | TBS_TOP | WS_TABSTOP;
constexpr int kRoomFilters[] = {IDC_DOLBY_DH1, IDC_DOLBY_DH2, IDC_DOLBY_DH3};
constexpr int kSpeakerModes[] = {IDC_DOLBY_REFERENCE, IDC_DOLBY_WIDE};
constexpr int kMusicControls[] = {IDC_PROLOGIC_DIMENSION, IDC_PROLOGIC_DIMENSION_CAPTION, IDC_PROLOGIC_DIMENSION_LABEL,
                                  IDC_PROLOGIC_WIDTH,     IDC_PROLOGIC_WIDTH_CAPTION,     IDC_PROLOGIC_WIDTH_LABEL,
                                  IDC_PROLOGIC_PANORAMA};

void ExpectHeadphone(HWND w, bool headphone) {
    EXPECT_EQ(headphone, Checked(w, IDC_DOLBY_HEADPHONE));
    EXPECT_EQ(!headphone, Checked(w, IDC_DOLBY_VIRTUAL_SPEAKER));
    for (int id : kRoomFilters) EXPECT_EQ(headphone, Enabled(w, id)) << id;
    for (int id : kSpeakerModes) EXPECT_EQ(!headphone, Enabled(w, id)) << id;
}
// The checked button among `ids`, or 0 (-1 when several are).
template <size_t N>
int CheckedOf(HWND w, const int (&ids)[N]) {
    int checked = 0;
    for (int id : ids)
        if (Checked(w, id)) checked = checked ? -1 : id;
    return checked;
}
void ExpectMusic(HWND w, bool music) {
    EXPECT_EQ(music, Checked(w, IDC_PROLOGIC_MUSIC));
    EXPECT_EQ(!music, Checked(w, IDC_PROLOGIC_MOVIE));
    for (int id : kMusicControls) EXPECT_EQ(music, Enabled(w, id)) << id;
}

using DolbyDialogs = SettingsDialogTest;
}  // namespace

TEST(DolbyDialogTemplates, AreLaidOutAsDesigned) {
    ExpectTemplate(IDD_DOLBY_SURROUND, L"Dolby Surround", 234, 143,
                   {{IDOK, L"Button", L"OK", kOkButton, 177, 120, 50, 16},
                    {IDC_DOLBY_HEADPHONE, L"Button", L"Dolby Headphone", kRadioGroupStart, 26, 20, 73, 10},
                    {IDC_DOLBY_VIRTUAL_SPEAKER, L"Button", L"Dolby Virtual Speaker", kRadio, 130, 20, 80, 10},
                    {-1, L"Button", L"Dolby Headphone Room Filter", kGroupBox, 7, 38, 103, 72},
                    {-1, L"Button", L"Dolby Virtual Speaker Mode", kGroupBox, 124, 38, 103, 72},
                    {IDC_DOLBY_DH1, L"Button", L"DH1", kRadioGroupStart, 36, 54, 29, 10},
                    {IDC_DOLBY_DH2, L"Button", L"DH2", kRadio, 36, 69, 29, 10},
                    {IDC_DOLBY_DH3, L"Button", L"DH3", kRadio, 36, 84, 29, 10},
                    {IDC_DOLBY_REFERENCE, L"Button", L"Reference Mode", kRadioGroupStart, 143, 58, 69, 10},
                    {IDC_DOLBY_WIDE, L"Button", L"Wide Mode", kRadio, 143, 80, 51, 10}});
    ExpectTemplate(
        IDD_PRO_LOGIC, L"Dolby Pro Logic IIx", 234, 166,
        {{IDOK, L"Button", L"OK", kOkButton, 177, 143, 50, 16},
         {-1, L"Static", L"Decode Mode:", kLeftText, 17, 26, 50, 8},
         {IDC_PROLOGIC_MOVIE, L"Button", L"Movie", kRadio, 105, 26, 35, 10},
         {IDC_PROLOGIC_MUSIC, L"Button", L"Music", kRadio, 155, 26, 33, 10},
         {IDC_PROLOGIC_DIMENSION_CAPTION, L"Static", L"Dimension:", kLeftText, 17, 59, 36, 8},
         {IDC_PROLOGIC_DIMENSION_LABEL, L"Static",
          L"Rear                                                              Front", kCentredText, 66, 43, 161, 8},
         {IDC_PROLOGIC_DIMENSION, L"msctls_trackbar32", L"", kTicksOnTop, 61, 54, 166, 20},
         {IDC_PROLOGIC_WIDTH_CAPTION, L"Static", L"Center Width:", kLeftText, 17, 98, 46, 8},
         {IDC_PROLOGIC_WIDTH_LABEL, L"Static",
          L"Narrow                                                           Wide", kCentredText, 65, 80, 161, 8},
         {IDC_PROLOGIC_WIDTH, L"msctls_trackbar32", L"", kTicksOnTop, 60, 91, 166, 20},
         {IDC_PROLOGIC_PANORAMA, L"Button", L"Panorama", kCheckBox, 17, 131, 48, 10}});
}

TEST_F(DolbyDialogs, SurroundOpensWithHeadphoneDh1AndReferenceMode) {
    Show(kStereoSpeakers);
    Open(L"Dolby Surround", L"Dolby Surround", {[&](HWND w) {
             ExpectHeadphone(w, true);
             EXPECT_EQ(IDC_DOLBY_DH1, CheckedOf(w, kRoomFilters));
             EXPECT_EQ(IDC_DOLBY_REFERENCE, CheckedOf(w, kSpeakerModes));
         }});
    EXPECT_EQ(0u, StoredCount(store.Get()));
}

TEST_F(DolbyDialogs, SurroundLoadsTheChoicesItKnows) {
    Show(kStereoSpeakers);
    PutUInt(store.Get(), key::DolbySurroundMode, 0);
    PutUInt(store.Get(), key::DolbyVirtualSpeakerMode, 1);
    PutUInt(store.Get(), key::DolbyHeadphoneRoom, 5);
    Open(L"Dolby Surround", L"Dolby Surround", {[&](HWND w) {
             ExpectHeadphone(w, false);
             EXPECT_EQ(IDC_DOLBY_WIDE, CheckedOf(w, kSpeakerModes));
             EXPECT_EQ(IDC_DOLBY_DH1, CheckedOf(w, kRoomFilters));  // disabled, still the start state

             PutUInt(store.Get(), key::DolbySurroundMode, 2);  // any value above 0 is Dolby Headphone
             PutUInt(store.Get(), key::DolbyHeadphoneRoom, 2);
             PutUInt(store.Get(), key::DolbyVirtualSpeakerMode, 2);
             Reload(w);
             ExpectHeadphone(w, true);
             EXPECT_EQ(IDC_DOLBY_DH3, CheckedOf(w, kRoomFilters));
             EXPECT_EQ(IDC_DOLBY_WIDE, CheckedOf(w, kSpeakerModes));

             // Values that do not count leave every group as it is.
             PutBool(store.Get(), key::DolbySurroundMode, false);
             PutBool(store.Get(), key::DolbyHeadphoneRoom, false);
             PutUInt(store.Get(), key::DolbyVirtualSpeakerMode, 0xFFFFFFFF);
             Reload(w);
             ExpectHeadphone(w, true);
             EXPECT_EQ(IDC_DOLBY_DH3, CheckedOf(w, kRoomFilters));
             EXPECT_EQ(IDC_DOLBY_WIDE, CheckedOf(w, kSpeakerModes));
         }});
}

TEST_F(DolbyDialogs, SurroundWritesEveryChoice) {
    Show(kStereoSpeakers);
    Open(L"Dolby Surround", L"Dolby Surround", {[&](HWND w) {
             Click(w, IDC_DOLBY_VIRTUAL_SPEAKER);
             EXPECT_EQ(0u, Stored(store.Get(), key::DolbySurroundMode));
             ExpectHeadphone(w, false);
             Click(w, IDC_DOLBY_WIDE);
             EXPECT_EQ(1u, Stored(store.Get(), key::DolbyVirtualSpeakerMode));
             Click(w, IDC_DOLBY_REFERENCE);
             EXPECT_EQ(0u, Stored(store.Get(), key::DolbyVirtualSpeakerMode));
             Click(w, IDC_DOLBY_HEADPHONE);
             EXPECT_EQ(1u, Stored(store.Get(), key::DolbySurroundMode));
             ExpectHeadphone(w, true);
             for (uint32_t i : {2u, 1u, 0u}) {
                 Click(w, kRoomFilters[i]);
                 EXPECT_EQ(i, Stored(store.Get(), key::DolbyHeadphoneRoom));
             }
         }});
    EXPECT_EQ(3u, StoredCount(store.Get()));
}

TEST_F(DolbyDialogs, ProLogicOpensInMovieWithTheMusicControlsDisabled) {
    Show(kSurroundSpeakers);
    Open(L"Dolby Pro Logic IIx", L"Dolby Pro Logic IIx", {[&](HWND w) {
             ExpectMusic(w, false);
             EXPECT_EQ(14, RangeMax(w, IDC_PROLOGIC_DIMENSION));
             EXPECT_EQ(7, RangeMax(w, IDC_PROLOGIC_WIDTH));
             EXPECT_EQ(7, Pos(w, IDC_PROLOGIC_DIMENSION));
             EXPECT_EQ(0, Pos(w, IDC_PROLOGIC_WIDTH));  // a width that does not count shows 0
             EXPECT_FALSE(Checked(w, IDC_PROLOGIC_PANORAMA));
         }});
    EXPECT_EQ(0u, StoredCount(store.Get()));
}

TEST_F(DolbyDialogs, ProLogicWithoutAStoreShowsTheStartWidth) {
    Show(kSurroundSpeakers);
    OpenWithoutStore(L"Dolby Pro Logic IIx", L"Dolby Pro Logic IIx", {[&](HWND w) {
                         ExpectMusic(w, false);
                         EXPECT_EQ(3, Pos(w, IDC_PROLOGIC_WIDTH));
                         Click(w, IDC_PROLOGIC_MUSIC);
                         Scroll(w, WM_HSCROLL, IDC_PROLOGIC_WIDTH, TB_THUMBTRACK, 6);
                         Click(w, IDC_PROLOGIC_PANORAMA);
                         Reload(w);
                         ExpectMusic(w, true);
                     }});
    EXPECT_EQ(0u, StoredCount(store.Get()));
}

TEST_F(DolbyDialogs, ProLogicLoadsModeTrackbarsAndPanorama) {
    Show(kSurroundSpeakers);
    PutUInt(store.Get(), key::ProLogicDecodeMode, 1);
    PutUInt(store.Get(), key::ProLogicDimension, 12);
    PutUInt(store.Get(), key::ProLogicCenterWidth, 5);
    PutUInt(store.Get(), key::ProLogicPanorama, 3);
    Open(L"Dolby Pro Logic IIx", L"Dolby Pro Logic IIx", {[&](HWND w) {
             ExpectMusic(w, true);
             EXPECT_EQ(12, Pos(w, IDC_PROLOGIC_DIMENSION));
             EXPECT_EQ(5, Pos(w, IDC_PROLOGIC_WIDTH));
             EXPECT_TRUE(Checked(w, IDC_PROLOGIC_PANORAMA));

             // The dimension keeps its position, the width goes to 0, "Panorama" stays.
             PutBool(store.Get(), key::ProLogicDimension, false);
             PutBool(store.Get(), key::ProLogicCenterWidth, false);
             PutBool(store.Get(), key::ProLogicPanorama, false);
             PutUInt(store.Get(), key::ProLogicDecodeMode, 0);
             Reload(w);
             ExpectMusic(w, false);  // "Panorama" disabled though checked
             EXPECT_TRUE(Checked(w, IDC_PROLOGIC_PANORAMA));
             EXPECT_EQ(12, Pos(w, IDC_PROLOGIC_DIMENSION));
             EXPECT_EQ(0, Pos(w, IDC_PROLOGIC_WIDTH));

             PutUInt(store.Get(), key::ProLogicCenterWidth, 99);  // limited by the trackbar
             PutUInt(store.Get(), key::ProLogicPanorama, 0);
             Reload(w);
             EXPECT_EQ(7, Pos(w, IDC_PROLOGIC_WIDTH));
             EXPECT_FALSE(Checked(w, IDC_PROLOGIC_PANORAMA));
         }});
}

TEST_F(DolbyDialogs, ProLogicWritesEveryControl) {
    Show(kSurroundSpeakers);
    Open(L"Dolby Pro Logic IIx", L"Dolby Pro Logic IIx", {[&](HWND w) {
             Click(w, IDC_PROLOGIC_MUSIC);
             EXPECT_EQ(1u, Stored(store.Get(), key::ProLogicDecodeMode));
             ExpectMusic(w, true);
             Scroll(w, WM_HSCROLL, IDC_PROLOGIC_DIMENSION, TB_THUMBTRACK, 0);
             EXPECT_EQ(0u, Stored(store.Get(), key::ProLogicDimension));
             Scroll(w, WM_HSCROLL, IDC_PROLOGIC_WIDTH, TB_THUMBPOSITION, 7);
             EXPECT_EQ(7u, Stored(store.Get(), key::ProLogicCenterWidth));
             Scroll(w, WM_HSCROLL, IDC_PROLOGIC_WIDTH, TB_PAGEDOWN, 3);
             EXPECT_EQ(7u, Stored(store.Get(), key::ProLogicCenterWidth));
             Click(w, IDC_PROLOGIC_PANORAMA);
             EXPECT_EQ(1u, Stored(store.Get(), key::ProLogicPanorama));
             Click(w, IDC_PROLOGIC_MOVIE);  // the same id is "Wide Mode" in Dolby Surround
             EXPECT_EQ(0u, Stored(store.Get(), key::ProLogicDecodeMode));
             ExpectMusic(w, false);
         }});
    EXPECT_EQ(4u, StoredCount(store.Get()));
    EXPECT_TRUE(IsEmpty(store.Get(), key::DolbyVirtualSpeakerMode));
}
