#pragma once
// Controls of the "Environment" dialog: the preset list and the three room sizes.
#define IDC_ENV_PRESETS 204
#define IDC_ENV_SMALL_ROOM 205
#define IDC_ENV_MEDIUM_ROOM 206
#define IDC_ENV_LARGE_ROOM 207
