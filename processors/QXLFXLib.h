#pragma once
// Render local-effects processor: one render stream.
#include "processors/EffectProcessor.h"
#include "server/Interfaces.h"

namespace qx {

class QXLFXLib : public EffectProcessor<IQXLFXLib> {
public:
    explicit QXLFXLib(IUnknown* outer);
    ~QXLFXLib() override;
};

}  // namespace qx
