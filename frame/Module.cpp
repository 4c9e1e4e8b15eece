#include "frame/Module.h"

#include <new>
#include <vector>

namespace qx {

HINSTANCE Module::instance_ = nullptr;
bool Module::startupFailed_ = false;
std::atomic<LONG> Module::lockCount_{0};
std::unique_ptr<CriticalSection> Module::classObjectLock_;
std::unique_ptr<CriticalSection> Module::moduleLock_;

namespace {
struct CleanupAction {
    void (*action)(void*);
    void* context;
};
std::vector<CleanupAction>& CleanupList() {
    static std::vector<CleanupAction> list;
    return list;
}

// A critical section that initialised, or null.
std::unique_ptr<CriticalSection> MakeLock() {
    std::unique_ptr<CriticalSection> lock(new (std::nothrow) CriticalSection);
    if (lock && !lock->Ok()) lock.reset();
    return lock;
}
}  // namespace

bool Module::Startup(HINSTANCE instance) {
    instance_ = instance;
    if (classObjectLock_ && moduleLock_) return !startupFailed_;
    classObjectLock_ = MakeLock();
    moduleLock_ = MakeLock();
    if (!classObjectLock_ || !moduleLock_) {
        classObjectLock_.reset();
        moduleLock_.reset();
        startupFailed_ = true;
        return false;
    }
    return true;
}

void Module::Shutdown() {
    if (!classObjectLock_) return;
    auto& list = CleanupList();
    for (auto it = list.rbegin(); it != list.rend(); ++it) it->action(it->context);
    list.clear();
    classObjectLock_.reset();
    moduleLock_.reset();
}

bool Module::AddCleanup(void (*action)(void*), void* context) {
    try {
        CleanupList().push_back({action, context});
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace qx
