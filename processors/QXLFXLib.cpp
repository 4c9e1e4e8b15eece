#include "processors/QXLFXLib.h"

namespace qx {

QXLFXLib::QXLFXLib(IUnknown* outer) : EffectProcessor(outer) {}

QXLFXLib::~QXLFXLib() = default;

}  // namespace qx
