#include "server/Registration.h"

namespace qx {

// Registration arrives with the script interpreter and the type library.
HRESULT Registration::Register() { return E_NOTIMPL; }
HRESULT Registration::Unregister() { return E_NOTIMPL; }

}  // namespace qx
