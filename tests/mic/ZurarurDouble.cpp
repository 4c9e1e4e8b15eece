#include "tests/mic/ZurarurDouble.h"

#include <objbase.h>

#include <chrono>

namespace qx::test {

namespace {
// Long enough for any worker step under a loaded emulator; never reached when it works.
constexpr auto kWaitLimit = std::chrono::seconds(20);
}  // namespace

// One object answers all three interfaces. Slots the worker never calls fail.
class ZurarurDouble::Object : public IZurarurAec, public IZurarurAecControl, public IZurarurAecDeviceList {
public:
    explicit Object(ZurarurDouble& owner) : owner_(owner) { owner_.ObjectCreated(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(IZurarurAec)))
            *ppv = static_cast<IZurarurAec*>(this);
        else if (IsEqualIID(riid, __uuidof(IZurarurAecControl)))
            *ppv = static_cast<IZurarurAecControl*>(this);
        else if (IsEqualIID(riid, __uuidof(IZurarurAecDeviceList)) && owner_.config_.hasDeviceList)
            *ppv = static_cast<IZurarurAecDeviceList*>(this);
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = --refs_;
        if (n == 0) delete this;
        return ULONG(n);
    }

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
    virtual ~Object() { owner_.ObjectDestroyed(); }
    std::atomic<LONG> refs_{1};
    ZurarurDouble& owner_;
};

class ZurarurDouble::Factory : public IClassFactory {
public:
    explicit Factory(ZurarurDouble& owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = --refs_;
        if (n == 0) delete this;
        return ULONG(n);
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* object = new Object(owner_);
        const HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    virtual ~Factory() = default;
    std::atomic<LONG> refs_{1};
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
    auto* factory = new Factory(*this);
    DWORD cookie = 0;
    registered_ = SUCCEEDED(init) && SUCCEEDED(CoRegisterClassObject(CLSID_ZurarurAec, factory, CLSCTX_INPROC_SERVER,
                                                                      REGCLS_MULTIPLEUSE, &cookie));
    SetEvent(ready_.Get());
    WaitForSingleObject(quit_.Get(), INFINITE);
    if (registered_) CoRevokeClassObject(cookie);
    factory->Release();
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

void ZurarurDouble::ReleaseHold() { SetEvent(hold_.Get()); }

void ZurarurDouble::ObjectCreated() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++created_;
    ++alive_;
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
    if (first && config_.holdFirstSet) WaitForSingleObject(hold_.Get(), INFINITE);
    return first ? config_.setResult : S_OK;
}

}  // namespace qx::test
