// Every settings dialog walked from one table of what each must do: opened from its
// effect-list row, its controls laid out, in range and at their start state, each control
// writing and showing its own key, modes enabling their controls, Reset, Esc and the
// close box, and the dialog without a store. The table is written here from the dialogs'
// contract, apart from the module's own tables, so a slip on either side shows. The frame
// as the list drives it, the 15-band equaliser's records and the labels of Flex Bass follow.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <tuple>

#include "controlpanel/templates/Equalizer15Ids.h"
#include "tests/controlpanel/Harness.h"

using namespace qx;
using namespace qx::test;

namespace {
// The format identifiers of the keys the dialogs edit.
constexpr const wchar_t* kEq = L"{BD341FFB-9FD1-4ED4-8159-7999D546EA8A}";
constexpr const wchar_t* kEnv = L"{686AD5B3-9A96-4723-87BC-EBCD95B407DE}";
constexpr const wchar_t* kFlex = L"{5860EE50-9705-436A-96DB-BB18A130E08B}";
constexpr const wchar_t* kShift = L"{F9736E6B-5342-4690-82B7-95E78DF992A0}";
constexpr const wchar_t* kMax = L"{31AF2432-4E37-47C5-9785-9D9529E07129}";
constexpr const wchar_t* kNuvex = L"{C020CDBF-756F-4B6D-9031-BE6E20CF1C9F}";
constexpr const wchar_t* kVoice = L"{64805010-C7E7-4408-9BE0-658ED5DD0ED2}";
constexpr const wchar_t* kMic = L"{3BC6329A-2397-4FF3-92F5-2CD9894BB889}";
constexpr const wchar_t* kDts = L"{3BDB362E-2722-4CF3-BF07-5F44BF350FC9}";
constexpr const wchar_t* kNeo = L"{D77F6FDC-386F-44B5-9278-70B636002B3D}";
constexpr const wchar_t* kDolby = L"{D65010BE-653B-4606-B910-CDD7846478D1}";
constexpr const wchar_t* kPl2 = L"{9894DBA1-62C6-436B-B1CE-6EDBAFA69BBF}";

// Endpoints whose effect lists hold the rows the dialogs belong to.
constexpr EndpointSetup kStereoSpeakers{1, 3, 0}, kSurroundSpeakers{1, 0x3F, 0}, kSevenOne{1, 0x63F, 0};
constexpr EndpointSetup kHeadphones{3, 3, 0}, kMicrophone{4, 3, 0};

enum Kind { kTrackbar, kRadio, kCheckBox, kList };
// kMissingShowsLow: a store without the key shows the low end, not the start position.
// kHalfSteps: a trackbar storing a float of half its position; kKeptByReset: a trackbar
// that Reset leaves where it is.
enum Flags {
    kStartChecked = 1, kVerticalNegated = 2, kArrowKeysStore = 4, kMissingShowsLow = 8, kHalfSteps = 16, kKeptByReset = 32
};
struct Control {
    int id;
    Kind kind;
    const wchar_t* fmtid;
    uint32_t pid;
    // A trackbar's or list's range and start; a radio button's value in lo; the value a
    // check box stores when checked in hi.
    int lo, hi, start, flags;
    int field = -1;  // in a filter-record blob, the byte offset of the control's word
};
Control T(int id, const wchar_t* f, uint32_t pid, int lo, int hi, int start, int flags = 0) {
    return {id, kTrackbar, f, pid, lo, hi, start, flags};
}
Control R(int id, const wchar_t* f, uint32_t pid, int value, int flags = 0) { return {id, kRadio, f, pid, value, value, 0, flags}; }
Control C(int id, const wchar_t* f, uint32_t pid, int on = 1) { return {id, kCheckBox, f, pid, 0, on, 0, 0}; }
Control L(int id, const wchar_t* f, uint32_t pid, int count) { return {id, kList, f, pid, 0, count - 1, 0, 0}; }

// Checking `radio` enables `on` and disables `off`.
struct Mode {
    int radio;
    std::vector<int> on, off;
};
// A stored value (kWrongType: one of another type) and what the reload shows on one
// control: a trackbar's position, a list's selection, or whether a button is checked; and
// for some the text of the value's label.
constexpr uint32_t kWrongType = 0xBAD0BAD0;
struct Load {
    const wchar_t* fmtid;
    uint32_t pid, value;
    int id, shows, labelId = 0;  // and a value label with the text it then shows
    const wchar_t* label = nullptr;
};
enum Reset { kNoReset, kReset };

struct Dialog {
    const wchar_t *row, *title;
    EndpointSetup endpoint;
    Reset reset;
    std::vector<Control> controls;
    std::vector<Mode> modes;
    std::vector<Load> loads;
    const wchar_t* okText = L"OK";  // the button that ends the dialog
};

const std::vector<int> kNuvexSpeaker{236, 237, 235, 234}, kNuvexRoom{233, 232, 231};
const std::vector<int> kNeoMusic{247, 248, 250, 251, 249, 252}, kSensationSpeaker{258, 257, 259, 260};
const std::vector<int> kDolbyRoom{264, 265, 266}, kDolbyMode{267, 268}, kPl2Music{272, 270, 271, 275, 273, 274, 276};

Control At(int field, Control c) {
    c.field = field;
    return c;
}
// Phase and parallel mode; then per filter record (Bass, Treble, bands 1 to 15) its on
// box, its gain and, for bands, its Q.
std::vector<Control> Equalizer15Controls() {
    std::vector<Control> c{R(353, kEq, 15, 0, kStartChecked), R(354, kEq, 15, 1), R(355, kEq, 16, 0, kStartChecked), R(356, kEq, 16, 1)};
    for (int r = 0; r < 17; ++r) {
        const uint32_t pid = r < 2 ? 12 + r : 14;
        const int at = r < 2 ? 0 : 16 * (r - 2);
        c.push_back(At(at, C(332 + r, kEq, pid)));
        c.push_back(At(at + 8, T(300 + r, kEq, pid, -12, 12, 0)));
        if (r >= 2) c.push_back(At(at + 12, T(315 + r, kEq, pid, 1, 20, 1, kHalfSteps | kKeptByReset)));
    }
    return c;
}
std::vector<Control> EqualizerControls() {
    std::vector<Control> c;
    for (uint32_t i = 0; i < 10; ++i) c.push_back(T(202 + int(i), kEq, i + 1, -20, 20, 0, kVerticalNegated | kArrowKeysStore));
    return c;
}

const std::vector<Dialog>& Dialogs() {
    static const std::vector<Dialog> dialogs = {
        {L"15-Band Equalizer", L"15 Band Equalizer", kStereoSpeakers, kReset, Equalizer15Controls(), {},
         {{kEq, 15, 5, 354, 1}, {kEq, 16, kWrongType, 355, 1}, {kEq, 15, kWrongType, 354, 1}}},
        {L"Equalizer", L"Equalizer", kStereoSpeakers, kReset, EqualizerControls(), {},
         {{kEq, 1, 0xFFFFFFFB, 202, 5}, {kEq, 10, 20, 211, -20}, {kEq, 1, kWrongType, 202, 0}}, L"Close"},
        {L"Environment", L"Environment", kStereoSpeakers, kNoReset,
         {L(204, kEnv, 1, 28), R(205, kEnv, 2, 0, kStartChecked), R(206, kEnv, 2, 1), R(207, kEnv, 2, 2)}, {},
         {{kEnv, 2, 2, 207, 1}, {kEnv, 2, 3, 205, 1}, {kEnv, 2, kWrongType, 205, 1}, {kEnv, 1, 5, 204, 5}, {kEnv, 1, kWrongType, 204, 0}}},
        {L"Flex Bass", L"Flex Bass", kSevenOne, kNoReset,
         {T(210, kFlex, 1, 50, 250, 50), T(211, kFlex, 6, 0, 24, 0), C(212, kFlex, 2, 0x3), C(213, kFlex, 2, 0x4),
          C(214, kFlex, 2, 0x600), C(215, kFlex, 2, 0x30)}, {},
         {{kFlex, 2, 0x10, 215, 1}, {kFlex, 2, 0x10, 212, 0}, {kFlex, 2, kWrongType, 215, 1}, {kFlex, 2, 0x402, 214, 1},
          {kFlex, 2, 0x402, 212, 1}, {kFlex, 6, kWrongType, 211, 0}, {kFlex, 1, 80, 210, 80, 208, L"Bass Cut-off Frequency:  80Hz"},
          {kFlex, 6, 0, 211, 0, 209, L"Bass Level: -12dB"}, {kFlex, 6, 24, 211, 24, 209, L"Bass Level:  12dB"},
          {kFlex, 1, 300, 210, 250, 208, L"Bass Cut-off Frequency: 300Hz"}}},
        // Angle and distance trackbars row by row (left front, centre, right front, right side, right back, left
        // back, left side, then the subwoofer's distance); the ids follow neither the rows nor the keys.
        {L"Speaker Shifter", L"Virtual Speaker Shifter", kStereoSpeakers, kReset,
         {C(228, kMax, 0), T(213, kShift, 1, -180, 180, -45), T(215, kShift, 2, -180, 180, 0), T(214, kShift, 3, -180, 180, 45),
          T(217, kShift, 4, -180, 180, 90), T(216, kShift, 5, -180, 180, 135), T(219, kShift, 6, -180, 180, -135),
          T(218, kShift, 7, -180, 180, -90), T(220, kShift, 8, 19, 50, 30), T(222, kShift, 9, 19, 50, 30), T(221, kShift, 10, 19, 50, 30),
          T(224, kShift, 11, 19, 50, 30), T(223, kShift, 12, 19, 50, 30), T(226, kShift, 13, 19, 50, 30), T(225, kShift, 14, 19, 50, 30),
          T(227, kShift, 15, 19, 50, 30)}, {},
         {{kShift, 6, 0xFFFFFF79, 219, -135}, {kShift, 1, 200, 213, 180}, {kShift, 9, 19, 222, 19}, {kShift, 10, 50, 221, 50},
          {kShift, 1, kWrongType, 213, 180}, {kMax, 0, 7, 228, 1}}},
        {L"Nuvex Surround", L"Nuvex Surround", kStereoSpeakers, kNoReset,
         {R(230, kNuvex, 1, 0), R(229, kNuvex, 1, 1, kStartChecked), R(231, kNuvex, 2, 2), R(232, kNuvex, 2, 1, kStartChecked),
          R(233, kNuvex, 2, 0), T(235, kNuvex, 3, 0, 3, 3), T(236, kNuvex, 4, 0, 4, 3), C(238, kMax, 0)},
         {{229, kNuvexRoom, kNuvexSpeaker}, {230, kNuvexSpeaker, kNuvexRoom}},
         {{kNuvex, 1, 0, 230, 1}, {kNuvex, 2, 0, 232, 1}, {kNuvex, 1, kWrongType, 233, 1}, {kNuvex, 1, kWrongType, 230, 1},
          {kNuvex, 3, 7, 235, 3}, {kNuvex, 4, 4, 236, 4}, {kNuvex, 4, 5, 236, 4}}},
        {L"Nuvex Surround Headphone", L"Nuvex Surround Headphone", kHeadphones, kNoReset,
         {R(231, kNuvex, 2, 2, kStartChecked), R(232, kNuvex, 2, 1), R(233, kNuvex, 2, 0), C(238, kMax, 0)}, {},
         {{kNuvex, 2, 0, 233, 1}, {kNuvex, 2, 3, 233, 1}, {kNuvex, 1, 1, 233, 1}}},
        {L"Key Shifting", L"Key Shifting", kStereoSpeakers, kNoReset, {T(239, kVoice, 3, -4, 4, 0)}, {},
         {{kVoice, 3, 0xFFFFFFFE, 239, -2}, {kVoice, 3, kWrongType, 239, 0}}},
        {L"Vocal Fading", L"Vocal Fading", kStereoSpeakers, kNoReset, {T(240, kVoice, 1, 0, 100, 0)}, {},
         {{kVoice, 1, 60, 240, 60}, {kVoice, 1, kWrongType, 240, 0}}},
        {L"Echo", L"Microphone Echo", kMicrophone, kNoReset, {T(241, kMic, 1, -12, 12, 0)}, {},
         {{kMic, 1, 0xFFFFFFF4, 241, -12}, {kMic, 1, kWrongType, 241, 0}}},
        {L"Magic Voice", L"Magic Voice", kMicrophone, kNoReset,
         {R(242, kMic, 3, 0, kStartChecked), R(243, kMic, 3, 1), R(244, kMic, 3, 2), R(245, kMic, 3, 3)}, {},
         {{kMic, 3, 3, 245, 1}, {kMic, 3, 7, 242, 1}, {kMic, 3, kWrongType, 242, 1}}},
        {L"Vocal Remover", L"Vocal Remover", kStereoSpeakers, kReset,
         {T(277, kVoice, 5, -48, 48, 0), R(278, kVoice, 6, 0, kStartChecked), R(279, kVoice, 6, 1), R(280, kVoice, 6, 2), R(281, kVoice, 6, 3)},
         {},
         {{kVoice, 6, 2, 280, 1}, {kVoice, 6, 9, 278, 1}, {kVoice, 5, 0xFFFFFFD0, 277, -48}, {kVoice, 5, kWrongType, 277, 0}}},
        {L"DTS Voice Clarity", L"DTS Voice Clarity", kStereoSpeakers, kNoReset, {T(244, kDts, 7, 0, 10, 0)}, {},
         {{kDts, 7, 11, 244, 0}, {kDts, 7, 10, 244, 10}, {kDts, 7, 0x10004, 244, 10}, {kDts, 7, kWrongType, 244, 10}}},
        {L"DTS Neo:PC", L"DTS Neo:PC", kSurroundSpeakers, kNoReset,
         {R(245, kNeo, 3, 0, kStartChecked), R(246, kNeo, 3, 1), T(247, kNeo, 1, 0, 14, 7), T(251, kNeo, 2, 0, 10, 5)},
         {{245, {}, kNeoMusic}, {246, kNeoMusic, {}}},
         {{kNeo, 3, 3, 246, 1}, {kNeo, 3, kWrongType, 246, 1}, {kNeo, 1, 2, 247, 2}, {kNeo, 1, kWrongType, 247, 2}, {kNeo, 2, 40, 251, 10}}},
        {L"DTS Surround Sensation", L"DTS Surround Sensation", kStereoSpeakers, kNoReset,
         {R(253, kDts, 1, 1, kStartChecked), R(254, kDts, 1, 0), R(255, kDts, 8, 0, kStartChecked), R(256, kDts, 8, 1),
          T(258, kDts, 2, 0, 10, 0), T(259, kDts, 9, 0, 5, 2), C(261, kDts, 10)},
         {{253, {255, 256, 261}, kSensationSpeaker}, {254, kSensationSpeaker, {}}},
         {{kDts, 1, 0, 254, 1}, {kDts, 1, kWrongType, 253, 1}, {kDts, 9, 5, 259, 5}, {kDts, 9, 6, 259, 2}, {kDts, 2, 8, 258, 8},
          {kDts, 2, 11, 258, 8}, {kDts, 8, 2, 256, 1}, {kDts, 8, kWrongType, 255, 1}}},
        {L"Dolby Surround", L"Dolby Surround", kStereoSpeakers, kNoReset,
         {R(262, kDolby, 1, 1, kStartChecked), R(263, kDolby, 1, 0), R(264, kDolby, 2, 0, kStartChecked), R(265, kDolby, 2, 1),
          R(266, kDolby, 2, 2), R(267, kDolby, 3, 0, kStartChecked), R(268, kDolby, 3, 1)},
         {{262, kDolbyRoom, kDolbyMode}, {263, kDolbyMode, kDolbyRoom}},
         {{kDolby, 1, 0, 263, 1}, {kDolby, 3, 1, 268, 1}, {kDolby, 2, 5, 264, 1}, {kDolby, 3, 2, 268, 1}}},
        {L"Dolby Pro Logic IIx", L"Dolby Pro Logic IIx", kSurroundSpeakers, kNoReset,
         {R(268, kPl2, 3, 0, kStartChecked), R(269, kPl2, 3, 1), T(272, kPl2, 1, 0, 14, 7), T(275, kPl2, 2, 0, 7, 3, kMissingShowsLow),
          C(276, kPl2, 4)},
         {{268, {}, kPl2Music}, {269, kPl2Music, {}}},
         {{kPl2, 1, 9, 272, 9}, {kPl2, 1, kWrongType, 272, 9}, {kPl2, 2, kWrongType, 275, 0}, {kPl2, 3, 2, 269, 1}}},
    };
    return dialogs;
}

// The value a control stores for a trackbar position (or a radio button's value).
uint32_t Encoded(const Control& c, int value) {
    const float half = value / 2.0f;
    uint32_t bits = uint32_t((c.flags & kVerticalNegated) ? -value : value);
    if (c.flags & kHalfSteps) std::memcpy(&bits, &half, 4);
    return bits;
}
// The stored value of a control: its VT_UI4 key, or its word of a filter-record blob.
uint32_t Value(IPropertyStore* store, const Control& c) {
    if (c.field < 0) return Stored(store, Key(c.fmtid, c.pid));
    const std::vector<uint8_t> blob = GetBlob(store, Key(c.fmtid, c.pid));
    uint32_t value = 0xDEAD;
    if (blob.size() >= size_t(c.field) + 4) std::memcpy(&value, blob.data() + c.field, 4);
    return value;
}
// Stores a control's value from elsewhere; a missing blob is made of zeros first.
void Put(IPropertyStore* store, const Control& c, uint32_t value) {
    if (c.field < 0) return PutUInt(store, Key(c.fmtid, c.pid), value);
    std::vector<uint8_t> blob = GetBlob(store, Key(c.fmtid, c.pid));
    blob.resize(c.pid == 14 ? 240 : 16);
    std::memcpy(blob.data() + c.field, &value, 4);
    PutBlob(store, Key(c.fmtid, c.pid), blob.data(), blob.size());
}
UINT ScrollMessage(const Control& c) { return (c.flags & kVerticalNegated) ? WM_VSCROLL : WM_HSCROLL; }
int Selected(HWND w, int id) { return int(SendDlgItemMessageW(w, id, LB_GETCURSEL, 0, 0)); }
bool Shows(HWND w, const Control& c, int value) {
    if (c.kind == kList) return Selected(w, c.id) == value;
    return c.kind == kTrackbar ? Pos(w, c.id) == value : Checked(w, c.id) == (value != 0);
}
void ExpectModes(HWND w, const Dialog& d) {
    for (const Mode& m : d.modes) {
        if (!Checked(w, m.radio)) continue;
        for (int id : m.on) EXPECT_TRUE(Enabled(w, id)) << "with " << m.radio << ", " << id;
        for (int id : m.off) EXPECT_FALSE(Enabled(w, id)) << "with " << m.radio << ", " << id;
    }
}

// Every control of the table shows its start: a trackbar in its range at its start
// position, a list with its entries, a button checked when it should be.
void ExpectStartState(HWND w, const Dialog& d, bool withStore) {
    EXPECT_EQ(d.okText, Text(w, IDOK));
    for (const Control& c : d.controls) {
        if (c.kind == kTrackbar) {
            EXPECT_EQ(c.lo, int(SendDlgItemMessageW(w, c.id, TBM_GETRANGEMIN, 0, 0))) << c.id;
            EXPECT_EQ(c.hi, int(SendDlgItemMessageW(w, c.id, TBM_GETRANGEMAX, 0, 0))) << c.id;
            EXPECT_EQ(withStore && (c.flags & kMissingShowsLow) ? c.lo : c.start, Pos(w, c.id)) << c.id;
        } else if (c.kind == kList) {
            EXPECT_EQ(c.hi + 1, int(SendDlgItemMessageW(w, c.id, LB_GETCOUNT, 0, 0)));
            EXPECT_EQ(withStore ? c.start : LB_ERR, Selected(w, c.id));  // no store: no entry
        } else {
            EXPECT_EQ((c.flags & kStartChecked) != 0, Checked(w, c.id)) << c.id;
        }
    }
    ExpectModes(w, d);
}

// Drags every trackbar to both ends, clicks every button, moves every list to both ends,
// and, given the store, checks what was stored; the other scroll codes write nothing, the
// arrow keys only where the dialog takes them. A control of an inactive mode is first
// enabled by its mode's button.
void UseEveryControl(HWND w, const Dialog& d, IPropertyStore* store) {
    for (const Control& c : d.controls) {
        for (const Mode& m : d.modes)
            if (!Enabled(w, c.id) && std::count(m.on.begin(), m.on.end(), c.id)) Click(w, m.radio);
        const auto expectStored = [&](uint32_t value) {
            EXPECT_TRUE(!store || value == Value(store, c)) << c.id << " storing " << value;
        };
        switch (c.kind) {
        case kTrackbar:
            Scroll(w, ScrollMessage(c), c.id, TB_THUMBTRACK, c.lo);
            expectStored(Encoded(c, c.lo));
            Scroll(w, ScrollMessage(c), c.id, TB_THUMBPOSITION, c.hi);
            expectStored(Encoded(c, c.hi));
            for (int code : {TB_PAGEUP, TB_PAGEDOWN, TB_TOP, TB_BOTTOM, TB_ENDTRACK}) Scroll(w, ScrollMessage(c), c.id, code, c.lo);
            SendDlgItemMessageW(w, c.id, TBM_SETPOS, TRUE, c.lo + 1);
            Scroll(w, ScrollMessage(c), c.id, TB_LINEDOWN, c.lo);
            expectStored(Encoded(c, (c.flags & kArrowKeysStore) ? c.lo + 1 : c.hi));
            break;
        case kRadio:
            Click(w, c.id);
            expectStored(uint32_t(c.lo));
            ExpectModes(w, d);
            break;
        case kCheckBox:  // checked, then unchecked
        case kList:      // the last entry, then the first
            for (const auto& [key, value] : {std::pair{VK_END, c.hi}, std::pair{VK_HOME, c.lo}}) {
                c.kind == kList ? void(SendDlgItemMessageW(w, c.id, WM_KEYDOWN, key, 0)) : Click(w, c.id);
                expectStored(uint32_t(value));
            }
            break;
        }
    }
}

// What a dialog opened with a store must do, step by step. It opens at its start state
// and writes nothing; Esc and the close box leave it open (the next step runs). Then every
// control writes its key, and each key written from elsewhere shows on its control at the
// next reload. A Reset (Esc and the close box) then stores every trackbar's start value
// and shows it.
Steps WalkWithAStore(const Dialog& d, IPropertyStore* store) {
    const DWORD seeded = StoredCount(store);
    Steps steps = {[&d, store, seeded](HWND w) {
                       ExpectStartState(w, d, true);
                       EXPECT_EQ(seeded, StoredCount(store));
                       if (d.reset == kNoReset) PressEscAndClose(w);
                   },
                   [&d, store](HWND w) {
                       UseEveryControl(w, d, store);
                       for (const Control& c : d.controls)
                           for (int value : {c.lo, c.hi}) {
                               Put(store, c, Encoded(c, value));
                               Reload(w);
                               EXPECT_TRUE(c.kind == kRadio ? Checked(w, c.id) : Shows(w, c, value)) << c.id << " at " << value;
                               ExpectModes(w, d);
                           }
                       if (d.reset != kNoReset) PressEscAndClose(w);
                   }};
    if (d.reset != kNoReset)
        steps.push_back([&d, store](HWND w) {
            for (const Control& c : d.controls)
                if (c.kind == kTrackbar && !(c.flags & kKeptByReset)) {
                    EXPECT_EQ(Encoded(c, c.start), Value(store, c)) << c.id;
                    EXPECT_EQ(c.start, Pos(w, c.id)) << c.id;
                }
        });
    return steps;
}

// Stored values out of range or of another type follow the dialog's rules.
Steps FollowTheLoadRules(const Dialog& d, IPropertyStore* store) {
    return {[&d, store](HWND w) {
        for (const Load& l : d.loads) {
            l.value == kWrongType ? PutBool(store, Key(l.fmtid, l.pid), true) : PutUInt(store, Key(l.fmtid, l.pid), l.value);
            Reload(w);
            const auto c = std::find_if(d.controls.begin(), d.controls.end(), [&](auto& c) { return c.id == l.id; });
            ASSERT_NE(d.controls.end(), c) << l.id;
            EXPECT_TRUE(Shows(w, *c, l.shows)) << l.id << " after " << l.pid << " = " << l.value;
            EXPECT_TRUE(!l.label || Text(w, l.labelId) == l.label) << testing::PrintToString(Text(w, l.labelId));
            ExpectModes(w, d);
        }
    }};
}
}  // namespace

// Every dialog opened from its row on a page of its endpoint: twice with a fresh store,
// walked and then given its load rules as above, and given back when it ends (a record
// blob must read before the dialog changes one of its fields, so the store starts with
// them); then on a page without a store, where it opens at its start state and its
// controls and Esc write nothing and do no harm.
TEST(SettingsDialogs, OpenWriteReloadAndResetAsTheirRowsSay) {
    const ComPtr<IMMDevice> notAStore = host::NewEndpoint(L"not a store", nullptr);
    for (const Dialog& d : Dialogs()) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(d.title)));
        for (auto steps : {&WalkWithAStore, &FollowTheLoadRules}) {
            ComPtr<FailingPropertyStore> store(new FailingPropertyStore(E_FAIL, NewMemoryStore().Get()));  // counts references
            store->Release();
            for (const Control& c : d.controls)
                if (c.field >= 0) Put(store.Get(), c, 0);
            Panel panel(store.Get());  // one page, and one endpoint registry, at a time
            ASSERT_EQ(S_OK, panel.Show(d.endpoint));
            const LONG before = store->RefCount();
            EXPECT_EQ(S_OK, panel.Open(d.row, d.title, steps(d, store.Get())));
            EXPECT_EQ(before, store->RefCount());
        }
        Panel withoutStore(notAStore.Get());
        ASSERT_EQ(S_OK, withoutStore.Show(d.endpoint));
        withoutStore.Open(d.row, d.title, {[&](HWND w) {
            ExpectStartState(w, d, false);
            UseEveryControl(w, d, nullptr);
            PressEscAndClose(w);
        }, Reload});
    }
}

// The dialog opened from the list reloads when the list reports a change.
TEST(SettingsDialogFromTheList, ReloadsWhenTheListReportsAChange) {
    ComPtr<IPropertyStore> fx = NewMemoryStore();
    Panel panel(fx.Get());
    ASSERT_EQ(S_OK, panel.Show(kStereoSpeakers));
    EXPECT_EQ(S_OK, panel.Open(L"Flex Bass", L"Flex Bass", {
        [&](HWND) {
            PutUInt(fx.Get(), Key(kFlex, 6), 0);  // the level, shown as -12 dB
            EXPECT_EQ(S_OK, panel.object->EffectList_PropertyValueChanged(panel.list, fx.Get(), settings::ToPropertyKey(Key(kFlex, 6))));
        },
        [&](HWND w) { EXPECT_EQ(L"Bass Level: -12dB", Text(w, 209)); }}));
}

// The 15-band frequency fields commit on Enter, clamped to each field's range, and Enter
// through the message loop does not end the dialog.
TEST(Equalizer15Dialog, CommitsFrequenciesOnEnterClampedToTheirField) {
    ComPtr<IPropertyStore> store = NewMemoryStore();
    const int band = IDC_EQ15_BAND_FREQ_FIRST;
    const auto hz = [&](uint32_t pid, int record) { return GetBlob(store.Get(), Key(kEq, pid)).at(16 * record + 4); };
    const std::vector<uint8_t> zeros(240);
    for (const auto& [pid, size] : {std::pair{12u, 16}, std::pair{14u, 240}}) PutBlob(store.Get(), Key(kEq, pid), zeros.data(), size);
    Panel panel(store.Get());
    ASSERT_EQ(S_OK, panel.Show(kStereoSpeakers));
    panel.Open(L"15-Band Equalizer", L"15 Band Equalizer", {
        [&](HWND w) {
            for (const auto& [field, typed, shown] : {std::tuple{IDC_EQ15_BASS_FREQ, L"95", L"90"}, std::tuple{band + 2, L"5", L"150"}}) {
                Type(w, field, typed);
                SendDlgItemMessageW(w, field, WM_CHAR, L'\r', 1);  // want-return: a line break, not "OK"
                EXPECT_EQ(shown, Text(w, field));
            }
            EXPECT_EQ(90, hz(12, 0));
            EXPECT_EQ(150, hz(14, 2));
            SetFocus(GetDlgItem(w, band + 1));
            Type(w, band + 1, L"120");
            PostMessageW(GetDlgItem(w, band + 1), WM_KEYDOWN, VK_RETURN, 0x001C0001);
        },
        [&](HWND) { EXPECT_EQ(120, hz(14, 1)); },
    });
}
