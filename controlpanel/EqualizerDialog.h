#pragma once
// The ten-band "Equalizer": one vertical trackbar per band. The top of a vertical
// trackbar is its minimum, so a gain is shown and stored negated; the arrow keys store
// as well as the thumb. "Reset" (also Esc and the close box) puts every band at 0 dB.
#include "controlpanel/EffectDialog.h"

namespace qx::controlpanel {

class EqualizerDialog : public EffectDialog {
public:
    explicit EqualizerDialog(const DialogContext& context);

private:
    void Refresh() override;
    bool HasReset() const override { return true; }
    void OnReset() override;
};

}  // namespace qx::controlpanel
