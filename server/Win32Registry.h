#pragma once
// The script interpreter's registry, backed by the Win32 registry.
#include <windows.h>

#include "server/RegistryAccess.h"

namespace qx {

class Win32Registry : public RegistryAccess {
public:
    Key Root(RegHive hive) override;
    long OpenKey(Key parent, const std::wstring& name, RegAccess access, Key* out) override;
    long CreateKey(Key parent, const std::wstring& name, Key* out) override;
    void CloseKey(Key key) override;
    long SetValue(Key key, const std::wstring& name, const RegValue& value) override;
    long DeleteValue(Key key, const std::wstring& name) override;
    long DeleteKey(Key parent, const std::wstring& name) override;
    long FirstSubkey(Key key, std::wstring* name) override;
    long CountSubkeys(Key key, std::uint32_t* count) override;
    // "d" values are read the way automation reads numbers.
    Status ParseDword(const std::wstring& text, std::uint32_t* out) override;
};

}  // namespace qx
