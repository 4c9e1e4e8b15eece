#pragma once
// Reads one setting from the FX property store and sends it to its effect component in
// the component's byte layout, as a push rule of the processors' tables says.
#include <windows.h>
#include <propsys.h>

#include "processors/ProcessorTables.h"
#include "settings/IQXEffectComponent.h"

namespace qx {

// Reads the key(s) of `rule` starting at `key` and, when the rule says so, calls
// SetParameter of `component` (no call without a component). Returns the status of the
// last component call, or of the last read when nothing was called (E_POINTER without a
// store); readStatus, when given, receives the status of a single value's read.
HRESULT PushParameter(IPropertyStore* store, IQXEffectComponent* component, const settings::KeyId& key,
                      const PushRule& rule, HRESULT* readStatus = nullptr);

}  // namespace qx
