#pragma once
// Driving a processor through IQXEffectProcessor as the audio engine does, and what every
// processor's dispatch slots must answer.
#include <windows.h>
#include <propsys.h>

#include "processors/IQXEffectProcessor.h"
#include "settings/EffectSchema.h"

namespace qx::test {

// Reports a changed key of the FX store `fx` to the processor.
HRESULT ReportChange(IQXEffectProcessor* processor, IPropertyStore* fx, const settings::KeyId& key);

// The dispatch slots of the processing interface count one type information but have
// none to give, and no name or call goes through them.
void ExpectProcessorDispatchDescribesNothing(IQXEffectProcessor* processor, LCID locale);

}  // namespace qx::test
