#include "controlpanel/EqualizerDialog.h"

#include "controlpanel/templates/EqualizerIds.h"

namespace qx::controlpanel {

namespace {
// Trackbar 202 + i edits band i + 1 (30 Hz first); a band that does not read shows 0 dB.
constexpr ControlItem Band(int i) {
    return Trackbar(IDC_EQ_BAND_FIRST + i, settings::key::EqualizerBand(uint32_t(i + 1)), -20, 20, kNoStart,
                    kSigned | kNegated | kLineKeys | kStartWhenAbsent);
}
constexpr ControlItem kControls[] = {Band(0), Band(1), Band(2), Band(3), Band(4),
                                     Band(5), Band(6), Band(7), Band(8), Band(9)};
static_assert(IDC_EQ_BAND_FIRST + 9 == IDC_EQ_BAND_LAST);
}  // namespace

EqualizerDialog::EqualizerDialog(const DialogContext& context) : EffectDialog(context, ControlTable(kControls)) {}

void EqualizerDialog::Refresh() {
    // Without a store the thumbs stay where they are.
    if (Store()) EffectDialog::Refresh();
}

void EqualizerDialog::OnReset() {
    if (!Store()) return;
    for (const ControlItem& band : kControls) WriteValue(band.key, 0);
    SendRefresh();
}

}  // namespace qx::controlpanel
