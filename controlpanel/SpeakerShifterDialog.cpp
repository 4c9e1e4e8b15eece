#include "controlpanel/SpeakerShifterDialog.h"

#include "controlpanel/templates/SpeakerShifterIds.h"

namespace qx::controlpanel {

namespace {
constexpr int32_t kDefaultDistance = 30;

// Speakers are numbered LF, C, RF, RS, RB, LB, LS (angles) and the same plus LFE (distances).
constexpr ControlItem Angle(int id, uint32_t speaker, int32_t start) {
    return Trackbar(id, settings::key::SpeakerShifterAngle(speaker), -180, 180, start, kSigned);
}
constexpr ControlItem Distance(int id, uint32_t speaker) {
    return Trackbar(id, settings::key::SpeakerShifterDistance(speaker), 19, 50, kDefaultDistance, kSigned);
}

// In key order, which is the order the refresh reads them.
constexpr ControlItem kControls[] = {
    Angle(IDC_SHIFTER_ANGLE_LF, 0, -45),
    Angle(IDC_SHIFTER_ANGLE_C, 1, 0),
    Angle(IDC_SHIFTER_ANGLE_RF, 2, 45),
    Angle(IDC_SHIFTER_ANGLE_RS, 3, 90),
    Angle(IDC_SHIFTER_ANGLE_RB, 4, 135),
    Angle(IDC_SHIFTER_ANGLE_LB, 5, -135),
    Angle(IDC_SHIFTER_ANGLE_LS, 6, -90),
    Distance(IDC_SHIFTER_DISTANCE_LF, 0),
    Distance(IDC_SHIFTER_DISTANCE_C, 1),
    Distance(IDC_SHIFTER_DISTANCE_RF, 2),
    Distance(IDC_SHIFTER_DISTANCE_RS, 3),
    Distance(IDC_SHIFTER_DISTANCE_RB, 4),
    Distance(IDC_SHIFTER_DISTANCE_LB, 5),
    Distance(IDC_SHIFTER_DISTANCE_LS, 6),
    Distance(IDC_SHIFTER_DISTANCE_LFE, 7),
    CheckBox(IDC_SHIFTER_NUVEX_MAX, settings::key::NuvexMaxEnable),
};

bool IsDistance(const ControlItem& item) {
    return item.binding == Binding::Trackbar && item.key.pid >= settings::key::SpeakerShifterDistance(0).pid;
}
bool IsAngle(const ControlItem& item) { return item.binding == Binding::Trackbar && !IsDistance(item); }
}  // namespace

SpeakerShifterDialog::SpeakerShifterDialog(const DialogContext& context)
    : EffectDialog(context, ControlTable(kControls)) {}

void SpeakerShifterDialog::OnReset() {
    // The distances are stored before the angles (WriteValue does nothing without a
    // store); the thumbs move in either case. The Nuvex Surround Max switch stays.
    for (bool (*kind)(const ControlItem&) : {&IsDistance, &IsAngle})
        for (const ControlItem& item : kControls)
            if (kind(item)) WriteValue(item.key, item.start);
    for (const ControlItem& item : kControls)
        if (item.binding == Binding::Trackbar) RestoreStart(item);
}

}  // namespace qx::controlpanel
