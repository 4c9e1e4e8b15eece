#pragma once
// The DTS dialogs, which their tables describe completely: "DTS Voice Clarity",
// "DTS Neo:PC" and "DTS Surround Sensation".
#include "controlpanel/EffectDialog.h"
#include "controlpanel/templates/DtsEffectIds.h"

namespace qx::controlpanel::dts {

// A level above 10 leaves the thumb where it was (0 on opening).
inline constexpr ControlItem kVoiceClarityControls[] = {
    Trackbar(IDC_CLARITY_LEVEL, settings::key::VoiceClarityLevel, 0, 10, kNoStart, kRangeChecked),
};

// "Cinema" or "Music"; the two trackbars and their labels serve only "Music".
inline constexpr ControlItem kNeoPcControls[] = {
    Radio(IDC_NEO_CINEMA, IDC_NEO_CINEMA, IDC_NEO_MUSIC, settings::key::NeoPcDecodeMode, 0, kStartChecked),
    Radio(IDC_NEO_MUSIC, IDC_NEO_CINEMA, IDC_NEO_MUSIC, settings::key::NeoPcDecodeMode, 1, kAboveZero),
    Trackbar(IDC_NEO_DIMENSION, settings::key::NeoPcDimension, 0, 14, 7),
    Trackbar(IDC_NEO_CENTER_GAIN, settings::key::NeoPcCenterGain, 0, 10, 5),
};
inline constexpr ModeGroup kNeoPcModes[] = {
    {IDC_NEO_MUSIC, 6,
     {IDC_NEO_DIMENSION, IDC_NEO_DIMENSION_CAPTION, IDC_NEO_DIMENSION_LABEL, IDC_NEO_CENTER_GAIN,
      IDC_NEO_CENTER_CAPTION, IDC_NEO_CENTER_LABEL}},
};

// Every refresh starts again from "Headphone Mode", "Movie" and the angle index 2, so a
// value that does not count (or an angle above 5) shows those rather than the previous
// state. The expansion keeps its position instead.
inline constexpr ControlItem kSurroundSensationControls[] = {
    Radio(IDC_SENSATION_HEADPHONE, IDC_SENSATION_HEADPHONE, IDC_SENSATION_SPEAKER, settings::key::SurroundSensationMode,
          1, kStartChecked | kAboveZero | kStartWhenAbsent),
    Radio(IDC_SENSATION_SPEAKER, IDC_SENSATION_HEADPHONE, IDC_SENSATION_SPEAKER, settings::key::SurroundSensationMode,
          0),
    Radio(IDC_SENSATION_MOVIE, IDC_SENSATION_MOVIE, IDC_SENSATION_MUSIC, settings::key::SurroundSensationContent, 0,
          kStartChecked | kStartWhenAbsent),
    Radio(IDC_SENSATION_MUSIC, IDC_SENSATION_MOVIE, IDC_SENSATION_MUSIC, settings::key::SurroundSensationContent, 1,
          kAboveZero),
    Trackbar(IDC_SENSATION_EXPANSION, settings::key::SurroundSensationExpansion, 0, 10, kNoStart, kRangeChecked),
    Trackbar(IDC_SENSATION_ANGLE, settings::key::SurroundSensationSpeakerAngle, 0, 5, 2,
             kRangeChecked | kStartWhenAbsent),
    CheckBox(IDC_SENSATION_MIX_LFE, settings::key::SurroundSensationMixLfe),
};
// Content type and the LFE box serve both modes.
inline constexpr ModeGroup kSurroundSensationModes[] = {
    {IDC_SENSATION_SPEAKER, 4,
     {IDC_SENSATION_EXPANSION, IDC_SENSATION_EXPANSION_LABEL, IDC_SENSATION_ANGLE, IDC_SENSATION_ANGLE_LABEL}},
};

inline constexpr ControlTable kVoiceClarityTable{kVoiceClarityControls};
inline constexpr ControlTable kNeoPcTable{kNeoPcControls, kNeoPcModes};
inline constexpr ControlTable kSurroundSensationTable{kSurroundSensationControls, kSurroundSensationModes};

}  // namespace qx::controlpanel::dts
