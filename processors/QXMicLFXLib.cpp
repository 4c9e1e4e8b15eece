#include "processors/QXMicLFXLib.h"

namespace qx {

QXMicLFXLib::QXMicLFXLib(IUnknown* outer) : EffectProcessor(outer) {}

QXMicLFXLib::~QXMicLFXLib() = default;

}  // namespace qx
