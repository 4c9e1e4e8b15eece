#pragma once
// Control ids of the Dolby Surround and Dolby Pro Logic IIx dialogs. Id 268 is "Wide
// Mode" in the first and "Movie" in the second; each dialog knows only its own names.
#define IDC_DOLBY_HEADPHONE 262
#define IDC_DOLBY_VIRTUAL_SPEAKER 263
#define IDC_DOLBY_DH1 264
#define IDC_DOLBY_DH2 265
#define IDC_DOLBY_DH3 266
#define IDC_DOLBY_REFERENCE 267
#define IDC_DOLBY_WIDE 268
#define IDC_PROLOGIC_MOVIE 268
#define IDC_PROLOGIC_MUSIC 269
#define IDC_PROLOGIC_DIMENSION_CAPTION 270
#define IDC_PROLOGIC_DIMENSION_LABEL 271
#define IDC_PROLOGIC_DIMENSION 272
#define IDC_PROLOGIC_WIDTH_CAPTION 273
#define IDC_PROLOGIC_WIDTH_LABEL 274
#define IDC_PROLOGIC_WIDTH 275
#define IDC_PROLOGIC_PANORAMA 276
