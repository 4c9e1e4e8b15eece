#include "tests/mic/ZurarurDouble.h"

#include <objbase.h>

#include <chrono>

#include "common/ClassRegistration.h"

namespace qx::test {

namespace {
// Long enough for any worker step under a loaded emulator; never reached when it works.
constexpr DWORD kWaitLimitMs = 20000;
constexpr std::chrono::milliseconds kWaitLimit(kWaitLimitMs);
}  // namespace

// One object answers all three interfaces. Slots the worker never calls fail.
class ZurarurDouble::Object : public UnknownObject<IZurarurAec, IZurarurAecControl, IZurarurAecDeviceList> {
public:
    explicit Object(ZurarurDouble& owner) : owner_(owner) { owner_.ObjectCreated(); }
    ~Object() override { owner_.ObjectDestroyed(); }

    HRESULT STDMETHODCALLTYPE Reserved1() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved2() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved5() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reserved8() override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE IsAvailable(UINT32* available) override {
        if (!available) return E_POINTER;
        *available = owner_.config_.available;
        return owner_.config_.availableResult;
    }
    HRESULT STDMETHODCALLTYPE GetCount(UINT32* count) override {
        if (!count) return E_POINTER;
        *count = owner_.config_.deviceCount;
        return owner_.config_.countResult;
    }
    HRESULT STDMETHODCALLTYPE QueryDevice(UINT32 index, UINT32* state) override {
        owner_.RecordQuery(index);
        const int64_t first = owner_.config_.firstKnownDevice;
        if (!state) return E_POINTER;
        *state = 1;
        return first >= 0 && int64_t(index) >= first ? S_OK : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE SetEnabled(UINT32 index, UINT32 enabled) override {
        return owner_.RecordSet(index, enabled);
    }

private:
    // The device list is withheld when the configuration says the object has none.
    void* FindInterface(REFIID riid) override {
        if (!owner_.config_.hasDeviceList && IsEqualIID(riid, __uuidof(IZurarurAecDeviceList))) return nullptr;
        return UnknownObject::FindInterface(riid);
    }

    ZurarurDouble& owner_;
};

ZurarurDouble::ZurarurDouble() : ZurarurDouble(Config()) {}

ZurarurDouble::ZurarurDouble(Config config)
    : config_(config),
      hold_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      quit_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this] { RegistrationThread(); });
    WaitForSingleObject(ready_.Get(), INFINITE);
}

ZurarurDouble::~ZurarurDouble() {
    ReleaseHold();
    SetEvent(quit_.Get());
    thread_.join();
}

// Joins the multithreaded apartment, registers the class there and keeps the apartment
// alive until the double goes away.
void ZurarurDouble::RegistrationThread() {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
        const ClassRegistration registration(
            CLSID_ZurarurAec, [this](REFIID riid, void** ppv) { return QueryNewObject(new Object(*this), riid, ppv); });
        registered_ = SUCCEEDED(init) && registration.Registered();
        SetEvent(ready_.Get());
        WaitForSingleObject(quit_.Get(), INFINITE);
    }
    if (SUCCEEDED(init)) CoUninitialize();
}

std::vector<ZurarurDouble::SetCall> ZurarurDouble::Sets() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sets_;
}

std::vector<UINT32> ZurarurDouble::QueriedDevices() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return queried_;
}

long ZurarurDouble::Created() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return created_;
}

long ZurarurDouble::Alive() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return alive_;
}

bool ZurarurDouble::WaitForSets(size_t n) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, kWaitLimit, [&] { return sets_.size() >= n; });
}

bool ZurarurDouble::WaitUntilAllReleased(long created) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, kWaitLimit, [&] { return created_ >= created && alive_ == 0; });
}

// Called once the object was made (a wait above saw it), so the handle is set.
bool ZurarurDouble::WaitForCreatorThreadEnd() {
    return WaitForSingleObject(creatorThread_.Get(), kWaitLimitMs) == WAIT_OBJECT_0;
}

void ZurarurDouble::ReleaseHold() { SetEvent(hold_.Get()); }

void ZurarurDouble::ObjectCreated() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++created_;
    ++alive_;
    creatorThread_.Reset(OpenThread(SYNCHRONIZE, FALSE, GetCurrentThreadId()));
    changed_.notify_all();
}

void ZurarurDouble::ObjectDestroyed() {
    std::lock_guard<std::mutex> lock(mutex_);
    --alive_;
    changed_.notify_all();
}

void ZurarurDouble::RecordQuery(UINT32 index) {
    std::lock_guard<std::mutex> lock(mutex_);
    queried_.push_back(index);
}

HRESULT ZurarurDouble::RecordSet(UINT32 device, UINT32 enabled) {
    bool first;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        first = sets_.empty();
        sets_.push_back({device, enabled});
        changed_.notify_all();
    }
    // Bounded, so that a processor that waits for a held worker fails instead of hanging.
    if (first && config_.holdFirstSet) WaitForSingleObject(hold_.Get(), kWaitLimitMs);
    return first ? config_.setResult : S_OK;
}

}  // namespace qx::test
