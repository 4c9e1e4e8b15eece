#pragma once
// The "15 Band Equalizer": a Bass and a Treble filter and fifteen bands, each a filter
// record (on, frequency, gain, Q) kept in a blob key, plus the Phase and Parallel mode
// switches. Every change to a record rewrites its whole blob. A frequency field commits
// when the same number is reported twice in a row (Enter in a field does that), and is
// clamped to the field's limits then. "Reset Gain" (also Esc and the close box) sets every
// gain to 0 dB.
#include <cstdint>

#include "controlpanel/EffectDialog.h"

namespace qx::controlpanel {

struct FilterRow;

class Equalizer15Dialog : public EffectDialog {
public:
    explicit Equalizer15Dialog(const DialogContext& context);

private:
    void InitControls() override;
    void Refresh() override;
    void OnTrackbar(int id, int pos) override;
    void OnClicked(int id) override;
    void OnEditChange(int id) override;
    bool HasReset() const override { return true; }
    void OnReset() override;

    void ShowRecord(const FilterRow& row, const uint8_t* record);
    void CommitFrequency(const FilterRow& row);
    // Rewrites the row's blob with one 32-bit field of its record changed.
    void UpdateField(const FilterRow& row, uint32_t fieldOffset, uint32_t value);

    // The number last reported by any frequency field, or loaded or committed for Bass.
    int32_t lastFrequency_ = 0;
};

}  // namespace qx::controlpanel
