#pragma once
// The type library stored in the module file (resource TYPELIB 1), or beside it as a
// .tlb file, and its registration.
#include <windows.h>
#include <oaidl.h>

#include <string>

#include "common/ComPtr.h"

namespace qx {

class ModuleTypeLib {
public:
    // Loads the library from the module file at modulePath, else from the same path with
    // the extension .tlb. *loadedFrom receives the path that loaded.
    static HRESULT Load(const std::wstring& modulePath, ComPtr<ITypeLib>& library, std::wstring* loadedFrom);
    // Registers the library under the path it loaded from.
    static HRESULT Register(const std::wstring& modulePath);
    // Removes the registration of the library's identifier, version, locale and system.
    static HRESULT Unregister(const std::wstring& modulePath);
};

}  // namespace qx
