#include "host/qxpanel/StoreFile.h"

#include <cstdio>
#include <memory>
#include <utility>

#include "common/PropVariant.h"
#include "host/qxpanel/StoreLine.h"
#include "settings/EffectSchema.h"
#include "settings/PropertyStoreAccess.h"

namespace qx::panel {

namespace {
struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

std::string KeyName(const PROPERTYKEY& key) {
    if (const settings::KeyInfo* info = settings::FindKey(settings::FromPropertyKey(key))) return info->name;
    wchar_t guidText[40] = {};
    StringFromGUID2(key.fmtid, guidText, 40);
    std::string name;
    for (const wchar_t* p = guidText; *p; ++p) name += char(*p);
    return name + "/" + std::to_string(key.pid);
}
}  // namespace

bool ParseStoreLine(const std::string& line, PROPERTYKEY& key, PROPVARIANT& value, std::vector<BYTE>& blob) {
    StoreEntry entry;
    if (!ParseStoreEntry(line, entry)) return false;
    key = settings::ToPropertyKey(entry.key);
    PropVariantInit(&value);
    if (entry.isBlob) {
        blob = std::move(entry.bytes);
        value.vt = VT_BLOB;
        value.blob.cbSize = ULONG(blob.size());
        value.blob.pBlobData = blob.data();
        return true;
    }
    value.vt = VT_UI4;
    value.ulVal = ULONG(entry.number);
    return true;
}

HRESULT LoadStoreFile(const std::wstring& path, IPropertyStore* store, std::vector<std::string>& rejected) {
    File file(_wfopen(path.c_str(), L"rb"));
    if (!file) return S_OK;
    char buffer[4096];
    HRESULT hr = S_OK;
    while (std::fgets(buffer, sizeof buffer, file.get())) {
        PROPERTYKEY key;
        PROPVARIANT value;
        std::vector<BYTE> blob;
        const std::string line = TrimStoreLine(buffer);
        if (line.empty() || line[0] == '#') continue;
        if (!ParseStoreLine(line, key, value, blob)) {
            rejected.push_back(line);
            continue;
        }
        const HRESULT set = store->SetValue(key, value);  // the store copies the blob
        if (FAILED(set)) hr = set;
    }
    return hr;
}

HRESULT SaveStoreFile(const std::wstring& path, IPropertyStore* store) {
    const std::wstring temporary = path + L".new";
    {
        File file(_wfopen(temporary.c_str(), L"wb"));
        if (!file) return HRESULT_FROM_WIN32(ERROR_CANNOT_MAKE);
        std::fputs("# FX property store of the page host\n", file.get());
        DWORD count = 0;
        store->GetCount(&count);
        for (DWORD i = 0; i < count; ++i) {
            PROPERTYKEY key;
            PropVariant value;
            if (FAILED(store->GetAt(i, &key)) || FAILED(store->GetValue(key, &value))) continue;
            const std::string name = KeyName(key);
            if (value.Type() == VT_UI4) {
                const settings::KeyInfo* info = settings::FindKey(settings::FromPropertyKey(key));
                if (info && info->kind == settings::ValueKind::Signed)
                    std::fprintf(file.get(), "%s %ld\n", name.c_str(), long(int32_t(value.Get().ulVal)));
                else
                    std::fprintf(file.get(), "%s %lu\n", name.c_str(), static_cast<unsigned long>(value.Get().ulVal));
            } else if (value.Type() == VT_BLOB) {
                std::fprintf(file.get(), "%s hex:", name.c_str());
                for (ULONG b = 0; b < value.Get().blob.cbSize; ++b)
                    std::fprintf(file.get(), "%02x", value.Get().blob.pBlobData[b]);
                std::fputs("\n", file.get());
            }
        }
        if (std::fflush(file.get()) != 0) return HRESULT_FROM_WIN32(ERROR_WRITE_FAULT);
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return HRESULT_FROM_WIN32(GetLastError());
    return S_OK;
}

}  // namespace qx::panel
