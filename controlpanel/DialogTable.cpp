#include "controlpanel/DialogTable.h"

#include "controlpanel/DolbyDialogTables.h"
#include "controlpanel/DtsDialogTables.h"
#include "controlpanel/EnvironmentDialog.h"
#include "controlpanel/Equalizer15Dialog.h"
#include "controlpanel/EqualizerDialog.h"
#include "controlpanel/FlexBassDialog.h"
#include "controlpanel/NuvexDialogTables.h"
#include "controlpanel/NuvexSurroundDialog.h"
#include "controlpanel/SpeakerShifterDialog.h"
#include "controlpanel/VocalRemoverDialog.h"
#include "controlpanel/VoiceDialogTables.h"

namespace qx::controlpanel {

namespace {
// One row per effect that has a settings dialog of its own.
const DialogEntry kDialogTable[] = {
    {settings::EffectEqualizer, &MakeDialog<EqualizerDialog>},
    {settings::EffectEq15, &MakeDialog<Equalizer15Dialog>},
    {settings::EffectEnvironment, &MakeDialog<EnvironmentDialog>},
    {settings::EffectFlexBass, &MakeDialog<FlexBassDialog>},
    {settings::EffectSpeakerShifter, &MakeDialog<SpeakerShifterDialog>},
    {settings::EffectNuvex, &MakeDialog<NuvexSurroundDialog>},
    {settings::EffectNuvexHeadphone, &MakeDialog<TableDialog<nuvex::kHeadphoneTable>>},
    {settings::EffectKeyShifting, &MakeDialog<TableDialog<voice::kKeyShiftingTable>>},
    {settings::EffectVocalFading, &MakeDialog<TableDialog<voice::kVocalFadingTable>>},
    {settings::EffectMicEcho, &MakeDialog<TableDialog<voice::kMicrophoneEchoTable>>},
    {settings::EffectMagicVoice, &MakeDialog<TableDialog<voice::kMagicVoiceTable>>},
    {settings::EffectVocalRemover, &MakeDialog<VocalRemoverDialog>},
    {settings::EffectVoiceClarity, &MakeDialog<TableDialog<dts::kVoiceClarityTable>>},
    {settings::EffectNeoPC, &MakeDialog<TableDialog<dts::kNeoPcTable>>},
    {settings::EffectSurroundSensation, &MakeDialog<TableDialog<dts::kSurroundSensationTable>>},
    {settings::EffectDolbySurround, &MakeDialog<TableDialog<dolby::kSurroundTable>>},
    {settings::EffectProLogic, &MakeDialog<TableDialog<dolby::kProLogicTable>>},
};
}  // namespace

DialogFactory FindDialogFactory(settings::EffectId effect) {
    if (effect == settings::EffectNone) return nullptr;
    for (const DialogEntry& entry : kDialogTable)
        if (entry.effect == effect) return entry.create;
    return nullptr;
}

}  // namespace qx::controlpanel
