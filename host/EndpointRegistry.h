#pragma once
// An in-process stand-in for the system's audio endpoints: a device enumerator that
// serves endpoints from a table, registered with CoRegisterClassObject over
// CLSID_MMDeviceEnumerator for the lifetime of an EndpointRegistry, and endpoints whose
// property store is any IPropertyStore. The page host serves its endpoint with it, and
// the effect-list and dialog tests theirs.
#include <windows.h>
#include <mmdeviceapi.h>
#include <propsys.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "common/ClassRegistration.h"
#include "common/ComPtr.h"

namespace qx::host {

inline constexpr CLSID kClsidMMDeviceEnumerator = {
    0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};

// What an endpoint's own property store reports. Zero fields are left out of the store.
struct EndpointSetup {
    uint32_t formFactor = 1;    // PKEY_AudioEndpoint_FormFactor; 0: not set
    uint32_t speakerMask = 3;   // PKEY_AudioEndpoint_PhysicalSpeakers; 0: not set
    uint16_t formatTag = 0;     // tag of PKEY_AudioEngine_DeviceFormat; 0: not set
};

// A memory store holding the endpoint keys of `setup`.
ComPtr<IPropertyStore> NewEndpointStoreFor(const EndpointSetup& setup);

// An IMMDevice with a given id and endpoint store. OpenPropertyStore fails with
// `openResult` when that is a failure.
ComPtr<IMMDevice> NewEndpoint(const std::wstring& id, IPropertyStore* store, HRESULT openResult = S_OK);

class DeviceEnumerator;

// Registers the enumerator; endpoints added here are what GetDevice finds.
class EndpointRegistry {
public:
    EndpointRegistry();
    ~EndpointRegistry();
    EndpointRegistry(const EndpointRegistry&) = delete;
    EndpointRegistry& operator=(const EndpointRegistry&) = delete;

    bool Registered() const { return registration_.Registered(); }
    void Add(IMMDevice* device);
    // Adds an endpoint whose store holds `setup`; returns it.
    ComPtr<IMMDevice> Add(const std::wstring& id, const EndpointSetup& setup);
    // GetDevice of every id fails with this status (S_OK: looked up as usual).
    void FailGetDevice(HRESULT status);
    // How many enumerators were created through the registration.
    size_t Creations() const;

private:
    ComPtr<DeviceEnumerator> enumerator_;
    std::atomic<size_t> creations_{0};
    ClassRegistration registration_;  // last: revoked before the enumerator goes
};

}  // namespace qx::host
