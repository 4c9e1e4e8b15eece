#include "controlpanel/Equalizer15Dialog.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <commctrl.h>

#include "controlpanel/templates/Equalizer15Ids.h"
#include "settings/PropertyStoreAccess.h"

namespace qx::controlpanel {

using settings::KeyId;

// One filter of the dialog: its controls, where its record lives and its frequency limits.
struct FilterRow {
    int onId;
    int frequencyId;
    int gainId;
    int qId;  // 0: the filter has no Q (Bass, Treble)
    KeyId key;
    uint32_t blobSize;
    uint32_t recordOffset;
    uint32_t lowHz;
    uint32_t highHz;
};

namespace {
constexpr uint32_t kOnOffset = 0;
constexpr uint32_t kFrequencyOffset = 4;
constexpr uint32_t kGainOffset = 8;
constexpr uint32_t kQOffset = 12;
constexpr uint32_t kRecordSize = uint32_t(settings::kFilterRecordSize);
constexpr uint32_t kBandsSize = uint32_t(settings::kEq15BandsSize);
constexpr int kBandCount = int(settings::kEq15BandCount);
constexpr int kRowCount = 2 + kBandCount;
constexpr int kGainMin = -12, kGainMax = 12;
constexpr int kQMin = 1, kQMax = 20;  // the Q trackbar shows Q x 2

// Band i runs from entry i to entry i + 1.
constexpr uint32_t kBandLimits[kBandCount + 1] = {90,   100,  150,  250,  350,  500,  700,   1000,
                                                  1500, 2000, 2500, 4000, 5000, 8000, 11000, 16000};

struct Rows {
    FilterRow rows[kRowCount];
};
constexpr Rows MakeRows() {
    Rows r{};
    r.rows[0] = {IDC_EQ15_BASS_ON, IDC_EQ15_BASS_FREQ, IDC_EQ15_BASS_GAIN, 0, settings::key::Eq15Bass,
                 kRecordSize, 0, 80, 90};
    r.rows[1] = {IDC_EQ15_TREBLE_ON, IDC_EQ15_TREBLE_FREQ, IDC_EQ15_TREBLE_GAIN, 0, settings::key::Eq15Treble,
                 kRecordSize, 0, 16000, 20000};
    for (int i = 0; i < kBandCount; ++i)
        r.rows[2 + i] = {IDC_EQ15_BAND_ON_FIRST + i, IDC_EQ15_BAND_FREQ_FIRST + i, IDC_EQ15_BAND_GAIN_FIRST + i,
                         IDC_EQ15_BAND_Q_FIRST + i, settings::key::Eq15Bands, kBandsSize, uint32_t(i) * kRecordSize,
                         kBandLimits[i], kBandLimits[i + 1]};
    return r;
}
constexpr Rows kRows = MakeRows();
const FilterRow& kBass = kRows.rows[0];

// The blob keys in the order the refresh reads them and Reset Gain writes them.
struct BlobKey {
    KeyId key;
    uint32_t size;
};
constexpr BlobKey kBlobs[] = {
    {settings::key::Eq15Bass, kRecordSize},
    {settings::key::Eq15Treble, kRecordSize},
    {settings::key::Eq15Bands, kBandsSize},
};

constexpr ControlItem kControls[] = {
    Radio(IDC_EQ15_MINIMAL, IDC_EQ15_MINIMAL, IDC_EQ15_LINEAR, settings::key::Eq15PhaseMode, 0, kStartChecked),
    Radio(IDC_EQ15_LINEAR, IDC_EQ15_MINIMAL, IDC_EQ15_LINEAR, settings::key::Eq15PhaseMode, 1, kAboveZero),
    Radio(IDC_EQ15_PARALLEL, IDC_EQ15_PARALLEL, IDC_EQ15_CASCADING, settings::key::Eq15ParallelMode, 0,
          kStartChecked),
    Radio(IDC_EQ15_CASCADING, IDC_EQ15_PARALLEL, IDC_EQ15_CASCADING, settings::key::Eq15ParallelMode, 1,
          kAboveZero),
};

// Each filter's controls are enabled only while its on box is checked.
struct RowModes {
    ModeGroup groups[kRowCount];
};
constexpr RowModes MakeRowModes() {
    RowModes m{};
    m.groups[0] = {IDC_EQ15_BASS_ON, 4,
                   {IDC_EQ15_BASS_FREQ, IDC_EQ15_BASS_GAIN, IDC_EQ15_BASS_SCALE, IDC_EQ15_BASS_LABEL}};
    m.groups[1] = {IDC_EQ15_TREBLE_ON, 4,
                   {IDC_EQ15_TREBLE_FREQ, IDC_EQ15_TREBLE_GAIN, IDC_EQ15_TREBLE_SCALE, IDC_EQ15_TREBLE_LABEL}};
    for (int i = 2; i < kRowCount; ++i) {
        const FilterRow& row = kRows.rows[i];
        m.groups[i] = {row.onId, 3, {row.frequencyId, row.gainId, row.qId}};
    }
    return m;
}
constexpr RowModes kRowModes = MakeRowModes();

const FilterRow* FindRow(int id) {
    for (const FilterRow& row : kRows.rows)
        if (id == row.onId || id == row.frequencyId || id == row.gainId || (row.qId && id == row.qId)) return &row;
    return nullptr;
}

void PutU32(uint8_t* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[i] = uint8_t(value >> (8 * i));
}
uint32_t FloatBits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The Q trackbar position of a stored Q: Q x 2 truncated toward zero; values that are no
// number land on the trackbar's lower end, huge ones on an end it clamps to.
int QPosition(float q) {
    const float twice = q * 2.0f;
    if (std::isnan(twice)) return 0;
    if (twice >= 32767.0f) return 32767;
    if (twice <= -32768.0f) return -32768;
    return int(twice);
}

// Reads a blob key; when it does not count the buffer is all zeros and false is returned.
bool ReadOrZero(IPropertyStore* store, const KeyId& key, uint8_t* bytes, uint32_t size) {
    if (settings::ReadBlob(store, key, bytes, size)) return true;
    std::memset(bytes, 0, size);
    return false;
}
}  // namespace

Equalizer15Dialog::Equalizer15Dialog(const DialogContext& context)
    : EffectDialog(context, ControlTable(kControls, kRowModes.groups)) {}

void Equalizer15Dialog::InitControls() {
    for (const FilterRow& row : kRows.rows) {
        SendDlgItemMessageW(Window(), row.gainId, TBM_SETRANGE, TRUE, MAKELPARAM(WORD(kGainMin), WORD(kGainMax)));
        SetTrackbar(row.gainId, 0);
        if (row.qId) {
            SendDlgItemMessageW(Window(), row.qId, TBM_SETRANGE, TRUE, MAKELPARAM(kQMin, kQMax));
            SetTrackbar(row.qId, kQMin);
        }
        // The fields are multi-line, so setting their text reports no change.
        SetDlgItemInt(Window(), row.frequencyId, 0, FALSE);
    }
    EffectDialog::InitControls();  // "Minimal" and "Parallel"
}

void Equalizer15Dialog::Refresh() {
    if (IPropertyStore* store = Store()) {
        uint8_t bytes[kBandsSize];
        for (const BlobKey& blob : kBlobs) {
            if (!settings::ReadBlob(store, blob.key, bytes, blob.size)) continue;
            for (const FilterRow& row : kRows.rows)
                if (row.key == blob.key) ShowRecord(row, bytes + row.recordOffset);
        }
    }
    // The mode switches, then every row enabled by its on box (also without a store).
    EffectDialog::Refresh();
}

void Equalizer15Dialog::ShowRecord(const FilterRow& row, const uint8_t* record) {
    const settings::FilterRecord filter = settings::DecodeFilterRecord(record);
    SetChecked(row.onId, filter.on != 0);
    SetTrackbar(row.gainId, filter.gain);
    if (row.qId) SetTrackbar(row.qId, QPosition(filter.q));
    SetDlgItemInt(Window(), row.frequencyId, filter.frequency, FALSE);
    if (&row == &kBass) lastFrequency_ = int32_t(filter.frequency);
}

void Equalizer15Dialog::OnTrackbar(int id, int pos) {
    const FilterRow* row = FindRow(id);
    if (!row) return;
    if (id == row->gainId) UpdateField(*row, kGainOffset, uint32_t(int32_t(pos)));
    else if (id == row->qId) UpdateField(*row, kQOffset, FloatBits(float(pos) * 0.5f));
}

void Equalizer15Dialog::OnClicked(int id) {
    const FilterRow* row = FindRow(id);
    if (!row || id != row->onId) {
        EffectDialog::OnClicked(id);  // the mode radio buttons
        return;
    }
    if (!Store()) return;
    UpdateField(*row, kOnOffset, IsChecked(id) ? 1u : 0u);
    SendRefresh();  // also enables or disables the row
}

void Equalizer15Dialog::OnEditChange(int id) {
    const FilterRow* row = FindRow(id);
    if (row && id == row->frequencyId) CommitFrequency(*row);
}

void Equalizer15Dialog::CommitFrequency(const FilterRow& row) {
    BOOL isNumber = FALSE;
    const UINT typed = GetDlgItemInt(Window(), row.frequencyId, &isNumber, FALSE);
    if (!isNumber) return;
    // Typing reports each new number once; the same number twice in a row (Enter adds a
    // line break, which reports it again) commits it.
    const bool repeated = int32_t(typed) == lastFrequency_;
    lastFrequency_ = int32_t(typed);
    if (!repeated) return;
    const uint32_t hz = std::clamp<uint32_t>(typed, row.lowHz, row.highHz);
    SetDlgItemInt(Window(), row.frequencyId, hz, FALSE);
    if (Store()) UpdateField(row, kFrequencyOffset, hz);
    if (&row == &kBass) lastFrequency_ = int32_t(hz);
}

void Equalizer15Dialog::UpdateField(const FilterRow& row, uint32_t fieldOffset, uint32_t value) {
    IPropertyStore* store = Store();
    if (!store) return;
    // A blob that does not count is replaced by zeros, without the change.
    uint8_t bytes[kBandsSize];
    if (ReadOrZero(store, row.key, bytes, row.blobSize)) PutU32(bytes + row.recordOffset + fieldOffset, value);
    settings::WriteBlob(store, row.key, bytes, row.blobSize);
}

void Equalizer15Dialog::OnReset() {
    IPropertyStore* store = Store();
    if (!store) return;
    // Only the gains change; on flags, frequencies and Q values stay.
    uint8_t bytes[kBandsSize];
    for (const BlobKey& blob : kBlobs) {
        if (ReadOrZero(store, blob.key, bytes, blob.size))
            for (uint32_t at = 0; at < blob.size; at += kRecordSize) PutU32(bytes + at + kGainOffset, 0);
        settings::WriteBlob(store, blob.key, bytes, blob.size);
    }
    SendRefresh();
}

}  // namespace qx::controlpanel
