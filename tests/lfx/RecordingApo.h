#pragma once
// A stand-in for the hosted audio processing object: one class registered with
// CoRegisterClassObject whose objects answer the three APO interfaces (each can be
// withheld), record what they are given and return what they are told to. Process
// records without allocating, so it can run inside allocation-counting tests.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "common/ClassRegistration.h"
#include "processors/ApoInterfaces.h"

namespace qx::test {

struct ApoBehaviour {
    bool answersApo = true;
    bool answersConfiguration = true;
    bool answersRealTime = true;
    HRESULT initializeResult = S_OK;
    HRESULT lockResult = S_OK;
    HRESULT unlockResult = S_OK;
};

struct ApoRecord {
    std::vector<uint8_t> initData;
    UINT32 initByteCount = 0;
    int initializeCalls = 0;
    int lockCalls = 0;
    int unlockCalls = 0;
    UINT32 lockCounts[2] = {};
    APO_CONNECTION_DESCRIPTOR** lockConnections[2] = {};
    std::atomic<int> processCalls{0};
    std::atomic<UINT32> processCounts[2] = {};
    std::atomic<APO_CONNECTION_PROPERTY**> processConnections[2] = {};
};

class ApoRegistration {
public:
    explicit ApoRegistration(const CLSID& clsid);
    ApoRegistration(const ApoRegistration&) = delete;
    ApoRegistration& operator=(const ApoRegistration&) = delete;

    bool Registered() const { return registration_.Registered(); }
    ApoBehaviour& Behaviour() { return behaviour_; }
    ApoRecord& Record() { return record_; }
    int Created() const { return created_; }
    int Alive() const { return alive_; }

private:
    class Object;
    ApoBehaviour behaviour_;
    ApoRecord record_;
    std::atomic<int> created_{0};
    std::atomic<int> alive_{0};
    ClassRegistration registration_;  // last: revoked before the rest goes
};

}  // namespace qx::test
