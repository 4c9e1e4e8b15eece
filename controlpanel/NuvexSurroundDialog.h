#pragma once
// "Nuvex Surround" for loudspeaker endpoints: headphone or speaker rendering; the room
// size in headphone mode, the sound-field expansion and the physical speaker angle in
// speaker mode; and the Nuvex Surround Max switch.
#include "controlpanel/EffectDialog.h"

namespace qx::controlpanel {

class NuvexSurroundDialog : public EffectDialog {
public:
    explicit NuvexSurroundDialog(const DialogContext& context);

protected:
    void Refresh() override;
};

}  // namespace qx::controlpanel
