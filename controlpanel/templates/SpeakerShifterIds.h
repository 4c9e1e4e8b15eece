#pragma once
// Controls of the "Virtual Speaker Shifter" dialog. The trackbars are numbered by speaker
// in this order: LF, RF, C, RB, RS, LS, LB (angles) and LF, RF, C, RB, RS, LS, LB, LFE
// (distances), which is neither the row order nor the key order.
#define IDC_SHIFTER_ANGLE_LF 213
#define IDC_SHIFTER_ANGLE_RF 214
#define IDC_SHIFTER_ANGLE_C 215
#define IDC_SHIFTER_ANGLE_RB 216
#define IDC_SHIFTER_ANGLE_RS 217
#define IDC_SHIFTER_ANGLE_LS 218
#define IDC_SHIFTER_ANGLE_LB 219
#define IDC_SHIFTER_DISTANCE_LF 220
#define IDC_SHIFTER_DISTANCE_RF 221
#define IDC_SHIFTER_DISTANCE_C 222
#define IDC_SHIFTER_DISTANCE_RB 223
#define IDC_SHIFTER_DISTANCE_RS 224
#define IDC_SHIFTER_DISTANCE_LS 225
#define IDC_SHIFTER_DISTANCE_LB 226
#define IDC_SHIFTER_DISTANCE_LFE 227
#define IDC_SHIFTER_NUVEX_MAX 228
