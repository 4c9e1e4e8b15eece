// qxpanel: a small page host for the effect list. It shows the effects page of one
// endpoint, served by an in-process device enumerator, with the effect list object of the
// module loaded from its DLL, and keeps the FX store in a small text file.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/ComPtr.h"
#include "common/Handles.h"
#include "frame/Identifiers.h"
#include "host/EndpointRegistry.h"
#include "host/InProcessServer.h"
#include "host/qxpanel/FakeComponents.h"
#include "host/qxpanel/PanelOptions.h"
#include "host/qxpanel/ImportEq.h"
#include "host/qxpanel/PanelPage.h"

using namespace qx;
using namespace qx::panel;

namespace {
constexpr wchar_t kEndpointId[] = L"{0.0.0.00000000}.{7a1c5e02-qxpanel-endpoint}";

// Sets a named event whenever a window of this thread is shown, moved, activated or
// destroyed, so that a program driving the page waits for its windows instead of polling.
class WindowEventSignal {
public:
    explicit WindowEventSignal(const std::wstring& name) {
        if (name.empty()) return;
        event_.Reset(OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str()));
        if (event_) hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, &Hook, nullptr, GetCurrentThreadId());
        if (hook_) s_event = event_.Get();
    }
    ~WindowEventSignal() {
        if (hook_) UnhookWindowsHookEx(hook_);
        s_event = nullptr;
    }
    WindowEventSignal(const WindowEventSignal&) = delete;
    WindowEventSignal& operator=(const WindowEventSignal&) = delete;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && (call->message == WM_SHOWWINDOW || call->message == WM_WINDOWPOSCHANGED ||
                                  call->message == WM_ACTIVATE || call->message == WM_NCDESTROY))
            SetEvent(s_event);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline HANDLE s_event = nullptr;
    UniqueHandle event_;
    HHOOK hook_ = nullptr;
};

std::wstring DefaultModulePath() { return host::ProgramFolder() + L"QXAPOMain.dll"; }

std::wstring Title(const PanelOptions& options) {
    const wchar_t* name = L"Endpoint";
    switch (options.formFactor) {
        case 1: name = L"Speakers"; break;
        case 3: name = L"Headphones"; break;
        case 4: name = L"Microphone"; break;
        case 8: name = L"Digital Output"; break;
        case 9: name = L"Digital Display"; break;
        default: break;
    }
    return std::wstring(name) + L" - Sound Effects";
}

// Creates the effect list object through the module's own class factory.
HRESULT CreateEffectList(HMODULE module, ComPtr<IQXUIExtLib>& object) {
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    if (!get) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    ComPtr<IClassFactory> factory;
    HRESULT hr = get(CLSID_QXUIExtLib, IID_IClassFactory, factory.PutVoid());
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, __uuidof(IQXUIExtLib), object.PutVoid());
}

bool ModuleUnloadable(HMODULE module) {
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    auto can = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    return can && can() == S_OK;
}

int RunPanel(const PanelOptions& options) {
    ComApartment com(COINIT_APARTMENTTHREADED);
    if (FAILED(com.Status())) return 2;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);

    host::EndpointRegistry endpoints;
    if (!endpoints.Registered()) {
        std::fprintf(stderr, "qxpanel: cannot register the device enumerator\n");
        return 2;
    }
    endpoints.Add(kEndpointId, host::EndpointSetup{options.formFactor, options.speakerMask, options.formatTag});
    FakeComponents components(options.components);
    WindowEventSignal windowEvent(options.windowEvent);

    const std::wstring path = options.modulePath.empty() ? DefaultModulePath() : options.modulePath;
    ModuleHandle module(LoadLibraryW(path.c_str()));
    if (!module) {
        std::fprintf(stderr, "qxpanel: cannot load %ls (error %lu)\n", path.c_str(), GetLastError());
        return 2;
    }
    int code = 0;
    {
        ComPtr<IQXUIExtLib> object;
        HRESULT hr = CreateEffectList(module.Get(), object);
        if (FAILED(hr)) {
            std::fprintf(stderr, "qxpanel: cannot create the effect list object: 0x%08lX\n",
                         static_cast<unsigned long>(hr));
            return 2;
        }
        PanelPage page(object.Get(), options);
        hr = page.Show(kEndpointId, Title(options));
        if (FAILED(hr)) {
            std::fprintf(stderr, "qxpanel: cannot show the page: 0x%08lX\n", static_cast<unsigned long>(hr));
            return 2;
        }
        code = page.Run();
    }
    if (!ModuleUnloadable(module.Get())) {
        std::fprintf(stderr, "qxpanel: the module still holds objects\n");
        code = 3;
    }
    return code;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    for (const std::wstring& a : args)
        if (a == L"--help" || a == L"-h") {
            std::fputws(Usage(), stdout);
            return 0;
        }
    PanelOptions options;
    std::wstring error;
    if (!ParseOptions(args, options, error)) {
        std::fprintf(stderr, "qxpanel: %ls\n", error.c_str());
        std::fputws(Usage(), stderr);
        return 2;
    }
    if (!options.importEq.empty()) {
        const int code = ImportEqIntoStore(options.importEq, options.importTenBand, options.storeFile);
        if (code != 0 || options.actions.empty()) return code;
    }
    return RunPanel(options);
}
