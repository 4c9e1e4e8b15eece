#pragma once
// Runs one of the module's REGISTRY resources against the Win32 registry.
#include <windows.h>

#include "server/RegScript.h"
#include "server/ReplacementList.h"

namespace qx {

class ScriptRunner {
public:
    // Reads script `resource` from the module file, expands it with `pairs` followed by
    // APPID, Module and Module_Raw, and interprets it in `mode`.
    static HRESULT Run(UINT resource, RegScript::Mode mode, ReplacementList pairs);

private:
    static HRESULT ReadScript(const std::wstring& modulePath, UINT resource, std::wstring* text);
};

}  // namespace qx
