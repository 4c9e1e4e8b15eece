#pragma once
// What the dispatch slots of every processor must answer.
#include <windows.h>

#include "processors/IQXEffectProcessor.h"

namespace qx::test {

// The dispatch slots of the processing interface count one type information but have
// none to give, and no name or call goes through them.
void ExpectProcessorDispatchDescribesNothing(IQXEffectProcessor* processor, LCID locale);

}  // namespace qx::test
