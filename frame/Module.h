#pragma once
// Module-wide state: the lock count that decides when the DLL may unload, the two
// critical sections, the start-up failure flag and the clean-up list run at unload.
#include <windows.h>

#include <atomic>
#include <memory>

#include "common/Handles.h"
#include "common/LockHolder.h"

namespace qx {

class Module {
public:
    // DLL_PROCESS_ATTACH (or a test's start): creates the locks; false when one failed.
    static bool Startup(HINSTANCE instance);
    // DLL_PROCESS_DETACH: runs the clean-up list (newest first), then deletes the locks.
    static void Shutdown();

    static HINSTANCE Instance() { return instance_; }
    static bool StartupFailed() { return startupFailed_; }

    static void Lock() { ++lockCount_; }
    static void Unlock() { --lockCount_; }
    static LONG LockCount() { return lockCount_.load(); }

    // Guards the creation of cached class objects.
    static CriticalSection& ClassObjectLock() { return *classObjectLock_; }
    // Guards module-wide caches and the clean-up list.
    static CriticalSection& ModuleLock() { return *moduleLock_; }

    // Registers an action run at Shutdown; call with the module lock held.
    static bool AddCleanup(void (*action)(void*), void* context);

private:
    static HINSTANCE instance_;
    static bool startupFailed_;
    static std::atomic<LONG> lockCount_;
    static std::unique_ptr<CriticalSection> classObjectLock_;
    static std::unique_ptr<CriticalSection> moduleLock_;
};

// Holds one module lock for its lifetime; every object of the module owns one.
using ModuleLockHolder = LockHolder<Module>;

}  // namespace qx
