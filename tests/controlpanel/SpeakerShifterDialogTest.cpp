// The "Virtual Speaker Shifter" dialog opened from the effect list: trackbars whose ids
// follow neither the rows nor the keys, signed angles, and a Reset that also works
// without a store.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "controlpanel/templates/SpeakerShifterIds.h"
#include "settings/PropertyStoreAccess.h"
#include "tests/controlpanel/DialogHarness.h"
#include "tests/controlpanel/SingleDialogTest.h"
#include "tests/support/Stores.h"

using namespace qx;
using namespace qx::test;
using namespace qx::settings;

namespace {
constexpr wchar_t kTitle[] = L"Virtual Speaker Shifter";

// Per row, top to bottom: the angle trackbar (0 for LFE), its default, the distance trackbar.
struct Row {
    int angle;
    int angleDefault;
    int distance;
};
constexpr Row kRows[] = {
    {IDC_SHIFTER_ANGLE_LF, -45, IDC_SHIFTER_DISTANCE_LF},  {IDC_SHIFTER_ANGLE_C, 0, IDC_SHIFTER_DISTANCE_C},
    {IDC_SHIFTER_ANGLE_RF, 45, IDC_SHIFTER_DISTANCE_RF},   {IDC_SHIFTER_ANGLE_RS, 90, IDC_SHIFTER_DISTANCE_RS},
    {IDC_SHIFTER_ANGLE_RB, 135, IDC_SHIFTER_DISTANCE_RB},  {IDC_SHIFTER_ANGLE_LB, -135, IDC_SHIFTER_DISTANCE_LB},
    {IDC_SHIFTER_ANGLE_LS, -90, IDC_SHIFTER_DISTANCE_LS},  {0, 0, IDC_SHIFTER_DISTANCE_LFE},
};

void ExpectDefaults(HWND d) {
    for (const Row& row : kRows) {
        if (row.angle) {
            EXPECT_EQ(row.angleDefault, Pos(d, row.angle)) << row.angle;
        }
        EXPECT_EQ(30, Pos(d, row.distance)) << row.distance;
    }
}

class SpeakerShifterDialog : public SingleDialogTest {
protected:
    SpeakerShifterDialog() : SingleDialogTest(L"Speaker Shifter", kTitle) {}
};
}  // namespace

TEST_F(SpeakerShifterDialog, OpensAtTheDefaultsInTheirRowsWithoutWriting) {
    EXPECT_EQ(S_OK, Open({[&](HWND d) {
        ExpectDefaults(d);
        for (int i = 0; i < 8; ++i) {
            const Row& row = kRows[i];
            const int y = 22 + 32 * i;
            if (row.angle) {
                EXPECT_TRUE(HasDialogUnits(d, row.angle, 29, y, 100, 25)) << i;
            }
            EXPECT_TRUE(HasDialogUnits(d, row.distance, 137, y, 100, 25)) << i;
            EXPECT_EQ(19, RangeMin(d, row.distance));
            EXPECT_EQ(50, RangeMax(d, row.distance));
        }
        EXPECT_EQ(-180, RangeMin(d, IDC_SHIFTER_ANGLE_LB));
        EXPECT_EQ(180, RangeMax(d, IDC_SHIFTER_ANGLE_LB));
        EXPECT_FALSE(Checked(d, IDC_SHIFTER_NUVEX_MAX));
        EXPECT_EQ(20, ControlCount(d));
    }}));
    EXPECT_EQ(0u, StoredCount(store.Get()));
}

TEST_F(SpeakerShifterDialog, ShowsStoredAnglesByTheirLow16BitsAndDistances) {
    PutUInt(store.Get(), key::SpeakerShifterAngle(5), 0xFFFFFF79);  // LB: -135
    PutUInt(store.Get(), key::SpeakerShifterAngle(0), 200);         // LF: beyond the end
    PutUInt(store.Get(), key::SpeakerShifterAngle(1), 0x0001000A);  // C: 10
    PutBool(store.Get(), key::SpeakerShifterAngle(2), true);        // RF: wrong type, stays
    PutUInt(store.Get(), key::SpeakerShifterDistance(1), 40);       // C
    PutUInt(store.Get(), key::SpeakerShifterDistance(7), 19);       // LFE
    PutUInt(store.Get(), key::NuvexMaxEnable, 5);
    Open({[&](HWND d) {
        EXPECT_EQ(-135, Pos(d, IDC_SHIFTER_ANGLE_LB));
        EXPECT_EQ(180, Pos(d, IDC_SHIFTER_ANGLE_LF));
        EXPECT_EQ(10, Pos(d, IDC_SHIFTER_ANGLE_C));
        EXPECT_EQ(45, Pos(d, IDC_SHIFTER_ANGLE_RF));
        EXPECT_EQ(40, Pos(d, IDC_SHIFTER_DISTANCE_C));
        EXPECT_EQ(30, Pos(d, IDC_SHIFTER_DISTANCE_RF));
        EXPECT_EQ(19, Pos(d, IDC_SHIFTER_DISTANCE_LFE));
        EXPECT_TRUE(Checked(d, IDC_SHIFTER_NUVEX_MAX));
    }});
}

TEST_F(SpeakerShifterDialog, EachTrackbarWritesItsOwnKeySignExtended) {
    Open({[&](HWND d) {
        Scroll(d, WM_HSCROLL, IDC_SHIFTER_DISTANCE_C, TB_THUMBTRACK, 44);
        EXPECT_EQ(44u, Stored(store.Get(), key::SpeakerShifterDistance(1)));  // pid 9
        Scroll(d, WM_HSCROLL, IDC_SHIFTER_DISTANCE_RF, TB_THUMBPOSITION, 21);
        EXPECT_EQ(21u, Stored(store.Get(), key::SpeakerShifterDistance(2)));  // pid 10
        Scroll(d, WM_HSCROLL, IDC_SHIFTER_ANGLE_RS, TB_THUMBTRACK, -45);
        EXPECT_EQ(0xFFFFFFD3u, Stored(store.Get(), key::SpeakerShifterAngle(3)));
        Scroll(d, WM_HSCROLL, IDC_SHIFTER_ANGLE_LS, TB_THUMBTRACK, -180);
        EXPECT_EQ(0xFFFFFF4Cu, Stored(store.Get(), key::SpeakerShifterAngle(6)));
        Scroll(d, WM_HSCROLL, IDC_SHIFTER_DISTANCE_LFE, TB_THUMBTRACK, 50);
        EXPECT_EQ(50u, Stored(store.Get(), key::SpeakerShifterDistance(7)));
        // The channel and the page keys move a thumb without storing it.
        PressKey(GetDlgItem(d, IDC_SHIFTER_ANGLE_LF), VK_NEXT);
        PressKey(GetDlgItem(d, IDC_SHIFTER_ANGLE_LF), VK_RIGHT);
        EXPECT_NE(-45, Pos(d, IDC_SHIFTER_ANGLE_LF));
        Scroll(d, WM_HSCROLL, IDC_SHIFTER_NUVEX_MAX, TB_THUMBTRACK, 3);
    }});
    EXPECT_EQ(5u, StoredCount(store.Get()));
}

TEST_F(SpeakerShifterDialog, NuvexMaxSwitchWritesItsEnableKeyAndChecksItsListRow) {
    Open({[&](HWND d) {
        Click(d, IDC_SHIFTER_NUVEX_MAX);
        EXPECT_EQ(1u, Stored(store.Get(), key::NuvexMaxEnable));
        harness.ReportChange(key::NuvexMaxEnable);
        EXPECT_TRUE(harness.Page().IsChecked(L"Nuvex Surround Max"));
        Click(d, IDC_SHIFTER_NUVEX_MAX);
        EXPECT_EQ(0u, Stored(store.Get(), key::NuvexMaxEnable));
    }});
}

TEST_F(SpeakerShifterDialog, ResetStoresDistancesAndAnglesButLeavesTheSwitch) {
    PutUInt(store.Get(), key::SpeakerShifterAngle(4), 10);
    PutUInt(store.Get(), key::SpeakerShifterDistance(7), 45);
    PutUInt(store.Get(), key::NuvexMaxEnable, 1);
    bool open = false;
    Open({
        [&](HWND d) {
            Scroll(d, WM_HSCROLL, IDC_SHIFTER_ANGLE_C, TB_THUMBTRACK, 77);
            PostMessageW(GetDlgItem(d, IDC_SHIFTER_ANGLE_C), WM_KEYDOWN, VK_ESCAPE, 0);
        },
        [&](HWND d) {
            open = IsWindow(d) != FALSE;
            ExpectDefaults(d);
            const int angles[] = {-45, 0, 45, 90, 135, -135, -90};
            for (uint32_t i = 0; i < 7; ++i)
                EXPECT_EQ(uint32_t(angles[i]), Stored(store.Get(), key::SpeakerShifterAngle(i))) << i;
            for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(30u, Stored(store.Get(), key::SpeakerShifterDistance(i)));
            EXPECT_EQ(1u, Stored(store.Get(), key::NuvexMaxEnable));
            EXPECT_TRUE(Checked(d, IDC_SHIFTER_NUVEX_MAX));
        },
    });
    EXPECT_TRUE(open);
}

TEST(SpeakerShifterDialogWithoutStore, ResetStillMovesTheThumbs) {
    EXPECT_EQ(S_OK, DialogHarness::OpenWithoutStore(L"Speaker Shifter", kTitle, {[&](HWND d) {
        for (const Row& row : kRows) SendDlgItemMessageW(d, row.distance, TBM_SETPOS, TRUE, 50);
        SendDlgItemMessageW(d, IDC_SHIFTER_ANGLE_RB, TBM_SETPOS, TRUE, -10);
        Click(d, IDCANCEL);
        ExpectDefaults(d);
    }}));
}
