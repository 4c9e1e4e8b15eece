#include "controlpanel/DolbyPanel.h"

#include <objbase.h>
#include <shellapi.h>

#include <cwchar>

#include "common/ComPtr.h"

namespace qx::controlpanel {

namespace {
constexpr wchar_t kPanelProgram[] = L"pcee4e.exe";

// Frees a CoTaskMemAlloc'd string when it goes out of scope.
class TaskMemString {
public:
    TaskMemString() = default;
    ~TaskMemString() { CoTaskMemFree(p_); }
    TaskMemString(const TaskMemString&) = delete;
    TaskMemString& operator=(const TaskMemString&) = delete;
    LPWSTR* Put() { return &p_; }
    const wchar_t* Get() const { return p_; }

private:
    LPWSTR p_ = nullptr;
};
}  // namespace

std::wstring PanelProgramPath(const wchar_t* located) {
    if (!located) return {};
    const wchar_t* slash = std::wcsrchr(located, L'\\');
    if (!slash) return {};
    return std::wstring(located, slash + 1) + kPanelProgram;
}

void OpenDolbyPanel() {
    ComPtr<IQXDolbyPanelLocator> locator;
    if (FAILED(CoCreateInstance(CLSID_DolbyPanelLocator, nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IQXDolbyPanelLocator), locator.PutVoid())) ||
        !locator)
        return;
    locator->Prepare();
    TaskMemString located;
    locator->GetLocatedPath(located.Put());
    const std::wstring program = PanelProgramPath(located.Get());
    if (!program.empty()) ShellExecuteW(nullptr, L"open", program.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace qx::controlpanel
