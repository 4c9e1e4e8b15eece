#pragma once
// Controls of the "Flex Bass" dialog: two trackbars with value labels and the
// large-speaker check boxes.
#define IDC_FLEX_CUTOFF_LABEL 208
#define IDC_FLEX_LEVEL_LABEL 209
#define IDC_FLEX_CUTOFF 210
#define IDC_FLEX_LEVEL 211
#define IDC_FLEX_FRONT 212
#define IDC_FLEX_CENTER 213
#define IDC_FLEX_SIDE 214
#define IDC_FLEX_BACK 215
