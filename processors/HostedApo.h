#pragma once
// The one Windows audio processing object that the render local-effects processor
// hosts. Its absence is not an error: the operations then report 0, and Process reports
// 1 (nothing written).
#include <windows.h>

#include "common/ComPtr.h"
#include "processors/ApoInterfaces.h"

namespace qx {

class HostedApo {
public:
    // Creates the object and initialises it with the host's bytes, replacing any object
    // held before. A class that is not registered or lacks the interface is reported as 0.
    HRESULT Initialize(REFCLSID clsid, UINT32 byteCount, BYTE* data);
    // The object's lock (0 without the object or its configuration interface); then the
    // processing interface is taken again for the periods of this lock.
    HRESULT LockForProcess(UINT32 inCount, APO_CONNECTION_DESCRIPTOR** inputs, UINT32 outCount,
                           APO_CONNECTION_DESCRIPTOR** outputs);
    HRESULT UnlockForProcess();
    // 0 after the object processed the connections, 1 when nothing ran.
    HRESULT Process(UINT32 inCount, APO_CONNECTION_PROPERTY** inputs, UINT32 outCount,
                    APO_CONNECTION_PROPERTY** outputs);

    void Reset() {
        realTime_.Reset();
        object_.Reset();
    }

private:
    // Takes the processing interface of the object held (none without it).
    void QueryRealTime();

    ComPtr<IUnknown> object_;
    // Queried when the object is created and again after each lock (the host does not
    // process while it locks), never in a period: a period makes no call but the
    // processing itself.
    ComPtr<IAudioProcessingObjectRT> realTime_;
};

}  // namespace qx
