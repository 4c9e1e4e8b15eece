#pragma once
// Starting the Dolby panel program, which lives beside a file that an outside locator
// object reports.
#include <windows.h>
#include <unknwn.h>

#include <string>

// The locator's interface. Only its second and fourteenth methods are called; the
// others belong to the locator and are never used here.
MIDL_INTERFACE("1A96B10F-1301-426C-B0A8-566753B44DD4") IQXDolbyPanelLocator : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Unused1() = 0;
    virtual HRESULT STDMETHODCALLTYPE Prepare() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused3() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused4() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused5() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused6() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused7() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused8() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused9() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused10() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused11() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused12() = 0;
    virtual HRESULT STDMETHODCALLTYPE Unused13() = 0;
    // Hands back a path allocated with CoTaskMemAlloc, or null.
    virtual HRESULT STDMETHODCALLTYPE GetLocatedPath(LPWSTR* path) = 0;
};
#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IQXDolbyPanelLocator, 0x1A96B10F, 0x1301, 0x426C, 0xB0, 0xA8, 0x56, 0x67, 0x53, 0xB4, 0x4D, 0xD4)
#endif

namespace qx::controlpanel {

inline constexpr GUID CLSID_DolbyPanelLocator = {
    0x958342AF, 0x451A, 0x4443, {0x9C, 0xFE, 0x55, 0x67, 0x9A, 0x2D, 0xD5, 0x24}};

// The panel program beside `located`: everything after its last backslash replaced by
// "pcee4e.exe". Empty when the path holds no backslash, since then there is no folder
// to look in.
std::wstring PanelProgramPath(const wchar_t* located);

// Asks the locator for its path and opens the panel program beside it. Nothing is started
// when the locator cannot be created or reports no usable path.
void OpenDolbyPanel();

}  // namespace qx::controlpanel
