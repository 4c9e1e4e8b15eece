#pragma once
// A stand-in for the outside Zurarur echo-canceller object. It answers the three
// interfaces the capture worker uses, records what the worker calls and can fail or hold
// any step on demand. It is registered from a thread of the multithreaded apartment,
// because the worker (which does no COM initialisation) finds classes only there.
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "common/Handles.h"
#include "processors/ZurarurAec.h"

namespace qx::test {

class ZurarurDouble {
public:
    struct Config {
        HRESULT availableResult = S_OK;
        UINT32 available = 1;
        bool hasDeviceList = true;
        HRESULT countResult = S_OK;
        UINT32 deviceCount = 3;
        int64_t firstKnownDevice = 1;  // QueryDevice succeeds from this index on; -1: never
        HRESULT setResult = S_OK;
        bool holdFirstSet = false;  // the first SetEnabled waits until ReleaseHold()
    };
    struct SetCall {
        UINT32 device;
        UINT32 enabled;
    };

    // Registers the class in the multithreaded apartment for the double's lifetime.
    ZurarurDouble();
    explicit ZurarurDouble(Config config);
    ~ZurarurDouble();
    ZurarurDouble(const ZurarurDouble&) = delete;
    ZurarurDouble& operator=(const ZurarurDouble&) = delete;

    bool Registered() const { return registered_; }

    std::vector<SetCall> Sets() const;
    std::vector<UINT32> QueriedDevices() const;
    long Created() const;
    long Alive() const;

    // Wait (up to a generous limit) until at least n SetEnabled calls were made, or until
    // at least `created` objects were made and none is alive any more. False on the limit.
    bool WaitForSets(size_t n);
    bool WaitUntilAllReleased(long created = 1);
    // Waits (up to the same limit) until the thread that made the last object has ended,
    // module lock and all. False on the limit or when no object was made.
    bool WaitForCreatorThreadEnd();
    // Lets a held first SetEnabled return.
    void ReleaseHold();

private:
    class Object;
    friend class Object;

    void ObjectCreated();
    void ObjectDestroyed();
    void RecordQuery(UINT32 index);
    HRESULT RecordSet(UINT32 device, UINT32 enabled);
    void RegistrationThread();

    Config config_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<SetCall> sets_;
    std::vector<UINT32> queried_;
    long created_ = 0;
    long alive_ = 0;
    UniqueHandle creatorThread_;
    UniqueHandle hold_;

    std::thread thread_;
    UniqueHandle ready_;
    UniqueHandle quit_;
    bool registered_ = false;
};

}  // namespace qx::test
