#include "processors/QXGFXLib.h"

namespace qx {

QXGFXLib::QXGFXLib(IUnknown* outer) : EffectProcessor(outer) {}

QXGFXLib::~QXGFXLib() = default;

}  // namespace qx
