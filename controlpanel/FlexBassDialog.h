#pragma once
// "Flex Bass": the bass cut-off frequency and level, each shown in a label beside its
// trackbar, and the large-speaker mask edited by four check boxes. Boxes for speakers
// the endpoint does not have are disabled. No Reset: Esc and the close box do nothing.
#include <cstdint>

#include "controlpanel/EffectDialog.h"
#include "controlpanel/templates/FlexBassIds.h"

namespace qx::controlpanel {

class FlexBassDialog : public EffectDialog {
public:
    explicit FlexBassDialog(const DialogContext& context) : EffectDialog(context, ControlTable(kControls)) {}

private:
    static constexpr ControlItem kControls[] = {
        Trackbar(IDC_FLEX_CUTOFF, settings::key::FlexBassCutoff, 50, 250),
        Trackbar(IDC_FLEX_LEVEL, settings::key::FlexBassLevel, 0, 24),
    };

    // One large-speaker box: the mask bits it edits (either set shows it checked).
    struct SpeakerBox {
        int id;
        uint32_t bits;
    };
    static constexpr SpeakerBox kSpeakerBoxes[] = {
        {IDC_FLEX_FRONT, 0x3},
        {IDC_FLEX_CENTER, 0x4},
        {IDC_FLEX_SIDE, 0x600},
        {IDC_FLEX_BACK, 0x30},
    };
    static const SpeakerBox* FindBox(int id);

    void InitControls() override;
    void Refresh() override;
    void OnTrackbar(int id, int pos) override;
    void OnClicked(int id) override;

    void ShowCutoff(int32_t hertz);
    void ShowLevel(uint32_t stored);
};

}  // namespace qx::controlpanel
