#pragma once
// What the control-panel tests stand on: a page dialog with a real list-view that passes
// its notifications to the effect-list object as the sound control panel does, the
// effect components registered in-process, and a script player that drives a modal
// dialog from a thread timer the way a user would.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "common/ComPtr.h"
#include "frame/Identifiers.h"
#include "settings/EffectSchema.h"
#include "tests/support/RecordingComponent.h"

namespace qx::test {

class TestPage {
public:
    explicit TestPage(IQXUIExtLib* object);
    ~TestPage();
    TestPage(const TestPage&) = delete;
    TestPage& operator=(const TestPage&) = delete;

    HWND Window() const { return window_; }
    HWND List() const { return list_; }

    std::vector<std::wstring> Rows() const;
    std::vector<std::wstring> CheckedRows() const;
    int Row(const wchar_t* label) const;  // -1 when not listed
    bool IsChecked(const wchar_t* label) const;
    // Sets a row's check box as a click would; the list reports it to the page.
    void SetChecked(const wchar_t* label, bool on);
    void SetSelectionMark(int row);

    // The page's unapplied-changes flag: set whenever the object asks for it.
    bool dirty = false;
    int itemChangedCalls = 0;

private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    IQXUIExtLib* object_;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
};

// Registers every effect component class except those that make the listed effects
// available.
class Components {
public:
    explicit Components(std::initializer_list<settings::EffectId> missing = {});
    CallLog log;

private:
    std::vector<std::unique_ptr<ComponentRegistration>> registrations_;
};

// Runs `runModal` (which opens a modal dialog titled `title`) and, from a thread timer,
// plays one step per tick with the dialog's handle. After the last step the dialog is
// ended with its OK button. The test fails when the dialog never opens or ends before
// its last step ran.
void PlayDialogScript(const wchar_t* title, std::vector<std::function<void(HWND)>> steps,
                      const std::function<void()>& runModal);

}  // namespace qx::test
