#pragma once
// Module-wide state: the lock count that decides when the DLL may unload, the two
// critical sections, the start-up failure flag and the clean-up list run at unload.
#include <windows.h>

#include <atomic>

#include "common/LockHolder.h"

namespace qx {

class Module {
public:
    // DLL_PROCESS_ATTACH (or a test's start): creates the locks; false when one failed.
    static bool Startup(HINSTANCE instance);
    // DLL_PROCESS_DETACH: runs the clean-up list, releases cached factories, deletes locks.
    static void Shutdown();

    static HINSTANCE Instance() { return instance_; }
    static bool StartupFailed() { return startupFailed_; }

    static void Lock() { ++lockCount_; }
    static void Unlock() { --lockCount_; }
    static LONG LockCount() { return lockCount_.load(); }

    static CRITICAL_SECTION* ClassObjectLock() { return &classObjectLock_; }
    static CRITICAL_SECTION* ModuleLock() { return &moduleLock_; }

    // Registers an action run at Shutdown; call with the module lock held.
    static bool AddCleanup(void (*action)(void*), void* context);

    // Test hook: makes DllGetClassObject see a failed start-up.
    static void SetStartupFailedForTest(bool failed) { startupFailed_ = failed; }

private:
    static HINSTANCE instance_;
    static bool startupFailed_;
    static bool locksCreated_;
    static std::atomic<LONG> lockCount_;
    static CRITICAL_SECTION classObjectLock_;
    static CRITICAL_SECTION moduleLock_;
};

// Holds one module lock for its lifetime; every object of the module owns one.
using ModuleLockHolder = LockHolder<Module>;

}  // namespace qx
