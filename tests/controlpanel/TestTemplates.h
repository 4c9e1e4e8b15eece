#pragma once
// The page of the control-panel tests, like the sound control panel's effects page.
#define IDD_TEST_PAGE 900
#define IDC_PAGE_LIST 901
