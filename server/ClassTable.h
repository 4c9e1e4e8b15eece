#pragma once
// The table of creatable classes, in registration and lookup order, with each class's
// cached factory.
#include <windows.h>
#include <unknwn.h>

namespace qx {

// Makes an object of one class, plain (outer null) or aggregated, and answers riid.
using ObjectCreator = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

struct ClassEntry {
    const CLSID* clsid;
    const wchar_t* name;      // class name, as in the ProgIDs
    UINT scriptResource;      // REGISTRY resource with the class's registration script
    ObjectCreator create;     // plain or aggregated object creation
};

class ClassTable {
public:
    static const ClassEntry* Entries();
    static size_t Count();

    // DllGetClassObject's lookup: the cached factory of rclsid, created on first use.
    static HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
};

}  // namespace qx
