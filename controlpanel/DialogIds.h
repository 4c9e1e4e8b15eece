#pragma once
// Resource numbers of the settings dialog templates (also the effect table's template
// numbers). Kept as plain defines: the resource compiler reads this file too.
#define IDD_EQUALIZER 106
#define IDD_ENVIRONMENT 107
#define IDD_FLEX_BASS 108
#define IDD_SPEAKER_SHIFTER 109
#define IDD_NUVEX_SURROUND 110
#define IDD_NUVEX_SURROUND_HEADPHONE 111
#define IDD_KEY_SHIFTING 112
#define IDD_VOCAL_FADING 113
#define IDD_MICROPHONE_ECHO 114
#define IDD_MAGIC_VOICE 115
#define IDD_VOICE_CLARITY 116
#define IDD_NEO_PC 117
#define IDD_SURROUND_SENSATION 118
#define IDD_DOLBY_SURROUND 119
#define IDD_PRO_LOGIC 120
#define IDD_VOCAL_REMOVER 121
#define IDD_EQUALIZER_15 122
