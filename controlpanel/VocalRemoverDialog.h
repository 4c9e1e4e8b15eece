#pragma once
// "Vocal Remover": the removal amount on a trackbar, the voice band as four radio
// buttons, and a "Reset" (also Esc and the close box) that zeroes the amount.
#include "controlpanel/EffectDialog.h"

namespace qx::controlpanel {

class VocalRemoverDialog : public EffectDialog {
public:
    explicit VocalRemoverDialog(const DialogContext& context);

protected:
    bool HasReset() const override { return true; }
    void OnReset() override;
};

}  // namespace qx::controlpanel
