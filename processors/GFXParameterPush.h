#pragma once
// Reads one setting of the global effects from the FX property store and sends it to
// its effect component in the component's byte layout.
#include <windows.h>
#include <propsys.h>

#include "processors/GFXTables.h"
#include "settings/IQXEffectComponent.h"

namespace qx::gfx {

// Reads the key(s) of `rule` starting at `key` and, when the rule says so, calls
// SetParameter of `component` (no call without a component). Returns the status of the
// last component call, or of the last read when nothing was called (E_POINTER without a
// store).
HRESULT PushParameter(IPropertyStore* store, IQXEffectComponent* component, const KeyId& key, const PushRule& rule);

}  // namespace qx::gfx
