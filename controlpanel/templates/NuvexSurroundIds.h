#pragma once
// Control ids of the two Nuvex Surround dialogs (the headphone dialog uses the room-size
// buttons and the Nuvex Surround Max box under the same ids).
#define IDC_NUVEX_HEADPHONE 229
#define IDC_NUVEX_SPEAKER 230
#define IDC_NUVEX_SMALL 231
#define IDC_NUVEX_MEDIUM 232
#define IDC_NUVEX_LARGE 233
#define IDC_NUVEX_EXPANSION_LABEL 234
#define IDC_NUVEX_EXPANSION 235
#define IDC_NUVEX_ANGLE 236
#define IDC_NUVEX_ANGLE_LABEL 237
#define IDC_NUVEX_MAX 238
