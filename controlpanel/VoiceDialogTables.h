#pragma once
// The voice effect dialogs that their tables describe completely: "Key Shifting",
// "Vocal Fading", "Microphone Echo" and "Magic Voice".
#include "controlpanel/EffectDialog.h"
#include "controlpanel/templates/VoiceEffectIds.h"

namespace qx::controlpanel::voice {

// One trackbar each. Every refresh sets the thumb: at the stored value's low 16 bits as
// a signed number, or at 0 when the value does not count or there is no store.
inline constexpr uint16_t kSingleTrackbar = kSigned | kStartWhenAbsent;

inline constexpr ControlItem kKeyShiftingControls[] = {
    Trackbar(IDC_KEY_SHIFT, settings::key::KeyShift, -4, 4, kNoStart, kSingleTrackbar),
};
inline constexpr ControlItem kVocalFadingControls[] = {
    Trackbar(IDC_VOCAL_FADING, settings::key::VocalFadingAmount, 0, 100, kNoStart, kSingleTrackbar),
};
inline constexpr ControlItem kMicrophoneEchoControls[] = {
    Trackbar(IDC_MIC_ECHO, settings::key::MicEchoAmount, -12, 12, kNoStart, kSingleTrackbar),
};

// One voice is always checked: "Monster" unless the store holds 1 to 3.
inline constexpr ControlItem kMagicVoiceControls[] = {
    Radio(IDC_MAGIC_MONSTER, IDC_MAGIC_MONSTER, IDC_MAGIC_FEMALE, settings::key::MagicVoiceType, 0, kFallback),
    Radio(IDC_MAGIC_CARTOON, IDC_MAGIC_MONSTER, IDC_MAGIC_FEMALE, settings::key::MagicVoiceType, 1),
    Radio(IDC_MAGIC_MALE, IDC_MAGIC_MONSTER, IDC_MAGIC_FEMALE, settings::key::MagicVoiceType, 2),
    Radio(IDC_MAGIC_FEMALE, IDC_MAGIC_MONSTER, IDC_MAGIC_FEMALE, settings::key::MagicVoiceType, 3),
};

inline constexpr ControlTable kKeyShiftingTable{kKeyShiftingControls};
inline constexpr ControlTable kVocalFadingTable{kVocalFadingControls};
inline constexpr ControlTable kMicrophoneEchoTable{kMicrophoneEchoControls};
inline constexpr ControlTable kMagicVoiceTable{kMagicVoiceControls};

}  // namespace qx::controlpanel::voice
