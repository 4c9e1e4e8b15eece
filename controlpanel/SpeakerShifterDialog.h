#pragma once
// "Virtual Speaker Shifter": an angle and a distance trackbar per speaker (LFE has only a
// distance) and the Nuvex Surround Max switch. "Reset" (also Esc and the close box) puts
// every trackbar back at its default, and stores the defaults when there is a store.
#include "controlpanel/EffectDialog.h"

namespace qx::controlpanel {

class SpeakerShifterDialog : public EffectDialog {
public:
    explicit SpeakerShifterDialog(const DialogContext& context);

private:
    bool HasReset() const override { return true; }
    void OnReset() override;
};

}  // namespace qx::controlpanel
