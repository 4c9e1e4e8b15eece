#pragma once
// "Environment": the reverberation preset chosen from a list and the room size from
// three radio buttons. It has no Reset, so Esc and the close box do nothing.
#include "controlpanel/EffectDialog.h"
#include "controlpanel/templates/EnvironmentIds.h"

namespace qx::controlpanel {

class EnvironmentDialog : public EffectDialog {
public:
    explicit EnvironmentDialog(const DialogContext& context) : EffectDialog(context, ControlTable(kControls)) {}

private:
    // A preset that does not read selects the first entry ("Default"); a room size that
    // does not read, or names no button, checks "Small room".
    static constexpr ControlItem kControls[] = {
        ListBox(IDC_ENV_PRESETS, settings::key::EnvironmentPreset, kStartWhenAbsent),
        Radio(IDC_ENV_SMALL_ROOM, IDC_ENV_SMALL_ROOM, IDC_ENV_LARGE_ROOM, settings::key::EnvironmentRoomSize, 0,
              kFallback),
        Radio(IDC_ENV_MEDIUM_ROOM, IDC_ENV_SMALL_ROOM, IDC_ENV_LARGE_ROOM, settings::key::EnvironmentRoomSize, 1),
        Radio(IDC_ENV_LARGE_ROOM, IDC_ENV_SMALL_ROOM, IDC_ENV_LARGE_ROOM, settings::key::EnvironmentRoomSize, 2),
    };
    static constexpr size_t kRoomSizeGroup = 1;  // the first button of the room-size group

    void InitControls() override;
    void Refresh() override;
};

}  // namespace qx::controlpanel
