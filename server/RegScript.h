#pragma once
// The registry-script interpreter. A script is a list of hive blocks:
//
//   HKCR
//   {
//       ForceRemove|Delete NoRemove key = s 'default'
//       {
//           val name = s|d|b|m 'text'
//           subkey ...
//       }
//   }
//
// Register mode creates keys and sets values; unregister mode deletes the values and
// the keys the script names unless marked NoRemove or still holding other subkeys.
// The text must already be expanded (see ReplacementList).
#include <string>
#include <string_view>

#include "server/RegScriptTokenizer.h"
#include "server/RegistryAccess.h"

namespace qx {

class RegScript {
public:
    enum class Mode { Register, Unregister };

    // Deepest nesting of entry lists accepted; deeper scripts are syntax errors.
    static constexpr int kMaxDepth = 512;

    // Runs every hive block in order and stops at the first failure. In register mode a
    // failing block is undone by running it again in unregister mode; blocks before it
    // stay written.
    static Status Run(std::wstring_view text, RegistryAccess& registry, Mode mode);

    // Key names that ForceRemove and Delete never remove with their subtree.
    static bool IsProtected(std::wstring_view name);

private:
    struct EntryHead {
        bool forceRemove = false;
        bool remove = false;  // "Delete"
        bool noRemove = false;
        bool isValue = false;
        std::wstring name;
    };
    using Key = RegistryAccess::Key;

    RegScript(std::wstring_view text, RegistryAccess& registry) : tokens_(text), registry_(registry) {}

    static bool NestingWithinLimit(std::wstring_view text);
    Status Blocks(Mode mode);
    Status HiveBlock(Mode mode);
    Status EntryList(Key parent, Mode mode, int depth);
    Status Entry(Key parent, std::wstring first, Mode mode, int depth);
    Status ReadHead(std::wstring first, EntryHead* head);
    static Status CheckName(const EntryHead& head);

    Status RegisterValue(Key parent, const EntryHead& head);
    Status UnregisterValue(Key parent, const EntryHead& head);
    Status RegisterKey(Key parent, const EntryHead& head, int depth);
    Status UnregisterKey(Key parent, const EntryHead& head, int depth);

    Status ReadValue(RegValue* value);
    Status SkipTokens(int count);
    enum class Reading { Lenient, Strict };
    Status PassBody(int depth, Reading reading);
    Status PassValue(Reading reading);
    Status PassList(int depth, Reading reading);
    long DeleteSubtree(Key parent, const std::wstring& name, int depth);

    RegScriptTokenizer tokens_;
    RegistryAccess& registry_;
};

}  // namespace qx
