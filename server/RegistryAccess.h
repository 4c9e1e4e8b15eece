#pragma once
// The registry as the script interpreter sees it: open, create and delete keys, set and
// delete values. The module implements it over the Win32 registry; tests and the fuzzer
// over an in-memory tree. No Windows headers: errors are Win32 error codes (0 = success)
// and statuses are HRESULT-shaped 32-bit values.
#include <cstdint>
#include <string>
#include <vector>

#include "common/Status.h"

namespace qx {

// Win32 error codes the interpreter and the in-memory registry use.
namespace regerror {
inline constexpr long kSuccess = 0;
inline constexpr long kFileNotFound = 2;
inline constexpr long kAccessDenied = 5;
inline constexpr long kInvalidParameter = 87;
inline constexpr long kNoMoreItems = 259;
}  // namespace regerror

enum class RegHive { ClassesRoot, CurrentUser, LocalMachine, Users, PerformanceData, DynData, CurrentConfig };
inline constexpr int kHiveCount = 7;

enum class RegAccess { Read, Write, ReadWrite };

enum class RegValueType { String, Dword, Binary, MultiString };

struct RegValue {
    RegValueType type = RegValueType::String;
    // String: the text; the writer adds one terminating zero. MultiString: the text
    // with a zero character ending each string; the writer adds two terminating zeros.
    std::wstring text;
    std::uint32_t number = 0;          // Dword
    std::vector<std::uint8_t> bytes;   // Binary

    bool operator==(const RegValue& o) const {
        return type == o.type && text == o.text && number == o.number && bytes == o.bytes;
    }
};

class RegistryAccess {
public:
    // An open key; the predefined hive keys never need closing.
    using Key = void*;

    virtual ~RegistryAccess() = default;

    virtual Key Root(RegHive hive) = 0;
    // An empty name opens another handle to parent itself.
    virtual long OpenKey(Key parent, const std::wstring& name, RegAccess access, Key* out) = 0;
    // Creates (or opens) a non-volatile key for reading and writing.
    virtual long CreateKey(Key parent, const std::wstring& name, Key* out) = 0;
    virtual void CloseKey(Key key) = 0;
    // An empty name is the key's default value.
    virtual long SetValue(Key key, const std::wstring& name, const RegValue& value) = 0;
    virtual long DeleteValue(Key key, const std::wstring& name) = 0;
    // Deletes a key that has no subkeys, with its values.
    virtual long DeleteKey(Key parent, const std::wstring& name) = 0;
    // The name of the key's first subkey; kNoMoreItems when it has none.
    virtual long FirstSubkey(Key key, std::wstring* name) = 0;
    virtual long CountSubkeys(Key key, std::uint32_t* count) = 0;

    // Reads the text of a "d" value as an unsigned 32-bit number. This default takes
    // decimal digits with optional surrounding blanks and a leading '+'.
    virtual Status ParseDword(const std::wstring& text, std::uint32_t* out);
};

}  // namespace qx
