#include "controlpanel/DialogTable.h"

#include "controlpanel/EnvironmentDialog.h"
#include "controlpanel/Equalizer15Dialog.h"
#include "controlpanel/EqualizerDialog.h"
#include "controlpanel/FlexBassDialog.h"
#include "controlpanel/SpeakerShifterDialog.h"

namespace qx::controlpanel {

namespace {
// One row per effect that has a settings dialog of its own.
const DialogEntry kDialogTable[] = {
    {settings::EffectEqualizer, &MakeDialog<EqualizerDialog>},
    {settings::EffectEq15, &MakeDialog<Equalizer15Dialog>},
    {settings::EffectEnvironment, &MakeDialog<EnvironmentDialog>},
    {settings::EffectFlexBass, &MakeDialog<FlexBassDialog>},
    {settings::EffectSpeakerShifter, &MakeDialog<SpeakerShifterDialog>},
};

settings::EffectId g_overrideEffect = settings::EffectNone;
DialogFactory g_overrideFactory = nullptr;
}  // namespace

DialogFactory FindDialogFactory(settings::EffectId effect) {
    if (effect == settings::EffectNone) return nullptr;
    if (g_overrideFactory && effect == g_overrideEffect) return g_overrideFactory;
    for (const DialogEntry& entry : kDialogTable)
        if (entry.effect == effect) return entry.create;
    return nullptr;
}

void OverrideDialogFactoryForTest(settings::EffectId effect, DialogFactory factory) {
    g_overrideEffect = factory ? effect : settings::EffectNone;
    g_overrideFactory = factory;
}

}  // namespace qx::controlpanel
