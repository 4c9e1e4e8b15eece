#include "host/qxpanel/FakeComponents.h"

#include <cstring>

#include "controlpanel/EffectListTables.h"

namespace qx::panel {

namespace {
// An object that answers IUnknown and one interface of its class.
class Component : public UnknownObject<IUnknown> {
public:
    explicit Component(const IID& iid) : iid_(iid) {}

private:
    void* FindInterface(REFIID riid) override {
        return IsEqualIID(riid, iid_) ? static_cast<IUnknown*>(this) : UnknownObject::FindInterface(riid);
    }

    IID iid_;
};
}  // namespace

FakeComponents::FakeComponents(const bool (&present)[settings::kEffectCount + 1]) {
    for (size_t c = 0; c < controlpanel::kComponentClassCount; ++c) {
        const controlpanel::ComponentClass& component = controlpanel::kComponentClasses[c];
        bool wanted = false;
        for (uint8_t e = 0; e < component.count; ++e) wanted = wanted || present[component.effects[e]];
        if (!wanted) continue;
        CLSID clsid;
        IID iid;
        std::memcpy(&clsid, &component.clsid, sizeof clsid);
        std::memcpy(&iid, &component.iid, sizeof iid);
        registrations_.push_back(std::make_unique<ClassRegistration>(
            clsid, [iid](REFIID riid, void** ppv) { return QueryNewObject(new Component(iid), riid, ppv); }));
    }
}

}  // namespace qx::panel
