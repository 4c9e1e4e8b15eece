#pragma once
// The interface of the outside effect components. The slot order is the contract.
#include <windows.h>
#include <mmreg.h>
#include <unknwn.h>

MIDL_INTERFACE("A700C298-4AD8-4EF0-98F1-62B4241170AC") IQXEffectComponent : public IUnknown {
    // in: float format at the internal rate; out: the output format or null.
    virtual HRESULT STDMETHODCALLTYPE Initialize(const WAVEFORMATEX* in, const WAVEFORMATEX* out, UINT32 maxFrames,
                                                 UINT32 flag) = 0;
    // The data live only during the call; size 0 with no data is a reset command.
    virtual HRESULT STDMETHODCALLTYPE SetParameter(BYTE id, BYTE size, const void* data) = 0;
    // in: the table of eight planar channel buffers; out: the same table, an encoder's
    // one-entry output table, or null for the output monitor.
    virtual HRESULT STDMETHODCALLTYPE Process(float* const* in, void* const* out, UINT32 frames) = 0;
};
#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IQXEffectComponent, 0xA700C298, 0x4AD8, 0x4EF0, 0x98, 0xF1, 0x62, 0xB4, 0x24, 0x11, 0x70, 0xAC)
#endif
