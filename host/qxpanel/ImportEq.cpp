#include "host/qxpanel/ImportEq.h"

#include <windows.h>
#include <propsys.h>

#include <cstdio>
#include <vector>

#include "common/ComPtr.h"
#include "common/Handles.h"
#include "host/EqImport.h"
#include "host/InProcessServer.h"
#include "host/qxpanel/StoreFile.h"
#include "settings/PropertyStoreAccess.h"

namespace qx::panel {

int ImportEqIntoStore(const std::wstring& presetPath, bool tenBand, const std::wstring& storeFile) {
    if (storeFile.empty()) {
        std::fprintf(stderr, "qxpanel: --import-eq needs --store <file> to write into\n");
        return 2;
    }
    host::EqImport imported;
    std::string error;
    if (!host::ImportEqPreset(host::Narrow(presetPath), tenBand, imported, error)) {
        std::fprintf(stderr, "qxpanel: %s\n", error.c_str());
        return 2;
    }
    const ComApartment com(COINIT_APARTMENTTHREADED);
    ComPtr<IPropertyStore> store;
    std::vector<std::string> rejected;
    HRESULT hr = PSCreateMemoryPropertyStore(IID_IPropertyStore, store.PutVoid());
    if (SUCCEEDED(hr)) hr = LoadStoreFile(storeFile, store.Get(), rejected);
    for (const host::SettingValue& s : imported.settings) {
        if (FAILED(hr)) break;
        hr = s.key->kind == settings::ValueKind::Blob
                 ? settings::WriteBlob(store.Get(), s.key->key, s.blob.data(), uint32_t(s.blob.size()))
                 : settings::WriteUInt(store.Get(), s.key->key, s.value);
    }
    if (SUCCEEDED(hr)) hr = SaveStoreFile(storeFile, store.Get());
    if (FAILED(hr)) {
        std::fprintf(stderr, "qxpanel: cannot write the FX store %ls: 0x%08lX\n", storeFile.c_str(),
                     static_cast<unsigned long>(hr));
        return 2;
    }
    std::fputs(imported.report.c_str(), stdout);
    std::printf("written to %ls\n", storeFile.c_str());
    return 0;
}

}  // namespace qx::panel
