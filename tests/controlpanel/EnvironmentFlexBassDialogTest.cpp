// The "Environment" and "Flex Bass" dialogs opened from the effect list and used as a
// person would: the preset list and room size, the labelled trackbars and the speaker mask.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "controlpanel/templates/EnvironmentIds.h"
#include "controlpanel/templates/FlexBassIds.h"
#include "settings/PropertyStoreAccess.h"
#include "tests/controlpanel/DialogHarness.h"
#include "tests/controlpanel/SingleDialogTest.h"
#include "tests/support/Stores.h"

using namespace qx;
using namespace qx::test;
using namespace qx::settings;

namespace {
int Selected(HWND d) { return int(SendDlgItemMessageW(d, IDC_ENV_PRESETS, LB_GETCURSEL, 0, 0)); }
std::wstring Entry(HWND d, int index) {
    wchar_t text[64] = {};
    SendDlgItemMessageW(d, IDC_ENV_PRESETS, LB_GETTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text));
    return text;
}

class EnvironmentDialog : public SingleDialogTest {
protected:
    EnvironmentDialog() : SingleDialogTest(L"Environment", L"Environment") {}
};

class FlexBassDialog : public testing::Test {
protected:
    ComPtr<IPropertyStore> store = NewMemoryStore();
    HRESULT Open(uint32_t speakerMask, Steps steps) {
        DialogHarness harness(store.Get(), speakerMask);
        return harness.Open(L"Flex Bass", L"Flex Bass", std::move(steps));
    }
};
}  // namespace

TEST_F(EnvironmentDialog, ListsThePresetsAndOpensOnTheDefaultsWithoutWriting) {
    EXPECT_EQ(S_OK, Open({[&](HWND d) {
        EXPECT_EQ(28, int(SendDlgItemMessageW(d, IDC_ENV_PRESETS, LB_GETCOUNT, 0, 0)));
        EXPECT_EQ(L"Default", Entry(d, 0));
        EXPECT_EQ(L"Living room", Entry(d, 5));
        EXPECT_EQ(L"KTV", Entry(d, 27));
        EXPECT_EQ(0, Selected(d));
        EXPECT_TRUE(Checked(d, IDC_ENV_SMALL_ROOM));
        EXPECT_FALSE(Checked(d, IDC_ENV_MEDIUM_ROOM) || Checked(d, IDC_ENV_LARGE_ROOM));
        EXPECT_TRUE(HasDialogUnits(d, IDC_ENV_PRESETS, 17, 19, 70, 160));
        EXPECT_TRUE(HasDialogUnits(d, IDC_ENV_MEDIUM_ROOM, 103, 41, 61, 10));
        EXPECT_EQ(5, ControlCount(d));
    }}));
    EXPECT_EQ(0u, StoredCount(store.Get()));
}

TEST_F(EnvironmentDialog, ShowsStoredValuesAndFallsBackForOnesThatDoNotCount) {
    PutUInt(store.Get(), key::EnvironmentPreset, 5);
    PutUInt(store.Get(), key::EnvironmentRoomSize, 2);
    Open({
        [&](HWND d) {
            EXPECT_EQ(5, Selected(d));
            EXPECT_TRUE(Checked(d, IDC_ENV_LARGE_ROOM));
            PutBool(store.Get(), key::EnvironmentPreset, true);  // wrong type: "Default"
            PutUInt(store.Get(), key::EnvironmentRoomSize, 3);   // no such size: "Small room"
            harness.ReportChange(key::EnvironmentRoomSize);
        },
        [&](HWND d) {
            EXPECT_EQ(0, Selected(d));
            EXPECT_TRUE(Checked(d, IDC_ENV_SMALL_ROOM));
            EXPECT_FALSE(Checked(d, IDC_ENV_LARGE_ROOM));
        },
    });
    PutUInt(store.Get(), key::EnvironmentPreset, 40);
    Open({[&](HWND d) { EXPECT_EQ(LB_ERR, Selected(d)); }});  // a preset past the list selects none
}

TEST_F(EnvironmentDialog, ClicksAndListMovesWriteAndEscDoesNothing) {
    bool open = false;
    Open({
        [&](HWND d) {
            Click(d, IDC_ENV_MEDIUM_ROOM);
            EXPECT_EQ(1u, Stored(store.Get(), key::EnvironmentRoomSize));
            Click(d, IDC_ENV_LARGE_ROOM);
            EXPECT_EQ(2u, Stored(store.Get(), key::EnvironmentRoomSize));
            Click(d, IDC_ENV_SMALL_ROOM);
            EXPECT_EQ(0u, Stored(store.Get(), key::EnvironmentRoomSize));
            const HWND list = GetDlgItem(d, IDC_ENV_PRESETS);
            PressKey(list, VK_DOWN);
            PressKey(list, VK_DOWN);
            EXPECT_EQ(2u, Stored(store.Get(), key::EnvironmentPreset));
            PressKey(list, VK_END);
            EXPECT_EQ(27u, Stored(store.Get(), key::EnvironmentPreset));
            PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageW(d, WM_CLOSE, 0, 0);
        },
        [&](HWND d) {
            open = IsWindow(d) != FALSE;
            EXPECT_EQ(27u, Stored(store.Get(), key::EnvironmentPreset));
        },
    });
    EXPECT_TRUE(open);
    EXPECT_EQ(2u, StoredCount(store.Get()));
}

TEST(EnvironmentDialogWithoutStore, SelectsNoPresetAndWritesNothing) {
    EXPECT_EQ(S_OK, DialogHarness::OpenWithoutStore(L"Environment", L"Environment", {[&](HWND d) {
        EXPECT_EQ(LB_ERR, Selected(d));
        EXPECT_TRUE(Checked(d, IDC_ENV_SMALL_ROOM));
        Click(d, IDC_ENV_LARGE_ROOM);
        PressKey(GetDlgItem(d, IDC_ENV_PRESETS), VK_DOWN);
    }}));
}

TEST_F(FlexBassDialog, AStereoEndpointOffersOnlyFrontAndNothingIsWrittenOnOpening) {
    EXPECT_EQ(S_OK, Open(3, {[&](HWND d) {
        EXPECT_TRUE(Enabled(d, IDC_FLEX_FRONT));
        EXPECT_FALSE(Enabled(d, IDC_FLEX_CENTER) || Enabled(d, IDC_FLEX_SIDE) || Enabled(d, IDC_FLEX_BACK));
        EXPECT_EQ(L"Bass Cut-off Frequency: 00Hz", Text(d, IDC_FLEX_CUTOFF_LABEL));
        EXPECT_EQ(L"Bass Level: 00dB", Text(d, IDC_FLEX_LEVEL_LABEL));
        EXPECT_EQ(50, RangeMin(d, IDC_FLEX_CUTOFF));
        EXPECT_EQ(250, RangeMax(d, IDC_FLEX_CUTOFF));
        EXPECT_EQ(0, RangeMin(d, IDC_FLEX_LEVEL));
        EXPECT_EQ(24, RangeMax(d, IDC_FLEX_LEVEL));
        EXPECT_TRUE(HasDialogUnits(d, IDC_FLEX_LEVEL, 117, 53, 147, 15));
        EXPECT_EQ(12, ControlCount(d));
    }}));
    EXPECT_EQ(0u, StoredCount(store.Get()));
}

TEST_F(FlexBassDialog, ShowsStoredValuesInTrackbarsLabelsAndBoxes) {
    PutUInt(store.Get(), key::FlexBassCutoff, 80);
    PutUInt(store.Get(), key::FlexBassLevel, 0);
    PutUInt(store.Get(), key::FlexBassSpeakers, 0x10);
    Open(0x63F, {
        [&](HWND d) {
            for (int id : {IDC_FLEX_FRONT, IDC_FLEX_CENTER, IDC_FLEX_SIDE, IDC_FLEX_BACK}) EXPECT_TRUE(Enabled(d, id));
            EXPECT_EQ(80, Pos(d, IDC_FLEX_CUTOFF));
            EXPECT_EQ(L"Bass Cut-off Frequency:  80Hz", Text(d, IDC_FLEX_CUTOFF_LABEL));
            EXPECT_EQ(L"Bass Level: -12dB", Text(d, IDC_FLEX_LEVEL_LABEL));
            EXPECT_TRUE(Checked(d, IDC_FLEX_BACK));
            EXPECT_FALSE(Checked(d, IDC_FLEX_FRONT) || Checked(d, IDC_FLEX_SIDE) || Checked(d, IDC_FLEX_CENTER));
            Click(d, IDC_FLEX_SIDE);
            EXPECT_EQ(0x610u, Stored(store.Get(), key::FlexBassSpeakers));
            // Values that do not count leave everything as it is; a level of 12 is 0 dB.
            PutUInt(store.Get(), key::FlexBassCutoff, 300);
            PutUInt(store.Get(), key::FlexBassLevel, 12);
            PutBool(store.Get(), key::FlexBassSpeakers, true);
            PostMessageW(d, RefreshMessage(), 0, 0);
        },
        [&](HWND d) {
            EXPECT_EQ(250, Pos(d, IDC_FLEX_CUTOFF));  // the trackbar stops at its end
            EXPECT_EQ(L"Bass Cut-off Frequency: 300Hz", Text(d, IDC_FLEX_CUTOFF_LABEL));
            EXPECT_EQ(L"Bass Level:   0dB", Text(d, IDC_FLEX_LEVEL_LABEL));
            EXPECT_TRUE(Checked(d, IDC_FLEX_SIDE) && Checked(d, IDC_FLEX_BACK));
        },
    });
}

TEST_F(FlexBassDialog, DraggingWritesAndRelabelsOtherMovesDoNeither) {
    Open(0x63F, {[&](HWND d) {
        Scroll(d, WM_HSCROLL, IDC_FLEX_CUTOFF, TB_THUMBTRACK, 120);
        EXPECT_EQ(120u, Stored(store.Get(), key::FlexBassCutoff));
        EXPECT_EQ(L"Bass Cut-off Frequency: 120Hz", Text(d, IDC_FLEX_CUTOFF_LABEL));
        SendDlgItemMessageW(d, IDC_FLEX_LEVEL, TBM_SETPOS, TRUE, 24);  // the thumb let go at the end
        Scroll(d, WM_HSCROLL, IDC_FLEX_LEVEL, TB_THUMBPOSITION, 24);
        EXPECT_EQ(24u, Stored(store.Get(), key::FlexBassLevel));
        EXPECT_EQ(L"Bass Level:  12dB", Text(d, IDC_FLEX_LEVEL_LABEL));
        PressKey(GetDlgItem(d, IDC_FLEX_LEVEL), VK_LEFT);  // the label lags behind the keyboard
        EXPECT_EQ(23, Pos(d, IDC_FLEX_LEVEL));
        EXPECT_EQ(24u, Stored(store.Get(), key::FlexBassLevel));
        EXPECT_EQ(L"Bass Level:  12dB", Text(d, IDC_FLEX_LEVEL_LABEL));
        Scroll(d, WM_HSCROLL, IDC_FLEX_CUTOFF, TB_PAGEUP, 60);
        EXPECT_EQ(120u, Stored(store.Get(), key::FlexBassCutoff));
    }});
}

TEST_F(FlexBassDialog, BoxesChangeOnlyTheirBitsOfTheMask) {
    PutBool(store.Get(), key::FlexBassSpeakers, true);  // unreadable mask
    Open(0x63F, {[&](HWND d) {
        Click(d, IDC_FLEX_FRONT);  // checked: its bits alone
        EXPECT_EQ(0x3u, Stored(store.Get(), key::FlexBassSpeakers));
        PutBool(store.Get(), key::FlexBassSpeakers, true);
        Click(d, IDC_FLEX_FRONT);  // unchecked: nothing left
        EXPECT_EQ(0u, Stored(store.Get(), key::FlexBassSpeakers));
        PutUInt(store.Get(), key::FlexBassSpeakers, 0x80000001);  // bits of no box stay
        Click(d, IDC_FLEX_CENTER);
        EXPECT_EQ(0x80000005u, Stored(store.Get(), key::FlexBassSpeakers));
        Click(d, IDC_FLEX_FRONT);
        Click(d, IDC_FLEX_FRONT);
        EXPECT_EQ(0x80000004u, Stored(store.Get(), key::FlexBassSpeakers));
    }});
}
