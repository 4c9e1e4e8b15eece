#include "controlpanel/VocalRemoverDialog.h"

#include "controlpanel/templates/VoiceEffectIds.h"

namespace qx::controlpanel {

namespace {
namespace key = settings::key;
// Every refresh starts from the amount 0 and "Male Voice": a value that does not count,
// and a band above 3, show those.
constexpr ControlItem kControls[] = {
    Trackbar(IDC_REMOVER_AMOUNT, key::VocalRemoverAmount, -48, 48, kNoStart, kSigned | kStartWhenAbsent),
    Radio(IDC_REMOVER_MALE, IDC_REMOVER_MALE, IDC_REMOVER_FULL, key::VocalRemoverBand, 0, kFallback),
    Radio(IDC_REMOVER_FEMALE, IDC_REMOVER_MALE, IDC_REMOVER_FULL, key::VocalRemoverBand, 1),
    Radio(IDC_REMOVER_BASS, IDC_REMOVER_MALE, IDC_REMOVER_FULL, key::VocalRemoverBand, 2),
    Radio(IDC_REMOVER_FULL, IDC_REMOVER_MALE, IDC_REMOVER_FULL, key::VocalRemoverBand, 3),
};
}  // namespace

VocalRemoverDialog::VocalRemoverDialog(const DialogContext& context) : EffectDialog(context, ControlTable(kControls)) {}

void VocalRemoverDialog::OnReset() {
    // Only the amount goes back to 0; the reload shows the band as stored.
    if (!Store()) return;
    WriteValue(key::VocalRemoverAmount, 0);
    SendRefresh();
}

}  // namespace qx::controlpanel
