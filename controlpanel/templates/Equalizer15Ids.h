#pragma once
// Controls of the "15 Band Equalizer" dialog. Each of the fifteen band rows i (0 to 14)
// has an on check box, a centre-frequency field, a gain trackbar and a Q trackbar, at
// the FIRST id of its kind + i.
#define IDC_EQ15_BASS_FREQ 283
#define IDC_EQ15_TREBLE_FREQ 284
#define IDC_EQ15_BAND_FREQ_FIRST 285
#define IDC_EQ15_BASS_GAIN 300
#define IDC_EQ15_TREBLE_GAIN 301
#define IDC_EQ15_BAND_GAIN_FIRST 302
#define IDC_EQ15_BAND_Q_FIRST 317
#define IDC_EQ15_BASS_ON 332
#define IDC_EQ15_TREBLE_ON 333
#define IDC_EQ15_BAND_ON_FIRST 334
#define IDC_EQ15_BASS_SCALE 349
#define IDC_EQ15_TREBLE_SCALE 350
#define IDC_EQ15_BASS_LABEL 351
#define IDC_EQ15_TREBLE_LABEL 352
#define IDC_EQ15_MINIMAL 353
#define IDC_EQ15_LINEAR 354
#define IDC_EQ15_PARALLEL 355
#define IDC_EQ15_CASCADING 356
