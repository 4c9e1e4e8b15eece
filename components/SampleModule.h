#pragma once
// Module-wide state of the sample components DLL: its instance handle and the lock
// count that DllCanUnloadNow reports (one lock per live object or client-held factory).
#include <windows.h>

#include <atomic>

#include "common/LockHolder.h"

namespace qx::samplefx {

class SampleModule {
public:
    static void SetInstance(HINSTANCE instance) { instance_ = instance; }
    static HINSTANCE Instance() { return instance_; }

    static void Lock() { ++locks_; }
    static void Unlock() { --locks_; }
    static LONG LockCount() { return locks_.load(); }

private:
    static HINSTANCE instance_;
    static std::atomic<LONG> locks_;
};

// One module lock for the holder's lifetime.
using SampleModuleLock = LockHolder<SampleModule>;

}  // namespace qx::samplefx
