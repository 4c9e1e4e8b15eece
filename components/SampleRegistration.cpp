#include "components/SampleRegistration.h"

#include <objbase.h>

#include <string>

#include "common/Handles.h"
#include "components/SampleClassTable.h"

namespace qx::samplefx {

namespace {
std::wstring ClassKeyPath(REFCLSID clsid) {
    wchar_t text[40] = {};
    StringFromGUID2(clsid, text, 40);
    return std::wstring(L"CLSID\\") + text;
}

LSTATUS SetString(HKEY key, const wchar_t* name, const wchar_t* value) {
    const DWORD bytes = DWORD((wcslen(value) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes);
}

LSTATUS WriteClass(const SampleClass& cls, const wchar_t* modulePath) {
    RegKey classKey, serverKey;
    LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, ClassKeyPath(cls.clsid).c_str(), 0, nullptr, 0, KEY_WRITE,
                                     nullptr, classKey.Put(), nullptr);
    if (status == ERROR_SUCCESS) status = SetString(classKey.Get(), nullptr, cls.name);
    if (status == ERROR_SUCCESS)
        status = RegCreateKeyExW(classKey.Get(), L"InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr,
                                 serverKey.Put(), nullptr);
    if (status == ERROR_SUCCESS) status = SetString(serverKey.Get(), nullptr, modulePath);
    if (status == ERROR_SUCCESS) status = SetString(serverKey.Get(), L"ThreadingModel", L"Both");
    return status;
}
}  // namespace

HRESULT SampleRegistration::Register(const wchar_t* modulePath) {
    if (!modulePath || !*modulePath) return E_INVALIDARG;
    for (size_t i = 0; i < kSampleClassCount; ++i) {
        const LSTATUS status = WriteClass(kSampleClasses[i], modulePath);
        if (status != ERROR_SUCCESS) {
            Unregister();
            return HRESULT_FROM_WIN32(status);
        }
    }
    return S_OK;
}

HRESULT SampleRegistration::Unregister() {
    HRESULT result = S_OK;
    for (size_t i = 0; i < kSampleClassCount; ++i) {
        const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKeyPath(kSampleClasses[i].clsid).c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) result = HRESULT_FROM_WIN32(status);
    }
    return result;
}

}  // namespace qx::samplefx
