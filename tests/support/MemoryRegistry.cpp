#include "tests/support/MemoryRegistry.h"

#include <vector>

namespace qx {

namespace {
constexpr long kKeyDeleted = 1018;  // ERROR_KEY_DELETED
constexpr size_t kMaxKeyName = 255;

constexpr const wchar_t* kHiveNames[kHiveCount] = {L"HKCR", L"HKCU", L"HKLM", L"HKU", L"HKPD", L"HKDD", L"HKCC"};

std::vector<std::wstring> SplitPath(std::wstring_view path) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring_view::npos) end = path.size();
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool CanWrite(RegAccess access) { return access != RegAccess::Read; }
bool CanRead(RegAccess access) { return access != RegAccess::Write; }
}  // namespace

MemoryRegistry::MemoryRegistry() {
    for (int i = 0; i < kHiveCount; ++i) {
        roots_[i].node = std::make_shared<Node>();
        roots_[i].node->name = kHiveNames[i];
        roots_[i].access = RegAccess::ReadWrite;
    }
}

RegistryAccess::Key MemoryRegistry::Root(RegHive hive) { return &roots_[static_cast<int>(hive)]; }

MemoryRegistry::Handle* MemoryRegistry::Lookup(Key key) {
    for (Handle& root : roots_)
        if (key == &root) return &root;
    const auto it = handles_.find(static_cast<Handle*>(key));
    return it == handles_.end() ? nullptr : it->second.get();
}

// The handle behind `key` when it is open, its key not deleted and it was opened for
// what the call needs; otherwise the error the call returns.
long MemoryRegistry::Usable(Key key, Use use, const Handle** out) {
    const Handle* h = Lookup(key);
    if (!h) return regerror::kInvalidParameter;
    if (h->node->deleted) return kKeyDeleted;
    if ((use == Use::Read && !CanRead(h->access)) || (use == Use::Write && !CanWrite(h->access)))
        return regerror::kAccessDenied;
    *out = h;
    return regerror::kSuccess;
}

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::AddChild(Node& parent, const std::wstring& name) {
    auto child = std::make_shared<Node>();
    child->name = name;
    child->parent = &parent;
    return parent.subkeys.emplace(name, std::move(child)).first->second;
}

// Follows `path` below the handle's key; in create mode missing keys are made where the
// rights allow it (and, right below the handle, where the handle was opened for writing).
long MemoryRegistry::Walk(const Handle& from, const std::wstring& path, bool create,
                          std::shared_ptr<Node>* found) const {
    std::shared_ptr<Node> node = from.node;
    for (const std::wstring& part : SplitPath(path)) {
        if (part.size() > kMaxKeyName) return regerror::kInvalidParameter;
        if (node->rights == Rights::Denied) return regerror::kAccessDenied;
        const auto it = node->subkeys.find(part);
        if (it != node->subkeys.end()) {
            node = it->second;
        } else if (!create) {
            return regerror::kFileNotFound;
        } else if (node->rights != Rights::Full || (node == from.node && !CanWrite(from.access))) {
            return regerror::kAccessDenied;
        } else {
            node = AddChild(*node, part);
        }
    }
    *found = node;
    return regerror::kSuccess;
}

long MemoryRegistry::NewHandle(std::shared_ptr<Node> node, RegAccess access, Key* out) {
    if (node->rights == Rights::Denied || (node->rights == Rights::ReadOnly && CanWrite(access)))
        return regerror::kAccessDenied;
    auto handle = std::make_unique<Handle>(Handle{std::move(node), access});
    *out = handle.get();
    handles_.emplace(handle.get(), std::move(handle));
    return regerror::kSuccess;
}

long MemoryRegistry::Open(Key parent, const std::wstring& name, bool create, RegAccess access, Key* out) {
    *out = nullptr;
    const Handle* h = nullptr;
    if (const long error = Usable(parent, Use::Any, &h); error != regerror::kSuccess) return error;
    std::shared_ptr<Node> node;
    const long error = Walk(*h, name, create, &node);
    return error != regerror::kSuccess ? error : NewHandle(std::move(node), access, out);
}

long MemoryRegistry::OpenKey(Key parent, const std::wstring& name, RegAccess access, Key* out) {
    return Open(parent, name, false, access, out);
}

long MemoryRegistry::CreateKey(Key parent, const std::wstring& name, Key* out) {
    return Open(parent, name, true, RegAccess::ReadWrite, out);
}

void MemoryRegistry::CloseKey(Key key) { handles_.erase(static_cast<Handle*>(key)); }

long MemoryRegistry::SetValue(Key key, const std::wstring& name, const RegValue& value) {
    const Handle* h = nullptr;
    if (const long error = Usable(key, Use::Write, &h); error != regerror::kSuccess) return error;
    h->node->values[name] = value;
    return regerror::kSuccess;
}

long MemoryRegistry::DeleteValue(Key key, const std::wstring& name) {
    const Handle* h = nullptr;
    if (const long error = Usable(key, Use::Write, &h); error != regerror::kSuccess) return error;
    return h->node->values.erase(name) ? regerror::kSuccess : regerror::kFileNotFound;
}

long MemoryRegistry::DeleteKey(Key parent, const std::wstring& name) {
    const Handle* h = nullptr;
    if (const long error = Usable(parent, Use::Any, &h); error != regerror::kSuccess) return error;
    std::shared_ptr<Node> node;
    const long error = Walk(*h, name, false, &node);
    if (error != regerror::kSuccess) return error;
    if (node == h->node || node->rights != Rights::Full || !node->subkeys.empty()) return regerror::kAccessDenied;
    node->deleted = true;
    node->parent->subkeys.erase(node->name);  // open handles keep the node itself
    return regerror::kSuccess;
}

long MemoryRegistry::FirstSubkey(Key key, std::wstring* name) {
    const Handle* h = nullptr;
    if (const long error = Usable(key, Use::Read, &h); error != regerror::kSuccess) return error;
    if (h->node->subkeys.empty()) return regerror::kNoMoreItems;
    *name = h->node->subkeys.begin()->second->name;
    return regerror::kSuccess;
}

long MemoryRegistry::CountSubkeys(Key key, std::uint32_t* count) {
    const Handle* h = nullptr;
    if (const long error = Usable(key, Use::Read, &h); error != regerror::kSuccess) return error;
    *count = static_cast<std::uint32_t>(h->node->subkeys.size());
    return regerror::kSuccess;
}

// The key at `path` (a short hive name first); missing keys are made, whatever the
// rights, when `create` is set.
MemoryRegistry::Node* MemoryRegistry::Find(std::wstring_view path, bool create) const {
    const std::vector<std::wstring> parts = SplitPath(path);
    for (int i = 0; i < kHiveCount && !parts.empty(); ++i) {
        if (!EqualsNoCase(parts[0], kHiveNames[i])) continue;
        Node* node = roots_[i].node.get();
        for (size_t p = 1; p < parts.size() && node; ++p) {
            const auto it = node->subkeys.find(parts[p]);
            if (it != node->subkeys.end()) node = it->second.get();
            else node = create ? AddChild(*node, parts[p]).get() : nullptr;
        }
        return node;
    }
    return nullptr;
}

bool MemoryRegistry::Exists(std::wstring_view path) const { return Find(path) != nullptr; }

const RegValue* MemoryRegistry::Value(std::wstring_view path, std::wstring_view name) const {
    const Node* node = Find(path);
    if (!node) return nullptr;
    const auto it = node->values.find(std::wstring(name));
    return it == node->values.end() ? nullptr : &it->second;
}

void MemoryRegistry::PutKey(std::wstring_view path) { Find(path, true); }

void MemoryRegistry::PutValue(std::wstring_view path, const std::wstring& name, const RegValue& value) {
    if (Node* node = Find(path, true)) node->values[name] = value;
}

void MemoryRegistry::SetRights(std::wstring_view path, Rights rights) {
    if (Node* node = Find(path)) node->rights = rights;
}

}  // namespace qx
