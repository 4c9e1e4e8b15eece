#pragma once
// Resources of the page host.
#define IDD_PANEL 100
#define IDC_PANEL_LIST 101
#define IDC_PANEL_STATUS 102
#define IDC_PANEL_SETTINGS 103
#define IDC_PANEL_APPLY 104
