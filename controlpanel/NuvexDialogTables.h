#pragma once
// The "Nuvex Surround Headphone" dialog, which its table describes completely: the room
// size ("Small" until the store says otherwise) and the Nuvex Surround Max switch. It
// never touches the headphone/speaker choice, which belongs to the loudspeaker dialog.
#include "controlpanel/EffectDialog.h"
#include "controlpanel/templates/NuvexSurroundIds.h"

namespace qx::controlpanel::nuvex {

inline constexpr ControlItem kHeadphoneControls[] = {
    Radio(IDC_NUVEX_SMALL, IDC_NUVEX_SMALL, IDC_NUVEX_LARGE, settings::key::NuvexRoomSize, 2, kStartChecked),
    Radio(IDC_NUVEX_MEDIUM, IDC_NUVEX_SMALL, IDC_NUVEX_LARGE, settings::key::NuvexRoomSize, 1),
    Radio(IDC_NUVEX_LARGE, IDC_NUVEX_SMALL, IDC_NUVEX_LARGE, settings::key::NuvexRoomSize, 0),
    CheckBox(IDC_NUVEX_MAX, settings::key::NuvexMaxEnable),
};

inline constexpr ControlTable kHeadphoneTable{kHeadphoneControls};

}  // namespace qx::controlpanel::nuvex
