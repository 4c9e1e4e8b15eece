#include "host/ChainSession.h"

#include "host/ComponentProbe.h"

namespace qx::host {

bool ChainSession::Start(const HostOptions& o, uint32_t rate, uint32_t channels, uint32_t period, std::string& error) {
    if (FAILED(apartment_.Status())) return error = "COM start-up failed", false;
    const std::vector<ComponentClass> classes = ComponentClassesOf(o.processor, o.formFactor);
    std::vector<CLSID> ids;
    for (const ComponentClass& c : classes) ids.push_back(c.clsid);
    if (!o.componentsPath.empty()) {
        if (!components_.Load(Widen(o.componentsPath), error)) return false;
        components_.RegisterClasses(ids);
    } else if (!classes.empty() && ProbeComponents(classes).present.empty()) {
        std::string ignored;
        if (components_.Load(ProgramFolder() + L"QXSampleFX.dll", ignored)) components_.RegisterClasses(ids);
    }
    std::string origin;
    if (!session_.Create(o.processor, o.modulePath, origin, error)) return false;
    session_.Initialize(o.formFactor);
    for (const settings::EffectInfo* e : o.enabled) session_.Write({settings::FindKey(e->enableKey), 1, {}, ""});
    for (const SettingValue& s : o.settings) session_.Write(s);
    const HRESULT locked = session_.Lock(rate, channels, channels, period, o.outputTag);
    if (FAILED(locked)) {
        char text[64];
        snprintf(text, sizeof text, "LockForProcess failed with 0x%08lX", static_cast<unsigned long>(locked));
        return error = text, false;
    }
    return true;
}

}  // namespace qx::host
