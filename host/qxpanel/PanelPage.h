#pragma once
// The page host's effects page: a dialog with the effect list, a status area and the
// Settings and Apply buttons, driven as the sound control panel drives the effect list
// object: every list notification goes to EffectList_ItemChanged, Apply is enabled while
// the object reports unapplied changes, and each write to the FX store is reported back
// through EffectList_PropertyValueChanged.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "common/ComPtr.h"
#include "frame/Identifiers.h"
#include "host/qxpanel/NotifyingStore.h"
#include "host/qxpanel/PanelOptions.h"

namespace qx::panel {

class PanelPage {
public:
    PanelPage(IQXUIExtLib* object, const PanelOptions& options);
    ~PanelPage();
    PanelPage(const PanelPage&) = delete;
    PanelPage& operator=(const PanelPage&) = delete;

    // Creates the page, loads the store and fills the list for the endpoint.
    HRESULT Show(const std::wstring& endpointId, const std::wstring& title);
    // Runs the page until it is closed; returns the program's exit code.
    int Run();

private:
    static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnListChanged(const NMLISTVIEW& change);
    void OnCommand(int id);
    void OnStoreChanged();
    void Apply();
    void SetDirty(bool dirty);
    void UpdateStatus();
    void RunActions();
    int RowCount() const;
    std::wstring RowText(int row) const;
    int RowOf(const std::wstring& label) const;
    void SetRowState(int row, UINT state, UINT mask);
    void PrintRows() const;
    void Save();

    ComPtr<IQXUIExtLib> object_;
    const PanelOptions& options_;
    ComPtr<IPropertyStore> memory_;
    ComPtr<NotifyingStore> fx_;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    bool dirty_ = false;
    int exitCode_ = 0;
};

}  // namespace qx::panel
