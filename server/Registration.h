#pragma once
// Self-registration of the module: scripts of the class table and the type library.
#include <windows.h>

namespace qx {

class Registration {
public:
    static HRESULT Register();
    static HRESULT Unregister();
};

}  // namespace qx
