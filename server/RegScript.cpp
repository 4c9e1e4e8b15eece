#include "server/RegScript.h"

#include <new>

#include "server/RegText.h"

namespace qx {

namespace {

struct HiveName {
    const wchar_t* shortName;
    const wchar_t* longName;
    RegHive hive;
};
constexpr HiveName kHives[] = {
    {L"HKCR", L"HKEY_CLASSES_ROOT", RegHive::ClassesRoot},
    {L"HKCU", L"HKEY_CURRENT_USER", RegHive::CurrentUser},
    {L"HKLM", L"HKEY_LOCAL_MACHINE", RegHive::LocalMachine},
    {L"HKU", L"HKEY_USERS", RegHive::Users},
    {L"HKPD", L"HKEY_PERFORMANCE_DATA", RegHive::PerformanceData},
    {L"HKDD", L"HKEY_DYN_DATA", RegHive::DynData},
    {L"HKCC", L"HKEY_CURRENT_CONFIG", RegHive::CurrentConfig},
};

constexpr const wchar_t* kProtectedNames[] = {
    L"AppID", L"CLSID", L"Component Categories", L"FileType", L"Interface", L"Hardware",
    L"Mime",  L"SAM",   L"SECURITY",             L"SYSTEM",   L"Software",  L"TypeLib",
};

struct ValueTypeName {
    const wchar_t* name;
    RegValueType type;
};
constexpr ValueTypeName kValueTypes[] = {
    {L"s", RegValueType::String},
    {L"d", RegValueType::Dword},
    {L"b", RegValueType::Binary},
    {L"m", RegValueType::MultiString},
};

// An open key closed on scope exit.
class ScopedKey {
public:
    explicit ScopedKey(RegistryAccess& registry) : registry_(registry) {}
    ~ScopedKey() { Reset(); }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    void Reset() {
        if (key_) registry_.CloseKey(key_);
        key_ = nullptr;
    }
    RegistryAccess::Key* Put() {
        Reset();
        return &key_;
    }
    RegistryAccess::Key Get() const { return key_; }

private:
    RegistryAccess& registry_;
    RegistryAccess::Key key_ = nullptr;
};

std::uint8_t HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return std::uint8_t(c - L'0');
    if (c >= L'A' && c <= L'F') return std::uint8_t(c - L'A' + 10);
    if (c >= L'a' && c <= L'f') return std::uint8_t(c - L'a' + 10);
    return 0;  // anything else counts as 0
}

// "\0" in the text ends one string of a multi-string value.
std::wstring MultiStringText(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'0') {
            out.push_back(L'\0');
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

bool Ok(Status s) { return s == status::kOk; }

}  // namespace

bool RegScript::IsProtected(std::wstring_view name) {
    for (const wchar_t* p : kProtectedNames)
        if (EqualsNoCase(p, name)) return true;
    return false;
}

Status RegScript::Run(std::wstring_view text, RegistryAccess& registry, Mode mode) {
    try {
        // Too deep a script is refused before anything is written: undoing a block in
        // unregister mode could not reach keys below the limit.
        if (!NestingWithinLimit(text)) return status::kDispException;
        RegScript script(text, registry);
        return script.Blocks(mode);
    } catch (const std::bad_alloc&) {
        return status::kOutOfMemory;
    }
}

bool RegScript::NestingWithinLimit(std::wstring_view text) {
    RegScriptTokenizer tokens(text);
    std::wstring token;
    int depth = 0;
    while (tokens.Next(&token) == status::kOk) {
        if (token == L"{" && ++depth > kMaxDepth) return false;
        if (token == L"}") --depth;
    }
    return true;
}

Status RegScript::Blocks(Mode mode) {
    while (!tokens_.AtEnd()) {
        const size_t start = tokens_.Position();
        Status result;
        try {
            result = HiveBlock(mode);
        } catch (const std::bad_alloc&) {
            result = status::kOutOfMemory;
        }
        if (!Ok(result)) {
            if (mode == Mode::Register) {
                // Undo what this block wrote; its own outcome does not matter.
                tokens_.Seek(start);
                HiveBlock(Mode::Unregister);
            }
            return result;
        }
    }
    return status::kOk;
}

Status RegScript::HiveBlock(Mode mode) {
    std::wstring token;
    Status s = tokens_.Next(&token);
    if (!Ok(s)) return s;
    const HiveName* hive = nullptr;
    for (const HiveName& h : kHives)
        if (EqualsNoCase(token, h.shortName) || EqualsNoCase(token, h.longName)) hive = &h;
    if (!hive || !tokens_.Accept(L"{")) return status::kDispException;
    return EntryList(registry_.Root(hive->hive), mode, 1);
}

Status RegScript::EntryList(Key parent, Mode mode, int depth) {
    // The count before the run can be fooled by braces used as value texts; this bounds
    // the recursion whatever the text.
    if (depth > kMaxDepth) return status::kDispException;
    for (;;) {
        std::wstring token;
        Status s = tokens_.Next(&token);
        if (!Ok(s)) return s;
        if (token == L"}") return status::kOk;
        s = Entry(parent, std::move(token), mode, depth);
        if (!Ok(s)) return s;
    }
}

Status RegScript::Entry(Key parent, std::wstring first, Mode mode, int depth) {
    EntryHead head;
    Status s = ReadHead(std::move(first), &head);
    if (Ok(s)) s = CheckName(head);
    if (!Ok(s)) return s;
    if (head.isValue) return mode == Mode::Register ? RegisterValue(parent, head) : UnregisterValue(parent, head);
    return mode == Mode::Register ? RegisterKey(parent, head, depth) : UnregisterKey(parent, head, depth);
}

Status RegScript::CheckName(const EntryHead& head) {
    // A name spelled like "{", "}" or "=" would be read as structure when unregistering
    // skips over an entry, so the two modes would part ways.
    if (head.name == L"{" || head.name == L"}" || head.name == L"=") return status::kDispException;
    if (head.isValue) return status::kOk;
    // A key needs a name of its own: an empty one would stand for the parent itself, and
    // unregistering would then try to delete the parent.
    if (head.name.empty() || head.name.find(L'\\') != std::wstring::npos) return status::kDispException;
    return status::kOk;
}

// [ForceRemove | Delete] [NoRemove] (Val name | name); the keywords count only in this
// order, so "NoRemove ForceRemove" names a key called "ForceRemove".
Status RegScript::ReadHead(std::wstring token, EntryHead* head) {
    Status s = status::kOk;
    if (EqualsNoCase(token, L"ForceRemove")) {
        head->forceRemove = true;
        s = tokens_.Next(&token);
    } else if (EqualsNoCase(token, L"Delete")) {
        head->remove = true;
        s = tokens_.Next(&token);
    }
    if (Ok(s) && EqualsNoCase(token, L"NoRemove")) {
        head->noRemove = true;
        s = tokens_.Next(&token);
    }
    if (Ok(s) && !head->forceRemove && !head->remove && EqualsNoCase(token, L"Val")) {
        head->isValue = true;
        s = tokens_.Next(&token);
    }
    head->name = std::move(token);
    return s;
}

Status RegScript::RegisterValue(Key parent, const EntryHead& head) {
    if (!tokens_.Accept(L"=")) return status::kDispException;
    RegValue value;
    const Status s = ReadValue(&value);
    if (!Ok(s)) return s;
    return StatusFromError(registry_.SetValue(parent, head.name, value));
}

Status RegScript::UnregisterValue(Key parent, const EntryHead& head) {
    if (!tokens_.Accept(L"=")) return status::kDispException;
    const Status s = SkipTokens(2);
    if (!Ok(s) || head.noRemove) return s;
    ScopedKey key(registry_);
    long error = registry_.OpenKey(parent, std::wstring(), RegAccess::Write, key.Put());
    if (error == regerror::kSuccess) error = registry_.DeleteValue(key.Get(), head.name);
    return error == regerror::kFileNotFound ? status::kOk : StatusFromError(error);
}

Status RegScript::RegisterKey(Key parent, const EntryHead& head, int depth) {
    if (head.remove) {
        if (!IsProtected(head.name)) DeleteSubtree(parent, head.name, 0);
        return PassBody(depth, Reading::Strict);  // nothing is created for a deleted key
    }
    if (head.forceRemove && !IsProtected(head.name)) DeleteSubtree(parent, head.name, 0);

    ScopedKey key(registry_);
    long error = registry_.OpenKey(parent, head.name, RegAccess::ReadWrite, key.Put());
    if (error != regerror::kSuccess) error = registry_.OpenKey(parent, head.name, RegAccess::Read, key.Put());
    if (error != regerror::kSuccess) error = registry_.CreateKey(parent, head.name, key.Put());
    if (error != regerror::kSuccess) return StatusFromError(error);

    if (tokens_.Accept(L"=")) {
        RegValue value;
        const Status s = ReadValue(&value);
        if (!Ok(s)) return s;
        error = registry_.SetValue(key.Get(), std::wstring(), value);
        if (error != regerror::kSuccess) return StatusFromError(error);
    }
    if (tokens_.Accept(L"{")) return EntryList(key.Get(), Mode::Register, depth + 1);
    return status::kOk;
}

Status RegScript::UnregisterKey(Key parent, const EntryHead& head, int depth) {
    ScopedKey key(registry_);
    long error = registry_.OpenKey(parent, head.name, RegAccess::Read, key.Put());
    // A name the registry refuses (longer than a key name may be) names no key that could
    // exist: registering a "Delete" entry ignores that refusal, so unregistering does too.
    if (error == regerror::kFileNotFound || error == regerror::kInvalidParameter)
        return PassBody(depth, Reading::Lenient);
    if (error != regerror::kSuccess) return StatusFromError(error);

    Status s = status::kOk;
    if (tokens_.Accept(L"=")) s = SkipTokens(2);
    if (Ok(s) && tokens_.Accept(L"{")) s = EntryList(key.Get(), Mode::Unregister, depth + 1);
    if (!Ok(s) || head.noRemove) return s;

    std::uint32_t subkeys = 0;
    error = registry_.CountSubkeys(key.Get(), &subkeys);
    if (error != regerror::kSuccess) return StatusFromError(error);
    if (subkeys > 0) return status::kOk;  // keys the script does not name keep it alive
    key.Reset();
    error = registry_.DeleteKey(parent, head.name);
    return error == regerror::kFileNotFound ? status::kOk : StatusFromError(error);
}

// Reads "type text" and converts the text to the type's data.
Status RegScript::ReadValue(RegValue* value) {
    std::wstring typeName;
    Status s = tokens_.Next(&typeName);
    if (Ok(s)) s = tokens_.Next(&value->text);
    if (!Ok(s)) return s;
    const ValueTypeName* type = nullptr;
    for (const ValueTypeName& t : kValueTypes)
        if (EqualsNoCase(typeName, t.name)) type = &t;
    if (!type) return status::kDispException;
    value->type = type->type;

    switch (value->type) {
    case RegValueType::String:
        return status::kOk;
    case RegValueType::Dword:
        return registry_.ParseDword(value->text, &value->number);
    case RegValueType::Binary:
        if (value->text.size() % 2 != 0) return status::kFail;
        value->bytes.resize(value->text.size() / 2);
        for (size_t i = 0; i < value->bytes.size(); ++i)
            value->bytes[i] = std::uint8_t(HexDigit(value->text[2 * i]) << 4 | HexDigit(value->text[2 * i + 1]));
        return status::kOk;
    case RegValueType::MultiString:
        value->text = MultiStringText(value->text);
        return status::kOk;
    }
    return status::kDispException;
}

Status RegScript::SkipTokens(int count) {
    std::wstring token;
    for (int i = 0; i < count; ++i) {
        const Status s = tokens_.Next(&token);
        if (!Ok(s)) return s;
    }
    return status::kOk;
}

// Passes over an entry's optional "= type text" and "{ ... }" without touching the
// registry, following the grammar rather than counting braces, so a "{" or "}" used as a
// key name or value text does not end a list early.
//  - Lenient reading (a key that unregistering finds missing) checks nothing: only the
//    end of the text stops it.
//  - Strict reading (the body of a "Delete" key when registering) applies the register
//    grammar: unregistering runs that body whenever the key exists again, so it must
//    hold nothing that unregistering refuses.
Status RegScript::PassBody(int depth, Reading reading) {
    if (tokens_.Accept(L"=")) {
        const Status s = PassValue(reading);
        if (!Ok(s)) return s;
    }
    return tokens_.Accept(L"{") ? PassList(depth + 1, reading) : status::kOk;
}

// Passes over "type text".
Status RegScript::PassValue(Reading reading) {
    if (reading == Reading::Lenient) return SkipTokens(2);
    RegValue value;
    return ReadValue(&value);
}

Status RegScript::PassList(int depth, Reading reading) {
    if (depth > kMaxDepth) return status::kDispException;
    const bool strict = reading == Reading::Strict;
    for (;;) {
        std::wstring token;
        Status s = tokens_.Next(&token);
        if (!Ok(s)) return s;
        if (token == L"}") return status::kOk;
        EntryHead head;
        s = ReadHead(std::move(token), &head);
        if (Ok(s) && strict) s = CheckName(head);
        if (Ok(s) && head.isValue) {
            if (tokens_.Accept(L"=")) s = PassValue(reading);
            else if (strict) s = status::kDispException;
        } else if (Ok(s)) {
            s = PassBody(depth, reading);
        }
        if (!Ok(s)) return s;
    }
}

long RegScript::DeleteSubtree(Key parent, const std::wstring& name, int depth) {
    if (depth > kMaxDepth) return regerror::kInvalidParameter;
    ScopedKey key(registry_);
    long error = registry_.OpenKey(parent, name, RegAccess::ReadWrite, key.Put());
    if (error != regerror::kSuccess) return error;
    for (;;) {
        std::wstring child;
        error = registry_.FirstSubkey(key.Get(), &child);
        if (error == regerror::kNoMoreItems) break;
        if (error == regerror::kSuccess) error = DeleteSubtree(key.Get(), child, depth + 1);
        if (error != regerror::kSuccess) return error;
    }
    key.Reset();
    return registry_.DeleteKey(parent, name);
}

}  // namespace qx
