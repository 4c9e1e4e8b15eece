// The DTS dialogs opened from the effect list: "DTS Voice Clarity", "DTS Neo:PC" and
// "DTS Surround Sensation".
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "controlpanel/DialogIds.h"
#include "controlpanel/templates/DtsEffectIds.h"
#include "tests/controlpanel/SettingsDialogHarness.h"
#include "tests/support/Stores.h"

using namespace qx::test;
namespace key = qx::settings::key;

namespace {
constexpr DWORD kTicksOnTop = TBS_AUTOTICKS | TBS_TOP | WS_TABSTOP;
constexpr int kNeoMusicControls[] = {IDC_NEO_DIMENSION,       IDC_NEO_DIMENSION_CAPTION, IDC_NEO_DIMENSION_LABEL,
                                     IDC_NEO_CENTER_GAIN,     IDC_NEO_CENTER_CAPTION,    IDC_NEO_CENTER_LABEL};
constexpr int kSensationSpeakerControls[] = {IDC_SENSATION_EXPANSION, IDC_SENSATION_EXPANSION_LABEL,
                                             IDC_SENSATION_ANGLE, IDC_SENSATION_ANGLE_LABEL};

void ExpectNeoMusic(HWND w, bool music) {
    EXPECT_EQ(music, Checked(w, IDC_NEO_MUSIC));
    EXPECT_EQ(!music, Checked(w, IDC_NEO_CINEMA));
    for (int id : kNeoMusicControls) EXPECT_EQ(music, Enabled(w, id)) << id;
}
void ExpectSensationSpeaker(HWND w, bool speaker) {
    EXPECT_EQ(speaker, Checked(w, IDC_SENSATION_SPEAKER));
    EXPECT_EQ(!speaker, Checked(w, IDC_SENSATION_HEADPHONE));
    for (int id : kSensationSpeakerControls) EXPECT_EQ(speaker, Enabled(w, id)) << id;
    // Content type and the LFE box serve both modes.
    for (int id : {IDC_SENSATION_MOVIE, IDC_SENSATION_MUSIC, IDC_SENSATION_MIX_LFE}) EXPECT_TRUE(Enabled(w, id));
}

using DtsDialogs = SettingsDialogTest;
}  // namespace

TEST(DtsDialogTemplates, AreLaidOutAsDesigned) {
    ExpectTemplate(IDD_VOICE_CLARITY, L"DTS Voice Clarity", 186, 95,
                   {{IDOK, L"Button", L"OK", kOkButton, 129, 72, 50, 16},
                    {-1, L"Static", L"0.0                                                                      10.0",
                     kCentredText, 7, 27, 172, 8},
                    {IDC_CLARITY_LEVEL, L"msctls_trackbar32", L"", kTicksOnTop, 7, 36, 172, 22}});
    ExpectTemplate(
        IDD_NEO_PC, L"DTS Neo:PC", 237, 152,
        {{IDOK, L"Button", L"OK", kOkButton, 180, 129, 50, 16},
         {-1, L"Static", L"Decode Mode", kLeftText, 24, 32, 48, 8},
         {IDC_NEO_CINEMA, L"Button", L"Cinema", kRadio, 106, 32, 39, 10},
         {IDC_NEO_MUSIC, L"Button", L"Music", kRadio, 176, 32, 33, 10},
         {IDC_NEO_DIMENSION_CAPTION, L"Static", L"Dimension:", kLeftText, 24, 71, 44, 8},
         {IDC_NEO_CENTER_CAPTION, L"Static", L"Center Gain:", kLeftText, 24, 110, 42, 8},
         {IDC_NEO_DIMENSION, L"msctls_trackbar32", L"", kTicksOnTop, 68, 65, 162, 22},
         {IDC_NEO_DIMENSION_LABEL, L"Static", L"Rear                                                              Front",
          kCentredText, 72, 55, 158, 8},
         {IDC_NEO_CENTER_GAIN, L"msctls_trackbar32", L"", kTicksOnTop, 68, 102, 162, 22},
         {IDC_NEO_CENTER_LABEL, L"Static", L"Wide                                                          Narrow",
          kCentredText, 73, 92, 156, 8}});
    ExpectTemplate(
        IDD_SURROUND_SENSATION, L"DTS Surround Sensation", 243, 201,
        {{IDOK, L"Button", L"OK", kOkButton, 186, 178, 50, 16},
         {IDC_SENSATION_HEADPHONE, L"Button", L"Headphone Mode", kRadioGroupStart, 41, 20, 67, 10},
         {IDC_SENSATION_SPEAKER, L"Button", L"Speaker Mode", kRadio, 137, 20, 65, 10},
         {-1, L"Button", L"Content Type", kGroupBox, 7, 38, 229, 27},
         {IDC_SENSATION_MOVIE, L"Button", L"Movie", kRadioGroupStart, 60, 50, 35, 10},
         {IDC_SENSATION_MUSIC, L"Button", L"Music", kRadio, 150, 50, 33, 10},
         {-1, L"Button", L"Sound Stage Expansion Factor", kGroupBox, 7, 70, 229, 48},
         {-1, L"Button", L"Physical Speaker Angle", kGroupBox, 7, 123, 229, 44},
         {IDC_SENSATION_EXPANSION_LABEL, L"Static",
          L" 0                                                                                                  10",
          kCentredText, 11, 82, 221, 8},
         {IDC_SENSATION_EXPANSION, L"msctls_trackbar32", L"", kTicksOnTop, 11, 90, 221, 22},
         {IDC_SENSATION_ANGLE_LABEL, L"Static",
          L"   5                  10                15                 20                25                30",
          kLeftText, 12, 135, 219, 8},
         {IDC_SENSATION_ANGLE, L"msctls_trackbar32", L"", kTicksOnTop, 11, 142, 222, 20},
         {IDC_SENSATION_MIX_LFE, L"Button", L"Mix LFE Channel to Output", kCheckBox, 11, 177, 101, 10}});
}

TEST_F(DtsDialogs, VoiceClarityShowsLevelsUpToTen) {
    Show(kStereoSpeakers);
    PutUInt(store.Get(), key::VoiceClarityLevel, 11);
    Open(L"DTS Voice Clarity", L"DTS Voice Clarity", {[&](HWND w) {
             EXPECT_EQ(0, RangeMin(w, IDC_CLARITY_LEVEL));
             EXPECT_EQ(10, RangeMax(w, IDC_CLARITY_LEVEL));
             EXPECT_EQ(0, Pos(w, IDC_CLARITY_LEVEL));  // 11 leaves the thumb where it was
             PutUInt(store.Get(), key::VoiceClarityLevel, 10);
             Reload(w);
             EXPECT_EQ(10, Pos(w, IDC_CLARITY_LEVEL));
             for (uint32_t bad : {11u, 0xFFFFFFFFu, 0x10004u}) {
                 PutUInt(store.Get(), key::VoiceClarityLevel, bad);
                 Reload(w);
                 EXPECT_EQ(10, Pos(w, IDC_CLARITY_LEVEL)) << bad;
             }
             PutBool(store.Get(), key::VoiceClarityLevel, true);
             Reload(w);
             EXPECT_EQ(10, Pos(w, IDC_CLARITY_LEVEL));
             Scroll(w, WM_HSCROLL, IDC_CLARITY_LEVEL, TB_THUMBTRACK, 6);
             EXPECT_EQ(6u, Stored(store.Get(), key::VoiceClarityLevel));
             Scroll(w, WM_HSCROLL, IDC_CLARITY_LEVEL, TB_PAGEUP, 2);
             EXPECT_EQ(6u, Stored(store.Get(), key::VoiceClarityLevel));
         }});
}

TEST_F(DtsDialogs, NeoPcOpensInCinemaWithTheMusicControlsDisabled) {
    Show(kSurroundSpeakers);
    Open(L"DTS Neo:PC", L"DTS Neo:PC", {[&](HWND w) {
             ExpectNeoMusic(w, false);
             EXPECT_EQ(14, RangeMax(w, IDC_NEO_DIMENSION));
             EXPECT_EQ(10, RangeMax(w, IDC_NEO_CENTER_GAIN));
             EXPECT_EQ(7, Pos(w, IDC_NEO_DIMENSION));
             EXPECT_EQ(5, Pos(w, IDC_NEO_CENTER_GAIN));
         }});
    EXPECT_EQ(0u, StoredCount(store.Get()));
}

TEST_F(DtsDialogs, NeoPcLoadsModeAndBothTrackbars) {
    Show(kSurroundSpeakers);
    PutUInt(store.Get(), key::NeoPcDecodeMode, 3);  // any value above 0 is "Music"
    PutUInt(store.Get(), key::NeoPcDimension, 2);
    PutUInt(store.Get(), key::NeoPcCenterGain, 9);
    Open(L"DTS Neo:PC", L"DTS Neo:PC", {[&](HWND w) {
             ExpectNeoMusic(w, true);
             EXPECT_EQ(2, Pos(w, IDC_NEO_DIMENSION));
             EXPECT_EQ(9, Pos(w, IDC_NEO_CENTER_GAIN));
             // Values that do not count leave the controls; large ones are limited.
             PutBool(store.Get(), key::NeoPcDecodeMode, false);
             PutBool(store.Get(), key::NeoPcDimension, false);
             PutUInt(store.Get(), key::NeoPcCenterGain, 40);
             Reload(w);
             ExpectNeoMusic(w, true);
             EXPECT_EQ(2, Pos(w, IDC_NEO_DIMENSION));
             EXPECT_EQ(10, Pos(w, IDC_NEO_CENTER_GAIN));
             PutUInt(store.Get(), key::NeoPcDecodeMode, 0);
             Reload(w);
             ExpectNeoMusic(w, false);
         }});
}

TEST_F(DtsDialogs, NeoPcWritesModeAndTrackbars) {
    Show(kSurroundSpeakers);
    Open(L"DTS Neo:PC", L"DTS Neo:PC", {[&](HWND w) {
             Click(w, IDC_NEO_MUSIC);
             EXPECT_EQ(1u, Stored(store.Get(), key::NeoPcDecodeMode));
             ExpectNeoMusic(w, true);
             Scroll(w, WM_HSCROLL, IDC_NEO_DIMENSION, TB_THUMBTRACK, 14);
             EXPECT_EQ(14u, Stored(store.Get(), key::NeoPcDimension));
             Scroll(w, WM_HSCROLL, IDC_NEO_CENTER_GAIN, TB_THUMBPOSITION, 0);
             EXPECT_EQ(0u, Stored(store.Get(), key::NeoPcCenterGain));
             Scroll(w, WM_HSCROLL, IDC_NEO_CENTER_GAIN, TB_BOTTOM, 10);
             EXPECT_EQ(0u, Stored(store.Get(), key::NeoPcCenterGain));
             Click(w, IDC_NEO_CINEMA);
             EXPECT_EQ(0u, Stored(store.Get(), key::NeoPcDecodeMode));
             ExpectNeoMusic(w, false);
         }});
    EXPECT_EQ(3u, StoredCount(store.Get()));
}

TEST_F(DtsDialogs, SurroundSensationOpensInHeadphoneModeWithMovie) {
    Show(kStereoSpeakers);
    Open(L"DTS Surround Sensation", L"DTS Surround Sensation", {[&](HWND w) {
             ExpectSensationSpeaker(w, false);
             EXPECT_TRUE(Checked(w, IDC_SENSATION_MOVIE));
             EXPECT_FALSE(Checked(w, IDC_SENSATION_MUSIC));
             EXPECT_EQ(10, RangeMax(w, IDC_SENSATION_EXPANSION));
             EXPECT_EQ(5, RangeMax(w, IDC_SENSATION_ANGLE));
             EXPECT_EQ(0, Pos(w, IDC_SENSATION_EXPANSION));
             EXPECT_EQ(2, Pos(w, IDC_SENSATION_ANGLE));
             EXPECT_FALSE(Checked(w, IDC_SENSATION_MIX_LFE));
         }});
    EXPECT_EQ(0u, StoredCount(store.Get()));
}

TEST_F(DtsDialogs, SurroundSensationStartsEveryReloadFromItsStartState) {
    Show(kStereoSpeakers);
    PutUInt(store.Get(), key::SurroundSensationMode, 0);
    PutUInt(store.Get(), key::SurroundSensationContent, 2);
    PutUInt(store.Get(), key::SurroundSensationExpansion, 8);
    PutUInt(store.Get(), key::SurroundSensationSpeakerAngle, 5);
    PutUInt(store.Get(), key::SurroundSensationMixLfe, 1);
    Open(L"DTS Surround Sensation", L"DTS Surround Sensation", {[&](HWND w) {
             ExpectSensationSpeaker(w, true);
             EXPECT_TRUE(Checked(w, IDC_SENSATION_MUSIC));
             EXPECT_EQ(8, Pos(w, IDC_SENSATION_EXPANSION));
             EXPECT_EQ(5, Pos(w, IDC_SENSATION_ANGLE));
             EXPECT_TRUE(Checked(w, IDC_SENSATION_MIX_LFE));

             // Nothing that counts: modes and angle fall back, expansion and LFE stay.
             PutBool(store.Get(), key::SurroundSensationMode, false);
             PutBool(store.Get(), key::SurroundSensationContent, false);
             PutUInt(store.Get(), key::SurroundSensationExpansion, 11);
             PutUInt(store.Get(), key::SurroundSensationSpeakerAngle, 6);
             PutBool(store.Get(), key::SurroundSensationMixLfe, false);
             Reload(w);
             ExpectSensationSpeaker(w, false);
             EXPECT_TRUE(Checked(w, IDC_SENSATION_MOVIE));
             EXPECT_FALSE(Checked(w, IDC_SENSATION_MUSIC));
             EXPECT_EQ(8, Pos(w, IDC_SENSATION_EXPANSION));
             EXPECT_EQ(2, Pos(w, IDC_SENSATION_ANGLE));
             EXPECT_TRUE(Checked(w, IDC_SENSATION_MIX_LFE));

             PutUInt(store.Get(), key::SurroundSensationMode, 0);
             PutUInt(store.Get(), key::SurroundSensationSpeakerAngle, 0);
             PutUInt(store.Get(), key::SurroundSensationMixLfe, 0);
             Reload(w);
             ExpectSensationSpeaker(w, true);
             EXPECT_EQ(0, Pos(w, IDC_SENSATION_ANGLE));
             EXPECT_FALSE(Checked(w, IDC_SENSATION_MIX_LFE));
         }});
}

TEST_F(DtsDialogs, SurroundSensationWritesEveryControl) {
    Show(kStereoSpeakers);
    Open(L"DTS Surround Sensation", L"DTS Surround Sensation", {[&](HWND w) {
             Click(w, IDC_SENSATION_SPEAKER);
             EXPECT_EQ(0u, Stored(store.Get(), key::SurroundSensationMode));
             ExpectSensationSpeaker(w, true);
             Click(w, IDC_SENSATION_MUSIC);
             EXPECT_EQ(1u, Stored(store.Get(), key::SurroundSensationContent));
             Click(w, IDC_SENSATION_MOVIE);
             EXPECT_EQ(0u, Stored(store.Get(), key::SurroundSensationContent));
             Scroll(w, WM_HSCROLL, IDC_SENSATION_EXPANSION, TB_THUMBTRACK, 10);
             EXPECT_EQ(10u, Stored(store.Get(), key::SurroundSensationExpansion));
             Scroll(w, WM_HSCROLL, IDC_SENSATION_ANGLE, TB_THUMBPOSITION, 4);
             EXPECT_EQ(4u, Stored(store.Get(), key::SurroundSensationSpeakerAngle));
             Scroll(w, WM_HSCROLL, IDC_SENSATION_ANGLE, TB_LINEUP, 3);
             EXPECT_EQ(4u, Stored(store.Get(), key::SurroundSensationSpeakerAngle));
             Click(w, IDC_SENSATION_MIX_LFE);
             EXPECT_EQ(1u, Stored(store.Get(), key::SurroundSensationMixLfe));
             Click(w, IDC_SENSATION_HEADPHONE);
             EXPECT_EQ(1u, Stored(store.Get(), key::SurroundSensationMode));
             ExpectSensationSpeaker(w, false);
         }});
    EXPECT_EQ(5u, StoredCount(store.Get()));
}

TEST_F(DtsDialogs, SurroundSensationWithoutAStoreShowsItsStartStateOnEveryReload) {
    Show(kStereoSpeakers);
    OpenWithoutStore(L"DTS Surround Sensation", L"DTS Surround Sensation", {[&](HWND w) {
                         Click(w, IDC_SENSATION_SPEAKER);
                         Click(w, IDC_SENSATION_MUSIC);
                         SendDlgItemMessageW(w, IDC_SENSATION_ANGLE, TBM_SETPOS, TRUE, 5);
                         SendDlgItemMessageW(w, IDC_SENSATION_EXPANSION, TBM_SETPOS, TRUE, 6);
                         Reload(w);
                         ExpectSensationSpeaker(w, false);
                         EXPECT_TRUE(Checked(w, IDC_SENSATION_MOVIE));
                         EXPECT_EQ(2, Pos(w, IDC_SENSATION_ANGLE));
                         EXPECT_EQ(6, Pos(w, IDC_SENSATION_EXPANSION));
                     }});
    EXPECT_EQ(0u, StoredCount(store.Get()));
}
