#include "processors/PcmDumpFile.h"

#include <windows.h>
#include <share.h>

#include "common/Handles.h"
#include "processors/DumpFormat.h"

namespace qx {

namespace {
bool SwitchIsOn(const wchar_t* keyPath, const wchar_t* valueName) {
    RegKey key;
    // Opens the key as the host account sees it, creating it when absent.
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WOW64_64KEY, nullptr, key.Put(), nullptr) != ERROR_SUCCESS)
        return false;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key.Get(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS)
        return false;
    return value != 0;
}

void WriteSample(std::FILE* file, float sample) {
    const uint16_t v = uint16_t(DumpSample(sample));
    const unsigned char bytes[2] = {static_cast<unsigned char>(v & 0xFF), static_cast<unsigned char>(v >> 8)};
    std::fwrite(bytes, 1, sizeof bytes, file);
}
}  // namespace

void PcmDumpFile::OpenIfSwitchedOn(const wchar_t* keyPath, const wchar_t* valueName, const wchar_t* path) {
    Close();
    if (!SwitchIsOn(keyPath, valueName)) return;
    // Binary, truncating, and denied to every other opener while this one holds it.
    file_.reset(_wfsopen(path, L"wb", _SH_DENYRW));
}

void PcmDumpFile::Append(const float* left, const float* right, size_t stride, uint32_t frames) {
    std::FILE* file = file_.get();
    if (!file || !left || !right) return;
    for (uint32_t i = 0; i < frames; ++i) {
        WriteSample(file, left[size_t(i) * stride]);
        WriteSample(file, right[size_t(i) * stride]);
    }
}

}  // namespace qx
