#include "controlpanel/NuvexSurroundDialog.h"

#include "controlpanel/templates/NuvexSurroundIds.h"
#include "settings/PropertyStoreAccess.h"

namespace qx::controlpanel {

namespace {
namespace key = settings::key;
constexpr ControlItem kControls[] = {
    Radio(IDC_NUVEX_HEADPHONE, IDC_NUVEX_HEADPHONE, IDC_NUVEX_SPEAKER, key::NuvexMode, 1, kStartChecked | kAboveZero),
    Radio(IDC_NUVEX_SPEAKER, IDC_NUVEX_HEADPHONE, IDC_NUVEX_SPEAKER, key::NuvexMode, 0),
    Radio(IDC_NUVEX_SMALL, IDC_NUVEX_SMALL, IDC_NUVEX_LARGE, key::NuvexRoomSize, 2),
    Radio(IDC_NUVEX_MEDIUM, IDC_NUVEX_SMALL, IDC_NUVEX_LARGE, key::NuvexRoomSize, 1, kStartChecked),
    Radio(IDC_NUVEX_LARGE, IDC_NUVEX_SMALL, IDC_NUVEX_LARGE, key::NuvexRoomSize, 0),
    Trackbar(IDC_NUVEX_EXPANSION, key::NuvexExpansion, 0, 3, 3, kRangeChecked),
    Trackbar(IDC_NUVEX_ANGLE, key::NuvexSpeakerAngle, 0, 4, 3, kRangeChecked),
    CheckBox(IDC_NUVEX_MAX, key::NuvexMaxEnable),
};
constexpr ModeGroup kModes[] = {
    {IDC_NUVEX_SPEAKER, 4, {IDC_NUVEX_ANGLE, IDC_NUVEX_ANGLE_LABEL, IDC_NUVEX_EXPANSION, IDC_NUVEX_EXPANSION_LABEL}},
    {IDC_NUVEX_HEADPHONE, 3, {IDC_NUVEX_LARGE, IDC_NUVEX_MEDIUM, IDC_NUVEX_SMALL}},
};
}  // namespace

NuvexSurroundDialog::NuvexSurroundDialog(const DialogContext& context)
    : EffectDialog(context, ControlTable(kControls, kModes)) {}

void NuvexSurroundDialog::Refresh() {
    RefreshControl(*FindControl(IDC_NUVEX_HEADPHONE));
    // A stored speaker mode leaves the room size as it is: it belongs to the other mode.
    uint32_t mode = 0;
    const bool speakerStored = settings::ReadUInt(Store(), key::NuvexMode, mode) && mode == 0;
    if (!speakerStored) RefreshControl(*FindControl(IDC_NUVEX_SMALL));
    for (int id : {IDC_NUVEX_EXPANSION, IDC_NUVEX_ANGLE, IDC_NUVEX_MAX}) RefreshControl(*FindControl(id));
    ApplyModes();
}

}  // namespace qx::controlpanel
