// The ten-band "Equalizer" dialog opened from the effect list and used as a person would.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "controlpanel/templates/EqualizerIds.h"
#include "settings/PropertyStoreAccess.h"
#include "tests/controlpanel/DialogHarness.h"
#include "tests/controlpanel/SingleDialogTest.h"
#include "tests/support/Stores.h"

using namespace qx;
using namespace qx::test;
using namespace qx::settings;

namespace {
constexpr wchar_t kTitle[] = L"Equalizer";
constexpr int kFirst = IDC_EQ_BAND_FIRST;
KeyId Band(int i) { return key::EqualizerBand(uint32_t(i + 1)); }

class EqualizerDialog : public SingleDialogTest {
protected:
    EqualizerDialog() : SingleDialogTest(L"Equalizer", kTitle) {}
};
}  // namespace

TEST_F(EqualizerDialog, OpensAtZeroDecibelsAndWritesNothingUntilUsed) {
    EXPECT_EQ(S_OK, Open({[&](HWND d) {
        EXPECT_EQ(L"Close", Text(d, IDOK));
        EXPECT_EQ(L"Reset", Text(d, IDCANCEL));
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(0, Pos(d, kFirst + i)) << i;
            EXPECT_EQ(-20, RangeMin(d, kFirst + i));
            EXPECT_EQ(20, RangeMax(d, kFirst + i));
            EXPECT_TRUE(GetWindowLongW(GetDlgItem(d, kFirst + i), GWL_STYLE) & TBS_VERT);
            EXPECT_TRUE(HasDialogUnits(d, kFirst + i, 31 + 26 * i, 7, 20, 115)) << i;
        }
        EXPECT_TRUE(HasDialogUnits(d, IDOK, 242, 140, 50, 16));
        EXPECT_EQ(14, ControlCount(d));
    }}));
    EXPECT_EQ(0u, StoredCount(store.Get()));
}

TEST_F(EqualizerDialog, ShowsStoredGainsNegatedOnItsVerticalTrackbars) {
    PutUInt(store.Get(), Band(0), 0xFFFFFFFB);  // -5 dB: below the middle
    PutUInt(store.Get(), Band(1), 7);           // +7 dB: above it
    PutUInt(store.Get(), Band(2), 25);          // beyond +20: the trackbar stops at its top
    PutUInt(store.Get(), Band(3), 0x0001FFFE);  // only the low 16 bits count: -2 dB
    PutBool(store.Get(), Band(4), true);        // wrong type: 0 dB
    PutUInt(store.Get(), Band(9), 20);
    Open({
        [&](HWND d) {
            EXPECT_EQ(5, Pos(d, kFirst + 0));
            EXPECT_EQ(-7, Pos(d, kFirst + 1));
            EXPECT_EQ(-20, Pos(d, kFirst + 2));
            EXPECT_EQ(2, Pos(d, kFirst + 3));
            EXPECT_EQ(0, Pos(d, kFirst + 4));
            EXPECT_EQ(-20, Pos(d, kFirst + 9));
            // Another program changes band 1 and spoils band 10.
            PutUInt(store.Get(), Band(0), 3);
            PutBlob(store.Get(), Band(9), "\x01\x02\x03\x04", 4);
            harness.ReportChange(Band(0));
        },
        [&](HWND d) {
            EXPECT_EQ(-3, Pos(d, kFirst + 0));
            EXPECT_EQ(0, Pos(d, kFirst + 9));  // a band that no longer reads goes back to 0 dB
        },
    });
}

TEST_F(EqualizerDialog, DraggingAndArrowKeysStoreTheGainPageKeysDoNot) {
    Open({[&](HWND d) {
        Scroll(d, WM_VSCROLL, kFirst, TB_THUMBTRACK, -20);  // the top
        EXPECT_EQ(20u, Stored(store.Get(), Band(0)));
        Scroll(d, WM_VSCROLL, kFirst + 9, TB_THUMBPOSITION, 5);
        EXPECT_EQ(0xFFFFFFFBu, Stored(store.Get(), Band(9)));  // -5, sign-extended

        const HWND band5 = GetDlgItem(d, kFirst + 4);
        SendMessageW(band5, TBM_SETPOS, TRUE, 3);
        PressKey(band5, VK_DOWN);
        EXPECT_EQ(4, Pos(d, kFirst + 4));
        EXPECT_EQ(0xFFFFFFFCu, Stored(store.Get(), Band(4)));
        PressKey(band5, VK_UP);
        EXPECT_EQ(0xFFFFFFFDu, Stored(store.Get(), Band(4)));
        PressKey(band5, VK_NEXT);  // moves the thumb, stores nothing
        EXPECT_GT(Pos(d, kFirst + 4), 3);
        EXPECT_EQ(0xFFFFFFFDu, Stored(store.Get(), Band(4)));
        for (int code : {TB_PAGEUP, TB_PAGEDOWN, TB_TOP, TB_BOTTOM, TB_ENDTRACK})
            Scroll(d, WM_VSCROLL, kFirst + 1, code, 9);
        // Scrolls of a window that is no band write nothing.
        Scroll(d, WM_VSCROLL, IDOK, TB_THUMBTRACK, 9);
        SendMessageW(d, WM_VSCROLL, MAKEWPARAM(TB_THUMBTRACK, 9), 0);
    }});
    EXPECT_EQ(3u, StoredCount(store.Get()));
}

TEST_F(EqualizerDialog, ResetEscAndTheCloseBoxPutEveryBandAtZeroAndKeepItOpen) {
    for (int i = 0; i < 10; ++i) PutUInt(store.Get(), Band(i), uint32_t(i + 1));
    bool open = false;
    Open({
        [&](HWND d) {
            Click(d, IDCANCEL);
            for (int i = 0; i < 10; ++i) {
                uint32_t v = 99;
                EXPECT_TRUE(GetUInt(store.Get(), Band(i), v));
                EXPECT_EQ(0u, v);
                EXPECT_EQ(0, Pos(d, kFirst + i));
            }
            PutUInt(store.Get(), Band(3), 8);
            PostMessageW(GetDlgItem(d, kFirst), WM_KEYDOWN, VK_ESCAPE, 0);
        },
        [&](HWND d) {
            EXPECT_EQ(0u, Stored(store.Get(), Band(3)));
            PutUInt(store.Get(), Band(3), 8);
            PostMessageW(d, WM_CLOSE, 0, 0);
        },
        [&](HWND d) {
            EXPECT_EQ(0u, Stored(store.Get(), Band(3)));
            open = IsWindow(d) != FALSE;
        },
    });
    EXPECT_TRUE(open);
}

TEST(EqualizerDialogWithoutStore, OpensMovesAndResetsWithoutWriting) {
    EXPECT_EQ(S_OK, DialogHarness::OpenWithoutStore(L"Equalizer", kTitle, {[&](HWND d) {
        Scroll(d, WM_VSCROLL, kFirst, TB_THUMBTRACK, -20);
        SendDlgItemMessageW(d, kFirst, TBM_SETPOS, TRUE, -9);
        Click(d, IDCANCEL);
        SendMessageW(d, RefreshMessage(), 0, 0);
        EXPECT_EQ(-9, Pos(d, kFirst));  // nothing reloads without a store
    }}));
}
