#include "controlpanel/FlexBassDialog.h"

#include "common/FormatText.h"
#include "settings/PropertyStoreAccess.h"

namespace qx::controlpanel {

namespace {
constexpr size_t kLabelCapacity = 256;
// The level is stored as 0 to 24 and shown as -12 to +12 dB.
constexpr uint32_t kLevelOffset = 12;
}  // namespace

const FlexBassDialog::SpeakerBox* FlexBassDialog::FindBox(int id) {
    for (const SpeakerBox& box : kSpeakerBoxes)
        if (box.id == id) return &box;
    return nullptr;
}

void FlexBassDialog::InitControls() {
    EffectDialog::InitControls();
    // "Front" is always there; the other boxes only when the endpoint has such speakers.
    const uint32_t mask = SpeakerMask();
    for (const SpeakerBox& box : kSpeakerBoxes)
        if (box.id != IDC_FLEX_FRONT) EnableItem(box.id, (mask & box.bits) != 0);
}

void FlexBassDialog::Refresh() {
    IPropertyStore* store = Store();
    if (!store) return;
    uint32_t value = 0;
    if (settings::ReadUInt(store, settings::key::FlexBassCutoff, value)) {
        SetTrackbar(IDC_FLEX_CUTOFF, int(value));
        ShowCutoff(int32_t(value));
    }
    if (settings::ReadUInt(store, settings::key::FlexBassLevel, value)) {
        SetTrackbar(IDC_FLEX_LEVEL, int(value));
        ShowLevel(value);
    }
    if (settings::ReadUInt(store, settings::key::FlexBassSpeakers, value))
        for (const SpeakerBox& box : kSpeakerBoxes) SetChecked(box.id, (value & box.bits) != 0);
}

void FlexBassDialog::OnTrackbar(int id, int pos) {
    EffectDialog::OnTrackbar(id, pos);
    if (id == IDC_FLEX_CUTOFF) ShowCutoff(pos);
    if (id == IDC_FLEX_LEVEL) ShowLevel(uint32_t(pos));
}

void FlexBassDialog::OnClicked(int id) {
    const SpeakerBox* box = FindBox(id);
    IPropertyStore* store = Store();
    if (!box || !store) return;
    // Only this box's bits change; a mask that does not read counts as empty.
    uint32_t mask = 0;
    settings::ReadUInt(store, settings::key::FlexBassSpeakers, mask);
    mask = IsChecked(id) ? (mask | box->bits) : (mask & ~box->bits);
    settings::WriteUInt(store, settings::key::FlexBassSpeakers, mask);
}

void FlexBassDialog::ShowCutoff(int32_t hertz) {
    wchar_t text[kLabelCapacity];
    FormatText(text, kLabelCapacity, L"Bass Cut-off Frequency: %3dHz", int(hertz));
    SetWindowTextW(Item(IDC_FLEX_CUTOFF_LABEL), text);
}

void FlexBassDialog::ShowLevel(uint32_t stored) {
    wchar_t text[kLabelCapacity];
    // Wraps like the 32-bit value it is, whatever was stored.
    FormatText(text, kLabelCapacity, L"Bass Level: %3ddB", int(int32_t(stored - kLevelOffset)));
    SetWindowTextW(Item(IDC_FLEX_LEVEL_LABEL), text);
}

}  // namespace qx::controlpanel
