#include "server/Registration.h"

#include "frame/Identifiers.h"
#include "frame/Module.h"
#include "server/ClassTable.h"
#include "server/ModulePath.h"
#include "server/ModuleTypeLib.h"
#include "server/ScriptRunner.h"
#include "server/resource.h"

namespace qx {

namespace {
// Registration runs in the system locale, whatever the caller's thread uses, and gives
// the caller its locale back on every path.
class SystemThreadLocale {
public:
    SystemThreadLocale() : saved_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemThreadLocale() { SetThreadLocale(saved_); }
    SystemThreadLocale(const SystemThreadLocale&) = delete;
    SystemThreadLocale& operator=(const SystemThreadLocale&) = delete;

private:
    LCID saved_;
};

HRESULT RunAppIdScript(RegScript::Mode mode) {
    ReplacementList pairs;
    pairs.Add(L"APPID", kAppIdText);
    return ScriptRunner::Run(IDR_QXAPOMAIN, mode, std::move(pairs));
}

// The classes in table order; the first failure stops the walk.
HRESULT RunClassScripts(RegScript::Mode mode) {
    for (size_t i = 0; i < ClassTable::Count(); ++i) {
        const HRESULT hr = ScriptRunner::Run(ClassTable::Entries()[i].scriptResource, mode, ReplacementList());
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT ModuleFilePath(std::wstring* path) { return ModulePath::Get(Module::Instance(), path); }
}  // namespace

// No class has component categories, so nothing is registered for them.
HRESULT Registration::Register() {
    SystemThreadLocale locale;
    HRESULT hr = RunAppIdScript(RegScript::Mode::Register);
    if (SUCCEEDED(hr)) hr = RunClassScripts(RegScript::Mode::Register);
    std::wstring path;
    if (SUCCEEDED(hr)) hr = ModuleFilePath(&path);
    if (SUCCEEDED(hr)) hr = ModuleTypeLib::Register(path);
    return hr;
}

// A failure to unregister the type library leaves the AppID registered.
HRESULT Registration::Unregister() {
    SystemThreadLocale locale;
    HRESULT hr = RunClassScripts(RegScript::Mode::Unregister);
    std::wstring path;
    if (SUCCEEDED(hr)) hr = ModuleFilePath(&path);
    if (SUCCEEDED(hr)) hr = ModuleTypeLib::Unregister(path);
    if (SUCCEEDED(hr)) hr = RunAppIdScript(RegScript::Mode::Unregister);
    return hr;
}

}  // namespace qx
