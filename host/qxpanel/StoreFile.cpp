#include "host/qxpanel/StoreFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "common/PropVariant.h"
#include "settings/EffectSchema.h"
#include "settings/PropertyStoreAccess.h"

namespace qx::panel {

namespace {
struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

bool ParseKeyName(const std::string& name, PROPERTYKEY& key) {
    if (const settings::KeyInfo* info = settings::FindKeyByName(name.c_str())) {
        key = settings::ToPropertyKey(info->key);
        return true;
    }
    // "{fmtid}/pid"
    const size_t slash = name.find('/');
    if (slash != 38 || name[0] != '{') return false;
    wchar_t guidText[39];
    for (size_t i = 0; i < 38; ++i) guidText[i] = wchar_t(name[i]);
    guidText[38] = 0;
    char* end = nullptr;
    const unsigned long pid = std::strtoul(name.c_str() + 39, &end, 10);
    if (*end || end == name.c_str() + 39) return false;
    if (FAILED(CLSIDFromString(guidText, &key.fmtid))) return false;
    key.pid = DWORD(pid);
    return true;
}

std::string KeyName(const PROPERTYKEY& key) {
    if (const settings::KeyInfo* info = settings::FindKey(settings::FromPropertyKey(key))) return info->name;
    wchar_t guidText[40] = {};
    StringFromGUID2(key.fmtid, guidText, 40);
    std::string name;
    for (const wchar_t* p = guidText; *p; ++p) name += char(*p);
    return name + "/" + std::to_string(key.pid);
}

bool ParseHex(const std::string& text, std::vector<BYTE>& bytes) {
    if (text.size() % 2) return false;
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        char pair[3] = {text[i], text[i + 1], 0};
        char* end = nullptr;
        const unsigned long b = std::strtoul(pair, &end, 16);
        if (*end) return false;
        bytes.push_back(BYTE(b));
    }
    return true;
}
}  // namespace

bool ParseStoreLine(const std::string& raw, PROPERTYKEY& key, PROPVARIANT& value, std::vector<BYTE>& blob) {
    const std::string line = Trim(raw);
    const size_t space = line.find_first_of(" \t");
    if (line.empty() || line[0] == '#' || space == std::string::npos) return false;
    const std::string text = Trim(line.substr(space));
    if (!ParseKeyName(line.substr(0, space), key) || text.empty()) return false;
    PropVariantInit(&value);
    if (text.compare(0, 4, "hex:") == 0) {
        if (!ParseHex(text.substr(4), blob)) return false;
        value.vt = VT_BLOB;
        value.blob.cbSize = ULONG(blob.size());
        value.blob.pBlobData = blob.data();
        return true;
    }
    char* end = nullptr;
    const long long number = std::strtoll(text.c_str(), &end, 0);
    if (*end || number < -2147483648LL || number > 0xFFFFFFFFLL) return false;
    value.vt = VT_UI4;
    value.ulVal = ULONG(uint32_t(number));  // negative settings are stored sign-extended
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
        const std::string line = Trim(buffer);
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
