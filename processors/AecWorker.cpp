#include "processors/AecWorker.h"

#include <objbase.h>

#include <atomic>
#include <new>

#include "common/ComPtr.h"
#include "frame/Module.h"
#include "processors/ZurarurAec.h"

namespace qx {

struct AecWorker::State {
    // The thread runs module code for as long as it holds the state.
    ModuleLockHolder moduleLock;
    UniqueHandle apply;  // auto-reset: a new flag value is waiting
    UniqueHandle stop;   // auto-reset: end the loop
    UniqueHandle done;   // manual-reset, made by the thread when it reaches its loop
    std::atomic<bool> hasDone{false};
    std::atomic<uint32_t> zurFlag{0};
};

namespace {

HANDLE NewAutoResetEvent() { return CreateEventW(nullptr, FALSE, FALSE, nullptr); }

// The first device index the control interface accepts; 0 when it accepts none.
// False when the device list cannot be read.
bool FindDevice(IZurarurAec* aec, IZurarurAecControl* control, UINT32& device) {
    ComPtr<IZurarurAecDeviceList> list;
    if (FAILED(aec->QueryInterface(__uuidof(IZurarurAecDeviceList), list.PutVoid())) || !list) return false;
    UINT32 count = 0;
    if (FAILED(list->GetCount(&count))) return false;
    device = 0;
    for (UINT32 index = 0; index < count; ++index) {
        UINT32 state = 0;
        if (SUCCEEDED(control->QueryDevice(index, &state))) {
            device = index;
            break;
        }
    }
    return true;
}

}  // namespace

bool AecWorker::Start(uint32_t zurFlag) {
    Stop();
    auto state = std::shared_ptr<State>(new (std::nothrow) State);
    if (!state) return false;
    state->apply.Reset(NewAutoResetEvent());
    state->stop.Reset(NewAutoResetEvent());
    if (!state->apply || !state->stop) return false;
    state->zurFlag.store(zurFlag);

    // The thread owns one reference to the state; it frees it when it ends.
    auto* threadRef = new (std::nothrow) std::shared_ptr<State>(state);
    if (!threadRef) return false;
    HANDLE thread = CreateThread(nullptr, 0, &AecWorker::ThreadMain, threadRef, 0, nullptr);
    if (!thread) {
        delete threadRef;
        return false;
    }
    state_ = std::move(state);
    thread_.Reset(thread);
    return true;
}

void AecWorker::Stop() {
    if (thread_) {
        SetEvent(state_->stop.Get());
        WaitForSingleObject(thread_.Get(), kStopTimeoutMs);
    }
    thread_.Reset();
    state_.reset();  // a thread still running keeps its own reference
}

void AecWorker::Apply(uint32_t zurFlag) {
    if (!thread_) return;
    state_->zurFlag.store(zurFlag);
    SetEvent(state_->apply.Get());
}

bool AecWorker::Waiting() const { return state_ && state_->hasDone.load(); }

DWORD WINAPI AecWorker::ThreadMain(void* context) {
    std::unique_ptr<std::shared_ptr<State>> ref(static_cast<std::shared_ptr<State>*>(context));
    Run(**ref);
    return 0;
}

// The thread does no COM initialisation of its own: it works in the process's
// multithreaded apartment when there is one, and ends at once when there is none.
void AecWorker::Run(State& state) {
    ComPtr<IZurarurAec> aec;
    if (FAILED(CoCreateInstance(CLSID_ZurarurAec, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IZurarurAec),
                                aec.PutVoid())) ||
        !aec)
        return;
    UINT32 available = 0;
    if (FAILED(aec->IsAvailable(&available)) || !available) return;
    ComPtr<IZurarurAecControl> control;
    if (FAILED(aec.As(control)) || !control) return;
    UINT32 device = 0;
    if (!FindDevice(aec.Get(), control.Get(), device)) return;
    if (FAILED(control->SetEnabled(device, state.zurFlag.load()))) return;

    state.done.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    state.hasDone.store(static_cast<bool>(state.done));
    // Stop comes first so that it wins when both are signalled.
    const HANDLE events[2] = {state.stop.Get(), state.apply.Get()};
    while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1)
        control->SetEnabled(device, state.zurFlag.load());
    if (state.done) SetEvent(state.done.Get());
}

}  // namespace qx
