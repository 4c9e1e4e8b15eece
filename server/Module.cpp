#include "server/Module.h"

#include <vector>

#include "server/ClassTable.h"

namespace qx {

HINSTANCE Module::instance_ = nullptr;
bool Module::startupFailed_ = false;
bool Module::locksCreated_ = false;
std::atomic<LONG> Module::lockCount_{0};
CRITICAL_SECTION Module::classObjectLock_;
CRITICAL_SECTION Module::moduleLock_;

namespace {
struct CleanupAction {
    void (*action)(void*);
    void* context;
};
std::vector<CleanupAction>& CleanupList() {
    static std::vector<CleanupAction> list;
    return list;
}
}  // namespace

bool Module::Startup(HINSTANCE instance) {
    instance_ = instance;
    if (locksCreated_) return !startupFailed_;
    const bool classLock = InitializeCriticalSectionEx(&classObjectLock_, 0, 0) != FALSE;
    const bool moduleLock = InitializeCriticalSectionEx(&moduleLock_, 0, 0) != FALSE;
    if (!classLock || !moduleLock) {
        if (classLock) DeleteCriticalSection(&classObjectLock_);
        if (moduleLock) DeleteCriticalSection(&moduleLock_);
        startupFailed_ = true;
        return false;
    }
    locksCreated_ = true;
    ClassTable::RunHooks(true);
    return true;
}

void Module::Shutdown() {
    if (!locksCreated_) return;
    ClassTable::RunHooks(false);
    auto& list = CleanupList();
    for (auto it = list.rbegin(); it != list.rend(); ++it) it->action(it->context);
    list.clear();
    ClassTable::ReleaseFactories();
    DeleteCriticalSection(&classObjectLock_);
    DeleteCriticalSection(&moduleLock_);
    locksCreated_ = false;
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
