#include "server/Win32Registry.h"

#include <oleauto.h>

#include <cstring>
#include <vector>

namespace qx {

namespace {
HKEY ToHkey(RegistryAccess::Key key) { return static_cast<HKEY>(key); }

const HKEY kRoots[kHiveCount] = {
    HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,     HKEY_LOCAL_MACHINE, HKEY_USERS,
    HKEY_PERFORMANCE_DATA, HKEY_DYN_DATA, HKEY_CURRENT_CONFIG,
};

REGSAM Sam(RegAccess access) {
    switch (access) {
    case RegAccess::Read: return KEY_READ;
    case RegAccess::Write: return KEY_WRITE;
    case RegAccess::ReadWrite: return KEY_READ | KEY_WRITE;
    }
    return KEY_READ;
}

bool IsRoot(HKEY key) {
    for (HKEY root : kRoots)
        if (key == root) return true;
    return false;
}

// Registry data of a string value: the text and `terminators` zero characters.
std::vector<BYTE> StringData(const std::wstring& text, size_t terminators) {
    std::vector<BYTE> data((text.size() + terminators) * sizeof(wchar_t), 0);
    if (!text.empty()) memcpy(data.data(), text.data(), text.size() * sizeof(wchar_t));
    return data;
}
}  // namespace

RegistryAccess::Key Win32Registry::Root(RegHive hive) { return kRoots[static_cast<int>(hive)]; }

long Win32Registry::OpenKey(Key parent, const std::wstring& name, RegAccess access, Key* out) {
    HKEY key = nullptr;
    const LSTATUS error = RegOpenKeyExW(ToHkey(parent), name.c_str(), 0, Sam(access), &key);
    *out = error == ERROR_SUCCESS ? key : nullptr;
    return error;
}

long Win32Registry::CreateKey(Key parent, const std::wstring& name, Key* out) {
    HKEY key = nullptr;
    const LSTATUS error = RegCreateKeyExW(ToHkey(parent), name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                          KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    *out = error == ERROR_SUCCESS ? key : nullptr;
    return error;
}

void Win32Registry::CloseKey(Key key) {
    if (key && !IsRoot(ToHkey(key))) RegCloseKey(ToHkey(key));
}

long Win32Registry::SetValue(Key key, const std::wstring& name, const RegValue& value) {
    const wchar_t* valueName = name.empty() ? nullptr : name.c_str();
    std::vector<BYTE> data;
    DWORD type = REG_SZ;
    switch (value.type) {
    case RegValueType::String:
        data = StringData(value.text, 1);
        break;
    case RegValueType::MultiString:
        type = REG_MULTI_SZ;
        data = StringData(value.text, 2);
        break;
    case RegValueType::Dword:
        type = REG_DWORD;
        data.assign(reinterpret_cast<const BYTE*>(&value.number),
                    reinterpret_cast<const BYTE*>(&value.number) + sizeof(DWORD));
        break;
    case RegValueType::Binary:
        type = REG_BINARY;
        data = value.bytes;
        break;
    }
    return RegSetValueExW(ToHkey(key), valueName, 0, type, data.empty() ? nullptr : data.data(),
                          static_cast<DWORD>(data.size()));
}

long Win32Registry::DeleteValue(Key key, const std::wstring& name) {
    return RegDeleteValueW(ToHkey(key), name.empty() ? nullptr : name.c_str());
}

long Win32Registry::DeleteKey(Key parent, const std::wstring& name) { return RegDeleteKeyW(ToHkey(parent), name.c_str()); }

long Win32Registry::FirstSubkey(Key key, std::wstring* name) {
    wchar_t buffer[257];
    DWORD length = 257;
    const LSTATUS error = RegEnumKeyExW(ToHkey(key), 0, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (error == ERROR_SUCCESS) name->assign(buffer, length);
    return error;
}

long Win32Registry::CountSubkeys(Key key, std::uint32_t* count) {
    DWORD subkeys = 0;
    const LSTATUS error = RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                           nullptr, nullptr, nullptr, nullptr, nullptr);
    *count = subkeys;
    return error;
}

Status Win32Registry::ParseDword(const std::wstring& text, std::uint32_t* out) {
    ULONG value = 0;
    // Some SDK headers declare the text without const; it is only read.
    const HRESULT hr = VarUI4FromStr(const_cast<wchar_t*>(text.c_str()), LOCALE_SYSTEM_DEFAULT, 0, &value);
    if (SUCCEEDED(hr)) *out = value;
    return hr;
}

}  // namespace qx
