#pragma once
// Render global-effects processor: the mixed output of a render endpoint.
#include "processors/EffectProcessor.h"
#include "server/Interfaces.h"

namespace qx {

class QXGFXLib : public EffectProcessor<IQXGFXLib> {
public:
    explicit QXGFXLib(IUnknown* outer);
    ~QXGFXLib() override;
};

}  // namespace qx
