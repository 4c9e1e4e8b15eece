#pragma once
// Capture local-effects processor: one microphone stream.
#include "processors/EffectProcessor.h"
#include "server/Interfaces.h"

namespace qx {

class QXMicLFXLib : public EffectProcessor<IQXMicLFXLib> {
public:
    explicit QXMicLFXLib(IUnknown* outer);
    ~QXMicLFXLib() override;
};

}  // namespace qx
