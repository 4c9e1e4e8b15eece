#include "controlpanel/EnvironmentDialog.h"

namespace qx::controlpanel {

void EnvironmentDialog::InitControls() {
    // The list index is the preset index.
    for (const wchar_t* preset : settings::kEnvironmentPresets)
        SendDlgItemMessageW(Window(), IDC_ENV_PRESETS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(preset));
    EffectDialog::InitControls();
}

void EnvironmentDialog::Refresh() {
    if (Store()) {
        EffectDialog::Refresh();
        return;
    }
    // Without a store no preset is selected; the room size still falls back to "Small room".
    RefreshControl(kControls[kRoomSizeGroup]);
}

}  // namespace qx::controlpanel
