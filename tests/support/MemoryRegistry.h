#pragma once
// A registry held in memory, for running scripts in tests and under the fuzzer. It
// follows the Win32 rules the interpreter relies on: names compare without regard to
// case, subkeys enumerate in name order, a key with subkeys cannot be deleted, and keys
// can be made read-only or inaccessible to provoke failures.
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "server/RegText.h"
#include "server/RegistryAccess.h"

namespace qx {

class MemoryRegistry : public RegistryAccess {
public:
    enum class Rights { Full, ReadOnly, Denied };

    MemoryRegistry();

    Key Root(RegHive hive) override;
    long OpenKey(Key parent, const std::wstring& name, RegAccess access, Key* out) override;
    long CreateKey(Key parent, const std::wstring& name, Key* out) override;
    void CloseKey(Key key) override;
    long SetValue(Key key, const std::wstring& name, const RegValue& value) override;
    long DeleteValue(Key key, const std::wstring& name) override;
    long DeleteKey(Key parent, const std::wstring& name) override;
    long FirstSubkey(Key key, std::wstring* name) override;
    long CountSubkeys(Key key, std::uint32_t* count) override;

    // Inspection and set-up by path, e.g. L"HKCR\\CLSID\\{...}"; the first part is a
    // short hive name. Set-up ignores rights.
    bool Exists(std::wstring_view path) const;
    const RegValue* Value(std::wstring_view path, std::wstring_view name) const;
    void PutKey(std::wstring_view path);
    void PutValue(std::wstring_view path, const std::wstring& name, const RegValue& value);
    void SetRights(std::wstring_view path, Rights rights);

    // Keys opened through the interface and not yet closed.
    size_t OpenHandles() const { return handles_.size(); }

private:
    struct NoCaseLess {
        bool operator()(const std::wstring& a, const std::wstring& b) const { return LessNoCase(a, b); }
    };
    struct Node {
        std::wstring name;
        Node* parent = nullptr;  // the key it is a subkey of; null for a hive
        std::map<std::wstring, std::shared_ptr<Node>, NoCaseLess> subkeys;
        std::map<std::wstring, RegValue, NoCaseLess> values;
        Rights rights = Rights::Full;
        bool deleted = false;
    };
    struct Handle {
        std::shared_ptr<Node> node;
        RegAccess access;
    };

    // What a call needs of the key handle it is given.
    enum class Use { Any, Read, Write };

    Handle* Lookup(Key key);
    long Usable(Key key, Use use, const Handle** out);
    static std::shared_ptr<Node> AddChild(Node& parent, const std::wstring& name);
    long Walk(const Handle& from, const std::wstring& path, bool create, std::shared_ptr<Node>* found) const;
    long Open(Key parent, const std::wstring& name, bool create, RegAccess access, Key* out);
    Node* Find(std::wstring_view path, bool create = false) const;
    long NewHandle(std::shared_ptr<Node> node, RegAccess access, Key* out);

    Handle roots_[kHiveCount];
    std::unordered_map<Handle*, std::unique_ptr<Handle>> handles_;
};

}  // namespace qx
