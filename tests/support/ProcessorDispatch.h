#pragma once
// The dispatch slots of the processing interface: they count one type information but
// have none to give, and no name or call goes through them.
#include <windows.h>

#include "processors/IQXEffectProcessor.h"

namespace qx::test {

void ExpectProcessorDispatchDescribesNothing(IQXEffectProcessor* processor, LCID locale);

}  // namespace qx::test
