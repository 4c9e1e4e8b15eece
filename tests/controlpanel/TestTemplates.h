#pragma once
// Templates of the control-panel tests: a page like the sound control panel's effects
// page, and one small settings dialog for the dialog frame.
#define IDD_TEST_PAGE 900
#define IDC_PAGE_LIST 901
#define IDC_PAGE_STATUS 902
#define IDC_PAGE_SETTINGS 903
#define IDC_PAGE_APPLY 904

#define IDD_TEST_DIALOG 910
#define IDC_TEST_LEVEL 911
#define IDC_TEST_GAIN 912
#define IDC_TEST_SWITCH 913
#define IDC_TEST_MODE_A 914
#define IDC_TEST_MODE_B 915
#define IDC_TEST_MODE_C 916
#define IDC_TEST_LIST 917
#define IDC_TEST_DEPENDENT 918
