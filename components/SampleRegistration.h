#pragma once
// Self-registration of the sample classes: HKEY_CLASSES_ROOT\CLSID\{clsid} with the
// class name, InprocServer32 pointing at this DLL and the threading model "Both".
#include <windows.h>

namespace qx::samplefx {

class SampleRegistration {
public:
    // Writes the keys of every class; on a failure removes what it wrote.
    static HRESULT Register(const wchar_t* modulePath);
    // Removes the keys of every class; keys already gone are not an error.
    static HRESULT Unregister();
};

}  // namespace qx::samplefx
