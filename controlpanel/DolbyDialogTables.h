#pragma once
// The Dolby dialogs, which their tables describe completely: "Dolby Surround" and
// "Dolby Pro Logic IIx". Control id 268 has a different meaning in each.
#include "controlpanel/EffectDialog.h"
#include "controlpanel/templates/DolbyEffectIds.h"

namespace qx::controlpanel::dolby {

// Dolby Headphone with its room filter, or Dolby Virtual Speaker with its mode; the
// buttons of the choice not taken are disabled but keep their check. A room filter above
// 2 or a mode above 1 leaves its buttons as they are.
inline constexpr ControlItem kSurroundControls[] = {
    Radio(IDC_DOLBY_HEADPHONE, IDC_DOLBY_HEADPHONE, IDC_DOLBY_VIRTUAL_SPEAKER, settings::key::DolbySurroundMode, 1,
          kStartChecked | kAboveZero),
    Radio(IDC_DOLBY_VIRTUAL_SPEAKER, IDC_DOLBY_HEADPHONE, IDC_DOLBY_VIRTUAL_SPEAKER, settings::key::DolbySurroundMode,
          0),
    Radio(IDC_DOLBY_DH1, IDC_DOLBY_DH1, IDC_DOLBY_DH3, settings::key::DolbyHeadphoneRoom, 0, kStartChecked),
    Radio(IDC_DOLBY_DH2, IDC_DOLBY_DH1, IDC_DOLBY_DH3, settings::key::DolbyHeadphoneRoom, 1),
    Radio(IDC_DOLBY_DH3, IDC_DOLBY_DH1, IDC_DOLBY_DH3, settings::key::DolbyHeadphoneRoom, 2),
    Radio(IDC_DOLBY_REFERENCE, IDC_DOLBY_REFERENCE, IDC_DOLBY_WIDE, settings::key::DolbyVirtualSpeakerMode, 0,
          kStartChecked),
    Radio(IDC_DOLBY_WIDE, IDC_DOLBY_REFERENCE, IDC_DOLBY_WIDE, settings::key::DolbyVirtualSpeakerMode, 1),
};
inline constexpr ModeGroup kSurroundModes[] = {
    {IDC_DOLBY_HEADPHONE, 3, {IDC_DOLBY_DH1, IDC_DOLBY_DH2, IDC_DOLBY_DH3}},
    {IDC_DOLBY_VIRTUAL_SPEAKER, 2, {IDC_DOLBY_REFERENCE, IDC_DOLBY_WIDE}},
};

// "Movie" or "Music"; the trackbars, their labels and "Panorama" serve only "Music". A
// centre width that does not count shows 0, while the dimension keeps its position.
inline constexpr ControlItem kProLogicControls[] = {
    Radio(IDC_PROLOGIC_MOVIE, IDC_PROLOGIC_MOVIE, IDC_PROLOGIC_MUSIC, settings::key::ProLogicDecodeMode, 0,
          kStartChecked),
    Radio(IDC_PROLOGIC_MUSIC, IDC_PROLOGIC_MOVIE, IDC_PROLOGIC_MUSIC, settings::key::ProLogicDecodeMode, 1, kAboveZero),
    Trackbar(IDC_PROLOGIC_DIMENSION, settings::key::ProLogicDimension, 0, 14, 7),
    Trackbar(IDC_PROLOGIC_WIDTH, settings::key::ProLogicCenterWidth, 0, 7, 3, kZeroWhenAbsent),
    CheckBox(IDC_PROLOGIC_PANORAMA, settings::key::ProLogicPanorama),
};
inline constexpr ModeGroup kProLogicModes[] = {
    {IDC_PROLOGIC_MUSIC, 7,
     {IDC_PROLOGIC_DIMENSION, IDC_PROLOGIC_DIMENSION_CAPTION, IDC_PROLOGIC_DIMENSION_LABEL, IDC_PROLOGIC_WIDTH,
      IDC_PROLOGIC_WIDTH_CAPTION, IDC_PROLOGIC_WIDTH_LABEL, IDC_PROLOGIC_PANORAMA}},
};

inline constexpr ControlTable kSurroundTable{kSurroundControls, kSurroundModes};
inline constexpr ControlTable kProLogicTable{kProLogicControls, kProLogicModes};

}  // namespace qx::controlpanel::dolby
