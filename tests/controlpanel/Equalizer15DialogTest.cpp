// The "15 Band Equalizer" dialog opened from the effect list: its records read and
// rewritten whole, the frequency fields committed by Enter, the mode switches and Reset Gain.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "controlpanel/templates/Equalizer15Ids.h"
#include "settings/PropertyStoreAccess.h"
#include "tests/controlpanel/DialogHarness.h"
#include "tests/controlpanel/SingleDialogTest.h"
#include "tests/support/Stores.h"

using namespace qx;
using namespace qx::test;
using namespace qx::settings;

namespace {
constexpr wchar_t kTitle[] = L"15 Band Equalizer";
using Bytes = std::vector<uint8_t>;

int On(int band) { return IDC_EQ15_BAND_ON_FIRST + band; }
int Freq(int band) { return IDC_EQ15_BAND_FREQ_FIRST + band; }
int Gain(int band) { return IDC_EQ15_BAND_GAIN_FIRST + band; }
int Q(int band) { return IDC_EQ15_BAND_Q_FIRST + band; }

void PutRecord(uint8_t* at, uint32_t on, uint32_t hz, uint32_t gain, float q) {
    const uint32_t fields[4] = {on, hz, gain, 0};
    std::memcpy(at, fields, 12);
    std::memcpy(at + 12, &q, 4);
}
Bytes Record(uint32_t on, uint32_t hz, uint32_t gain, float q = 0) {
    Bytes b(16);
    PutRecord(b.data(), on, hz, gain, q);
    return b;
}
// Fifteen records: band i on when odd, at 100 * (i + 1) Hz, gain i - 7, Q 1 + i / 2.
Bytes Bands() {
    Bytes b(240);
    for (int i = 0; i < 15; ++i) PutRecord(b.data() + 16 * i, i % 2, 100u * (i + 1), uint32_t(i - 7), 1 + i * 0.5f);
    return b;
}
uint32_t Field(const Bytes& blob, int record, int offset) {
    uint32_t v = 0;
    std::memcpy(&v, blob.data() + 16 * record + offset, 4);
    return v;
}
float QField(const Bytes& blob, int record) {
    float q = 0;
    std::memcpy(&q, blob.data() + 16 * record + 12, 4);
    return q;
}
void PutBytes(IPropertyStore* store, const KeyId& key, const Bytes& b) { PutBlob(store, key, b.data(), b.size()); }

// Typing into a field, each key as the dialog's message loop gets it.
void TypeAndEnter(HWND dialog, int id, const wchar_t* digits) {
    const HWND edit = GetDlgItem(dialog, id);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    Type(edit, digits);
    SendMessageW(edit, WM_CHAR, L'\r', 1);  // want-return: a line break, not "OK"
}

class Equalizer15Dialog : public SingleDialogTest {
protected:
    Equalizer15Dialog() : SingleDialogTest(L"15-Band Equalizer", kTitle) {}
};
}  // namespace

TEST_F(Equalizer15Dialog, OpensWithEveryRowOffAtItsStartValuesAndWritesNothing) {
    EXPECT_EQ(S_OK, Open({[&](HWND d) {
        EXPECT_EQ(84, ControlCount(d));
        for (int gain : {IDC_EQ15_BASS_GAIN, IDC_EQ15_TREBLE_GAIN}) {
            EXPECT_EQ(0, Pos(d, gain));
            EXPECT_EQ(-12, RangeMin(d, gain));
            EXPECT_EQ(12, RangeMax(d, gain));
            EXPECT_FALSE(Enabled(d, gain));
        }
        for (int id : {IDC_EQ15_BASS_FREQ, IDC_EQ15_BASS_SCALE, IDC_EQ15_BASS_LABEL, IDC_EQ15_TREBLE_FREQ})
            EXPECT_FALSE(Enabled(d, id)) << id;
        EXPECT_EQ(L"0", Text(d, IDC_EQ15_BASS_FREQ));
        for (int i = 0; i < 15; ++i) {
            EXPECT_EQ(0, Pos(d, Gain(i)));
            EXPECT_EQ(1, Pos(d, Q(i)));
            EXPECT_EQ(1, RangeMin(d, Q(i)));
            EXPECT_EQ(20, RangeMax(d, Q(i)));
            EXPECT_EQ(L"0", Text(d, Freq(i)));
            EXPECT_FALSE(Checked(d, On(i)));
            EXPECT_TRUE(Enabled(d, On(i)));
            EXPECT_FALSE(Enabled(d, Freq(i)) || Enabled(d, Gain(i)) || Enabled(d, Q(i))) << i;
        }
        EXPECT_TRUE(Checked(d, IDC_EQ15_MINIMAL));
        EXPECT_TRUE(Checked(d, IDC_EQ15_PARALLEL));
        // The generated rows stand where the row tables put them.
        EXPECT_TRUE(HasDialogUnits(d, On(0), 193, 32, 16, 10));
        EXPECT_TRUE(HasDialogUnits(d, Freq(3), 219, 98, 40, 14));
        EXPECT_TRUE(HasDialogUnits(d, Gain(8), 286, 209, 144, 22));
        EXPECT_TRUE(HasDialogUnits(d, Q(14), 444, 346, 144, 22));
        EXPECT_TRUE(HasDialogUnits(d, IDC_EQ15_TREBLE_FREQ, 115, 103, 40, 14));
        // Multi-line and want-return: setting the text reports nothing, Enter is the field's.
        const LONG kEdit = ES_MULTILINE | ES_WANTRETURN | ES_NUMBER | WS_TABSTOP;
        EXPECT_EQ(kEdit, GetWindowLongW(GetDlgItem(d, Freq(14)), GWL_STYLE) & kEdit);
    }}));
    EXPECT_EQ(0u, StoredCount(store.Get()));
}

TEST_F(Equalizer15Dialog, LoadsRecordsAndModesAndIgnoresBlobsOfTheWrongSize) {
    PutBytes(store.Get(), key::Eq15Bass, Record(1, 85, 0xFFFFFFFB));
    PutBytes(store.Get(), key::Eq15Treble, Bytes(15, 0xFF));  // one byte short: not a record
    Bytes bands = Bands();
    PutRecord(bands.data() + 16 * 2, 1, 150, 0x0001FFFE, 3.7f);  // gain: low 16 bits only
    PutRecord(bands.data() + 16 * 5, 1, 500, 3, std::nanf(""));  // no Q: the thumb stops at the end
    PutBytes(store.Get(), key::Eq15Bands, bands);
    PutUInt(store.Get(), key::Eq15PhaseMode, 5);
    PutBool(store.Get(), key::Eq15ParallelMode, true);
    Open({
        [&](HWND d) {
            EXPECT_TRUE(Checked(d, IDC_EQ15_BASS_ON));
            EXPECT_EQ(-5, Pos(d, IDC_EQ15_BASS_GAIN));
            EXPECT_EQ(L"85", Text(d, IDC_EQ15_BASS_FREQ));
            EXPECT_TRUE(Enabled(d, IDC_EQ15_BASS_GAIN) && Enabled(d, IDC_EQ15_BASS_LABEL));
            EXPECT_FALSE(Checked(d, IDC_EQ15_TREBLE_ON));
            EXPECT_EQ(L"0", Text(d, IDC_EQ15_TREBLE_FREQ));
            EXPECT_EQ(-2, Pos(d, Gain(2)));
            EXPECT_EQ(7, Pos(d, Q(2)));  // 3.7 x 2, truncated
            EXPECT_EQ(1, Pos(d, Q(5)));
            for (int i : {0, 1, 3, 4, 6, 7, 14}) {
                EXPECT_EQ(i % 2 != 0, Checked(d, On(i))) << i;
                EXPECT_EQ(i % 2 != 0, Enabled(d, Gain(i)) && Enabled(d, Q(i)) && Enabled(d, Freq(i))) << i;
                EXPECT_EQ(i - 7, Pos(d, Gain(i)));
                EXPECT_EQ(2 + i, Pos(d, Q(i)));
                EXPECT_EQ(std::to_wstring(100 * (i + 1)), Text(d, Freq(i)));
            }
            EXPECT_TRUE(Checked(d, IDC_EQ15_LINEAR));
            EXPECT_TRUE(Checked(d, IDC_EQ15_PARALLEL));
            // Band table spoilt from elsewhere: the rows keep what they show.
            PutBytes(store.Get(), key::Eq15Bands, Bytes(241));
            PutUInt(store.Get(), key::Eq15PhaseMode, 0);
            harness.ReportChange(key::Eq15Bands);
        },
        [&](HWND d) {
            EXPECT_EQ(-2, Pos(d, Gain(2)));
            EXPECT_TRUE(Checked(d, On(1)));
            EXPECT_TRUE(Checked(d, IDC_EQ15_MINIMAL));
        },
    });
}

TEST_F(Equalizer15Dialog, ControlsRewriteOneFieldOfTheirRecord) {
    const Bytes bands = Bands();
    PutBytes(store.Get(), key::Eq15Bands, bands);
    PutBytes(store.Get(), key::Eq15Treble, Record(1, 17000, 2, 9.0f));
    Open({[&](HWND d) {
        // Unchecking band 4 clears its on flag only and disables its row.
        ASSERT_TRUE(Checked(d, On(3)));
        Click(d, On(3));
        Bytes now = GetBlob(store.Get(), key::Eq15Bands);
        Bytes expected = bands;
        expected[16 * 3] = 0;
        EXPECT_EQ(expected, now);
        EXPECT_FALSE(Enabled(d, Freq(3)) || Enabled(d, Gain(3)) || Enabled(d, Q(3)));
        Click(d, On(3));
        EXPECT_EQ(1u, Field(GetBlob(store.Get(), key::Eq15Bands), 3, 0));
        EXPECT_TRUE(Enabled(d, Gain(3)));

        Scroll(d, WM_HSCROLL, Gain(0), TB_THUMBTRACK, -12);
        Scroll(d, WM_HSCROLL, Q(14), TB_THUMBPOSITION, 7);
        now = GetBlob(store.Get(), key::Eq15Bands);
        EXPECT_EQ(0xFFFFFFF4u, Field(now, 0, 8));  // sign-extended
        EXPECT_EQ(3.5f, QField(now, 14));
        EXPECT_EQ(Field(bands, 14, 4), Field(now, 14, 4));
        Scroll(d, WM_HSCROLL, IDC_EQ15_TREBLE_GAIN, TB_THUMBTRACK, 12);
        EXPECT_EQ(Record(1, 17000, 12, 9.0f), GetBlob(store.Get(), key::Eq15Treble));
        Scroll(d, WM_HSCROLL, Gain(1), TB_PAGEDOWN, 5);  // writes nothing
        EXPECT_EQ(Field(bands, 1, 8), Field(GetBlob(store.Get(), key::Eq15Bands), 1, 8));

        // A record that does not read is replaced by zeros, without the change.
        Click(d, IDC_EQ15_BASS_ON);
        EXPECT_EQ(Bytes(16), GetBlob(store.Get(), key::Eq15Bass));
        EXPECT_FALSE(Checked(d, IDC_EQ15_BASS_ON));  // the reload shows the zero record
        Click(d, IDC_EQ15_BASS_ON);
        EXPECT_EQ(Record(1, 0, 0), GetBlob(store.Get(), key::Eq15Bass));
        EXPECT_TRUE(Enabled(d, IDC_EQ15_BASS_SCALE));

        Click(d, IDC_EQ15_LINEAR);
        Click(d, IDC_EQ15_CASCADING);
        EXPECT_EQ(1u, Stored(store.Get(), key::Eq15PhaseMode));
        EXPECT_EQ(1u, Stored(store.Get(), key::Eq15ParallelMode));
        Click(d, IDC_EQ15_MINIMAL);
        Click(d, IDC_EQ15_PARALLEL);
        EXPECT_EQ(0u, Stored(store.Get(), key::Eq15PhaseMode));
        EXPECT_EQ(0u, Stored(store.Get(), key::Eq15ParallelMode));
    }});
}

TEST_F(Equalizer15Dialog, EnterCommitsAFrequencyClampedToItsField) {
    PutBytes(store.Get(), key::Eq15Bass, Record(1, 85, 0));
    PutBytes(store.Get(), key::Eq15Treble, Record(1, 17000, 0));
    PutBytes(store.Get(), key::Eq15Bands, Bands());
    Open({[&](HWND d) {
        TypeAndEnter(d, IDC_EQ15_BASS_FREQ, L"95");
        EXPECT_EQ(L"90", Text(d, IDC_EQ15_BASS_FREQ));
        EXPECT_EQ(90u, Field(GetBlob(store.Get(), key::Eq15Bass), 0, 4));
        TypeAndEnter(d, Freq(14), L"12000");
        EXPECT_EQ(12000u, Field(GetBlob(store.Get(), key::Eq15Bands), 14, 4));
        TypeAndEnter(d, Freq(2), L"5");
        EXPECT_EQ(L"150", Text(d, Freq(2)));
        EXPECT_EQ(150u, Field(GetBlob(store.Get(), key::Eq15Bands), 2, 4));
        TypeAndEnter(d, IDC_EQ15_TREBLE_FREQ, L"99999");
        EXPECT_EQ(L"20000", Text(d, IDC_EQ15_TREBLE_FREQ));
        EXPECT_EQ(20000u, Field(GetBlob(store.Get(), key::Eq15Treble), 0, 4));

        // Typing alone stores nothing.
        const Bytes before = GetBlob(store.Get(), key::Eq15Bands);
        const HWND band1 = GetDlgItem(d, Freq(0));
        SendMessageW(band1, EM_SETSEL, 0, -1);
        Type(band1, L"97");
        EXPECT_EQ(before, GetBlob(store.Get(), key::Eq15Bands));
        // The last number is shared: band 2 reporting the same 97 first commits it there.
        const HWND band2 = GetDlgItem(d, Freq(1));
        SendMessageW(band2, EM_SETSEL, 0, -1);
        SendMessageW(band2, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"97"));  // pasted
        EXPECT_EQ(L"100", Text(d, Freq(1)));
        EXPECT_EQ(100u, Field(GetBlob(store.Get(), key::Eq15Bands), 1, 4));
        EXPECT_EQ(Field(before, 0, 4), Field(GetBlob(store.Get(), key::Eq15Bands), 0, 4));
    }});
}

TEST_F(Equalizer15Dialog, TheEnterKeyThroughTheMessageLoopCommitsAndDoesNotClose) {
    PutBytes(store.Get(), key::Eq15Bands, Bands());
    bool open = false;
    Open({
        [&](HWND d) {
            const HWND field = GetDlgItem(d, Freq(7));
            SetFocus(field);
            SendMessageW(field, EM_SETSEL, 0, -1);
            Type(field, L"1200");
            PostMessageW(field, WM_KEYDOWN, VK_RETURN, 0x001C0001);
            PostMessageW(field, WM_KEYUP, VK_RETURN, 0xC01C0001);
        },
        [&](HWND d) {
            open = IsWindow(d) != FALSE;
            EXPECT_EQ(1200u, Field(GetBlob(store.Get(), key::Eq15Bands), 7, 4));
        },
    });
    EXPECT_TRUE(open);
}

TEST_F(Equalizer15Dialog, ResetGainZeroesEveryGainAndKeepsTheRest) {
    const Bytes bands = Bands();
    PutBytes(store.Get(), key::Eq15Bass, Record(1, 85, 7));
    PutBytes(store.Get(), key::Eq15Bands, bands);
    Open({
        [&](HWND d) {
            PostMessageW(d, WM_CLOSE, 0, 0);  // the close box resets too
        },
        [&](HWND d) {
            EXPECT_EQ(Record(1, 85, 0), GetBlob(store.Get(), key::Eq15Bass));
            EXPECT_EQ(Bytes(16), GetBlob(store.Get(), key::Eq15Treble));  // did not read: zeros
            const Bytes now = GetBlob(store.Get(), key::Eq15Bands);
            Bytes expected = bands;
            for (int i = 0; i < 15; ++i) std::memset(expected.data() + 16 * i + 8, 0, 4);
            EXPECT_EQ(expected, now);
            for (int i = 0; i < 15; ++i) EXPECT_EQ(0, Pos(d, Gain(i)));
            EXPECT_EQ(0, Pos(d, IDC_EQ15_BASS_GAIN));
            EXPECT_EQ(2 + 14, Pos(d, Q(14)));
            EXPECT_TRUE(Checked(d, On(13)));
        },
    });
}

TEST(Equalizer15DialogWithoutStore, ControlsAndResetWriteNothing) {
    EXPECT_EQ(S_OK, DialogHarness::OpenWithoutStore(L"15-Band Equalizer", kTitle, {[&](HWND d) {
        Click(d, On(0));
        EXPECT_FALSE(Enabled(d, Gain(0)));  // no write, so no reload either
        TypeAndEnter(d, IDC_EQ15_BASS_FREQ, L"70");
        EXPECT_EQ(L"80", Text(d, IDC_EQ15_BASS_FREQ));  // still clamped on screen
        Click(d, IDCANCEL);
        Click(d, IDC_EQ15_LINEAR);
        EXPECT_TRUE(Checked(d, IDC_EQ15_LINEAR));
    }}));
}
