#pragma once
// Which dialog class serves which effect. Each settings dialog adds one row to
// kDialogTable in DialogTable.cpp; its template number comes from the effect table.
#include <memory>
#include <new>

#include "controlpanel/EffectDialog.h"
#include "settings/EffectSchema.h"

namespace qx::controlpanel {

using DialogFactory = std::unique_ptr<EffectDialog> (*)(const DialogContext& context);

struct DialogEntry {
    settings::EffectId effect;
    DialogFactory create;
};

template <class T>
std::unique_ptr<EffectDialog> MakeDialog(const DialogContext& context) {
    return std::unique_ptr<EffectDialog>(new (std::nothrow) T(context));
}

// The factory of an effect's dialog, or null when it has none.
DialogFactory FindDialogFactory(settings::EffectId effect);

}  // namespace qx::controlpanel
