// The voice effect dialogs opened from the effect list: "Key Shifting", "Vocal Fading",
// "Microphone Echo", "Magic Voice" and "Vocal Remover".
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "controlpanel/DialogIds.h"
#include "controlpanel/templates/VoiceEffectIds.h"
#include "tests/controlpanel/SettingsDialogHarness.h"
#include "tests/support/Stores.h"

using namespace qx::test;
namespace key = qx::settings::key;

namespace {
constexpr DWORD kAutoTicksBoth = TBS_AUTOTICKS | TBS_BOTH | WS_TABSTOP;

// The three dialogs that are one trackbar each.
struct SingleTrackbar {
    const wchar_t* row;
    const wchar_t* title;
    EndpointSetup endpoint;
    int id;
    qx::settings::KeyId key;
    int min, max;
};
const SingleTrackbar kSingleTrackbars[] = {
    {L"Key Shifting", L"Key Shifting", kStereoSpeakers, IDC_KEY_SHIFT, key::KeyShift, -4, 4},
    {L"Vocal Fading", L"Vocal Fading", kStereoSpeakers, IDC_VOCAL_FADING, key::VocalFadingAmount, 0, 100},
    {L"Echo", L"Microphone Echo", kMicrophone, IDC_MIC_ECHO, key::MicEchoAmount, -12, 12},
};

using VoiceDialogs = SettingsDialogTest;
}  // namespace

TEST(VoiceDialogTemplates, AreLaidOutAsDesigned) {
    ExpectTemplate(IDD_KEY_SHIFTING, L"Key Shifting", 190, 81,
                   {{IDOK, L"Button", L"OK", kOkButton, 133, 58, 50, 16},
                    {-1, L"Static", L"Low                                                                       High",
                     kLeftText, 11, 17, 172, 22},
                    {IDC_KEY_SHIFT, L"msctls_trackbar32", L"", kAutoTicksBoth, 7, 29, 176, 22}});
    ExpectTemplate(IDD_VOCAL_FADING, L"Vocal Fading", 186, 95,
                   {{IDOK, L"Button", L"OK", kOkButton, 129, 72, 50, 16},
                    {-1, L"Static", L"Voice                                                              No Voice",
                     kCentredText, 7, 19, 172, 8},
                    {IDC_VOCAL_FADING, L"msctls_trackbar32", L"", TBS_BOTH | WS_TABSTOP, 7, 37, 172, 22}});
    ExpectTemplate(IDD_MICROPHONE_ECHO, L"Microphone Echo", 186, 95,
                   {{IDOK, L"Button", L"OK", kOkButton, 129, 72, 50, 16},
                    {-1, L"Static", L"Low                                                                       High",
                     kCentredText, 7, 21, 172, 8},
                    {IDC_MIC_ECHO, L"msctls_trackbar32", L"", kAutoTicksBoth, 7, 32, 172, 25}});
    ExpectTemplate(IDD_MAGIC_VOICE, L"Magic Voice", 186, 70,
                   {{IDOK, L"Button", L"OK", kOkButton, 129, 47, 50, 16},
                    {IDC_MAGIC_MONSTER, L"Button", L"Monster", kRadio, 7, 22, 42, 10},
                    {IDC_MAGIC_CARTOON, L"Button", L"Cartoon", kRadio, 55, 22, 42, 10},
                    {IDC_MAGIC_MALE, L"Button", L"Male", kRadio, 103, 22, 31, 10},
                    {IDC_MAGIC_FEMALE, L"Button", L"Female", kRadio, 140, 22, 39, 10}});
    ExpectTemplate(
        IDD_VOCAL_REMOVER, L"Vocal Remover", 252, 94,
        {{IDOK, L"Button", L"OK", kOkButton, 195, 71, 50, 16},
         {IDC_REMOVER_AMOUNT, L"msctls_trackbar32", L"", TBS_TOP | WS_TABSTOP, 7, 45, 238, 21},
         {-1, L"Static",
          L"-48                                                    0                                                     48",
          kCentredText, 7, 37, 238, 8},
         {IDC_REMOVER_MALE, L"Button", L"Male Voice", kRadio, 7, 17, 49, 10},
         {IDC_REMOVER_FEMALE, L"Button", L"Female Voice", kRadio, 70, 17, 57, 10},
         {IDC_REMOVER_BASS, L"Button", L"Bass", kRadio, 141, 17, 31, 10},
         {IDC_REMOVER_FULL, L"Button", L"Full Spectrum", kRadio, 186, 17, 59, 10},
         {IDCANCEL, L"Button", L"Reset", BS_DEFPUSHBUTTON | WS_TABSTOP, 139, 71, 50, 16}});
}

TEST_F(VoiceDialogs, SingleTrackbarsShowTheSignedLow16BitsAndZeroForAnythingElse) {
    for (const SingleTrackbar& d : kSingleTrackbars) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(d.title)));
        Show(d.endpoint);
        Open(d.row, d.title,
             {
                 [&](HWND w) {
                     EXPECT_EQ(d.min, RangeMin(w, d.id));
                     EXPECT_EQ(d.max, RangeMax(w, d.id));
                     EXPECT_EQ(0, Pos(w, d.id));
                     EXPECT_EQ(0u, StoredCount(store.Get()));
                     PutUInt(store.Get(), d.key, 0xFFFFFFFE);  // -2, clamped to 0 by Vocal Fading
                     Reload(w);
                     EXPECT_EQ(d.min < 0 ? -2 : 0, Pos(w, d.id));
                     PutUInt(store.Get(), d.key, 0x70003);  // only the low 16 bits count
                     Reload(w);
                     EXPECT_EQ(3, Pos(w, d.id));
                     PutBool(store.Get(), d.key, true);  // a wrong type shows 0
                     Reload(w);
                     EXPECT_EQ(0, Pos(w, d.id));
                     PutUInt(store.Get(), d.key, 1000);  // the trackbar limits the position
                     Reload(w);
                     EXPECT_EQ(d.max, Pos(w, d.id));
                 },
             });
        store = NewMemoryStore();
    }
}

TEST_F(VoiceDialogs, SingleTrackbarsWriteTheThumbSignExtended) {
    for (const SingleTrackbar& d : kSingleTrackbars) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(d.title)));
        Show(d.endpoint);
        Open(d.row, d.title, {[&](HWND w) {
                 Scroll(w, WM_HSCROLL, d.id, TB_THUMBTRACK, d.min);
                 EXPECT_EQ(uint32_t(int32_t(d.min)), Stored(store.Get(), d.key));
                 Scroll(w, WM_HSCROLL, d.id, TB_THUMBPOSITION, d.max);
                 EXPECT_EQ(uint32_t(d.max), Stored(store.Get(), d.key));
                 for (int code : {TB_LINEDOWN, TB_LINEUP, TB_PAGEDOWN, TB_PAGEUP, TB_TOP, TB_BOTTOM, TB_ENDTRACK})
                     Scroll(w, WM_HSCROLL, d.id, code, 1);
                 EXPECT_EQ(uint32_t(d.max), Stored(store.Get(), d.key));
                 EXPECT_EQ(1u, StoredCount(store.Get()));
             }});
        store = NewMemoryStore();
    }
}

TEST_F(VoiceDialogs, MicrophoneEchoAtTheLeftEndStoresMinusTwelve) {
    Show(kMicrophone);
    PutUInt(store.Get(), key::MicEchoAmount, 5);
    Open(L"Echo", L"Microphone Echo", {[&](HWND w) {
             EXPECT_EQ(5, Pos(w, IDC_MIC_ECHO));
             Scroll(w, WM_HSCROLL, IDC_MIC_ECHO, TB_THUMBTRACK, -12);
         }});
    EXPECT_EQ(0xFFFFFFF4u, Stored(store.Get(), key::MicEchoAmount));
}

TEST_F(VoiceDialogs, SingleTrackbarsWithoutAStoreShowZeroAndWriteNothing) {
    Show(kStereoSpeakers);
    OpenWithoutStore(L"Key Shifting", L"Key Shifting", {[&](HWND w) {
                         EXPECT_EQ(0, Pos(w, IDC_KEY_SHIFT));
                         Scroll(w, WM_HSCROLL, IDC_KEY_SHIFT, TB_THUMBTRACK, 3);
                         Reload(w);
                         EXPECT_EQ(0, Pos(w, IDC_KEY_SHIFT));
                     }});
    EXPECT_EQ(0u, StoredCount(store.Get()));
}

TEST_F(VoiceDialogs, MagicVoiceAlwaysChecksOneVoice) {
    Show(kMicrophone);
    PutUInt(store.Get(), key::MagicVoiceType, 7);
    const int voices[] = {IDC_MAGIC_MONSTER, IDC_MAGIC_CARTOON, IDC_MAGIC_MALE, IDC_MAGIC_FEMALE};
    Open(L"Magic Voice", L"Magic Voice", {[&](HWND w) {
             EXPECT_TRUE(Checked(w, IDC_MAGIC_MONSTER));
             EXPECT_EQ(7u, Stored(store.Get(), key::MagicVoiceType));  // nothing written until a click
             for (uint32_t v = 0; v < 4; ++v) {
                 PutUInt(store.Get(), key::MagicVoiceType, v);
                 Reload(w);
                 for (int i = 0; i < 4; ++i) EXPECT_EQ(uint32_t(i) == v, Checked(w, voices[i])) << v;
             }
             PutBool(store.Get(), key::MagicVoiceType, true);
             Reload(w);
             EXPECT_TRUE(Checked(w, IDC_MAGIC_MONSTER));
             EXPECT_FALSE(Checked(w, IDC_MAGIC_FEMALE));
             for (int i = 3; i >= 0; --i) {
                 Click(w, voices[i]);
                 EXPECT_EQ(uint32_t(i), Stored(store.Get(), key::MagicVoiceType));
             }
         }});
}

TEST_F(VoiceDialogs, MagicVoiceWithoutAStoreShowsMonster) {
    Show(kMicrophone);
    OpenWithoutStore(L"Magic Voice", L"Magic Voice", {[&](HWND w) {
                         EXPECT_TRUE(Checked(w, IDC_MAGIC_MONSTER));
                         Click(w, IDC_MAGIC_MALE);
                     }});
    EXPECT_EQ(0u, StoredCount(store.Get()));
}

TEST_F(VoiceDialogs, VocalRemoverLoadsAmountAndBand) {
    Show(kStereoSpeakers);
    Open(L"Vocal Remover", L"Vocal Remover", {[&](HWND w) {
             EXPECT_EQ(-48, RangeMin(w, IDC_REMOVER_AMOUNT));
             EXPECT_EQ(48, RangeMax(w, IDC_REMOVER_AMOUNT));
             EXPECT_EQ(0, Pos(w, IDC_REMOVER_AMOUNT));
             EXPECT_TRUE(Checked(w, IDC_REMOVER_MALE));
             EXPECT_EQ(0u, StoredCount(store.Get()));
             PutUInt(store.Get(), key::VocalRemoverAmount, 0xFFFFFFE0);  // -32
             PutUInt(store.Get(), key::VocalRemoverBand, 3);
             Reload(w);
             EXPECT_EQ(-32, Pos(w, IDC_REMOVER_AMOUNT));
             EXPECT_TRUE(Checked(w, IDC_REMOVER_FULL));
             // Every reload starts again from 0 and "Male Voice".
             PutBool(store.Get(), key::VocalRemoverAmount, true);
             PutUInt(store.Get(), key::VocalRemoverBand, 9);
             Reload(w);
             EXPECT_EQ(0, Pos(w, IDC_REMOVER_AMOUNT));
             EXPECT_TRUE(Checked(w, IDC_REMOVER_MALE));
             EXPECT_FALSE(Checked(w, IDC_REMOVER_FULL));
         }});
}

TEST_F(VoiceDialogs, VocalRemoverWritesAmountAndBand) {
    Show(kStereoSpeakers);
    Open(L"Vocal Remover", L"Vocal Remover", {[&](HWND w) {
             Scroll(w, WM_HSCROLL, IDC_REMOVER_AMOUNT, TB_THUMBTRACK, -48);
             EXPECT_EQ(0xFFFFFFD0u, Stored(store.Get(), key::VocalRemoverAmount));
             Scroll(w, WM_HSCROLL, IDC_REMOVER_AMOUNT, TB_THUMBPOSITION, 17);
             EXPECT_EQ(17u, Stored(store.Get(), key::VocalRemoverAmount));
             Scroll(w, WM_HSCROLL, IDC_REMOVER_AMOUNT, TB_PAGEUP, 40);
             EXPECT_EQ(17u, Stored(store.Get(), key::VocalRemoverAmount));
             const int bands[] = {IDC_REMOVER_MALE, IDC_REMOVER_FEMALE, IDC_REMOVER_BASS, IDC_REMOVER_FULL};
             for (int i : {1, 3, 2, 0}) {
                 Click(w, bands[i]);
                 EXPECT_EQ(uint32_t(i), Stored(store.Get(), key::VocalRemoverBand));
             }
         }});
}

TEST_F(VoiceDialogs, VocalRemoverResetZeroesOnlyTheAmountAndStaysOpen) {
    Show(kStereoSpeakers);
    PutUInt(store.Get(), key::VocalRemoverAmount, 30);
    PutUInt(store.Get(), key::VocalRemoverBand, 2);
    bool stillOpen = false;
    Open(L"Vocal Remover", L"Vocal Remover",
         {
             [&](HWND w) {
                 EXPECT_EQ(30, Pos(w, IDC_REMOVER_AMOUNT));
                 EXPECT_TRUE(Checked(w, IDC_REMOVER_BASS));
                 PressEscAndClose(w);  // Esc resets, and so does the close box
             },
             [&](HWND w) {
                 EXPECT_EQ(0u, Stored(store.Get(), key::VocalRemoverAmount));
                 EXPECT_EQ(2u, Stored(store.Get(), key::VocalRemoverBand));
                 EXPECT_EQ(0, Pos(w, IDC_REMOVER_AMOUNT));
                 EXPECT_TRUE(Checked(w, IDC_REMOVER_BASS));
                 Scroll(w, WM_HSCROLL, IDC_REMOVER_AMOUNT, TB_THUMBTRACK, -5);
                 Click(w, IDCANCEL);  // the "Reset" button
                 EXPECT_EQ(0u, Stored(store.Get(), key::VocalRemoverAmount));
                 EXPECT_EQ(0, Pos(w, IDC_REMOVER_AMOUNT));
                 stillOpen = IsWindowVisible(w) != FALSE;
             },
         });
    EXPECT_TRUE(stillOpen);
}

TEST_F(VoiceDialogs, VocalRemoverResetWithoutAStoreDoesNothing) {
    Show(kStereoSpeakers);
    OpenWithoutStore(L"Vocal Remover", L"Vocal Remover", {[&](HWND w) {
                         SendDlgItemMessageW(w, IDC_REMOVER_AMOUNT, TBM_SETPOS, TRUE, 12);
                         Click(w, IDCANCEL);
                         EXPECT_EQ(12, Pos(w, IDC_REMOVER_AMOUNT));
                         EXPECT_TRUE(IsWindowVisible(w));
                     }});
    EXPECT_EQ(0u, StoredCount(store.Get()));
}
