#pragma once
// The interfaces of the outside Zurarur echo-canceller object, as far as the capture
// processor's worker uses them. Only the slot order matters: the slots the worker never
// calls are declared as placeholders so that the ones it does call sit where the object
// has them.
#include <windows.h>
#include <unknwn.h>

namespace qx {

inline constexpr CLSID CLSID_ZurarurAec = {0xC6606CA5, 0x2108, 0x4CAF, {0x8E, 0x52, 0x19, 0x53, 0xF2, 0xDB, 0xF7, 0x16}};

}  // namespace qx

// The interface the object is created with.
MIDL_INTERFACE("CF743829-4C33-457D-82CB-A00DE3308CD5") IZurarurAec : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Reserved1() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved2() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;
    // Writes a nonzero value when the echo canceller can be used on this machine.
    virtual HRESULT STDMETHODCALLTYPE IsAvailable(UINT32* available) = 0;
};

// Switches the echo canceller of one capture device.
MIDL_INTERFACE("3F8F4AEB-9090-4F5B-98F2-000A08FC4A07") IZurarurAecControl : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Reserved1() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved2() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved8() = 0;
    // Succeeds for a device index that the object can switch.
    virtual HRESULT STDMETHODCALLTYPE QueryDevice(UINT32 index, UINT32* state) = 0;
    // Turns the echo canceller of a device on (nonzero) or off.
    virtual HRESULT STDMETHODCALLTYPE SetEnabled(UINT32 index, UINT32 enabled) = 0;
};

// The capture devices the object knows.
MIDL_INTERFACE("3F8F4AEB-9090-4F5B-98F2-000A08FC4A04") IZurarurAecDeviceList : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Reserved1() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved2() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCount(UINT32* count) = 0;
};

#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IZurarurAec, 0xCF743829, 0x4C33, 0x457D, 0x82, 0xCB, 0xA0, 0x0D, 0xE3, 0x30, 0x8C, 0xD5)
__CRT_UUID_DECL(IZurarurAecControl, 0x3F8F4AEB, 0x9090, 0x4F5B, 0x98, 0xF2, 0x00, 0x0A, 0x08, 0xFC, 0x4A, 0x07)
__CRT_UUID_DECL(IZurarurAecDeviceList, 0x3F8F4AEB, 0x9090, 0x4F5B, 0x98, 0xF2, 0x00, 0x0A, 0x08, 0xFC, 0x4A, 0x04)
#endif
