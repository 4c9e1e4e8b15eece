#pragma once
// The capture processor's echo-canceller worker: a thread that keeps the outside Zurarur
// echo canceller switched as the Zur AEC flag says. The owner starts it, hands it every
// new flag value with Apply and stops it before it goes away.
//
// The thread shares a small reference-counted state (its events and its copy of the
// flag) with the owner, so a thread that is slow to end, say inside a call to the outside
// object, never touches freed memory: the owner waits about a second and then lets go.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "common/Handles.h"

namespace qx {

class AecWorker {
public:
    AecWorker() = default;
    ~AecWorker() { Stop(); }
    AecWorker(const AecWorker&) = delete;
    AecWorker& operator=(const AecWorker&) = delete;

    // Starts a new worker (stopping an earlier one first) that applies `zurFlag` at once
    // and again after every Apply. False when its events or its thread could not be made.
    bool Start(uint32_t zurFlag);

    // Signals the worker to end, waits for it for at most kStopTimeoutMs and forgets its
    // thread and events. Does nothing when no worker was started.
    void Stop();

    // Hands the worker the current flag and wakes it; does nothing without a worker.
    // Several calls before the worker wakes lead to one apply with the latest value.
    void Apply(uint32_t zurFlag);

    // True from Start until Stop, also after the thread has ended on its own.
    bool Exists() const { return static_cast<bool>(thread_); }
    // True once the worker has reached its wait loop (its done event exists).
    bool Waiting() const;

    static constexpr DWORD kStopTimeoutMs = 1000;

private:
    struct State;
    static DWORD WINAPI ThreadMain(void* context);
    static void Run(State& state);

    std::shared_ptr<State> state_;
    UniqueHandle thread_;
};

}  // namespace qx
