#pragma once
// The table forms the three processors describe themselves in. Pure C++.
#include <cstddef>
#include <cstdint>

#include "settings/EffectSchema.h"

namespace qx {

// How a stored setting becomes the bytes of one SetParameter call (or two, for a filter
// record). A record gathers several keys of one property set.
enum class Encoding : uint8_t {
    Word,             // (id, 4, value)
    WordMinus12,      // (id, 4, value - 12): a 0..24 level centred on 12
    LowByte,          // (id, 1, low byte of the value)
    BoolByte,         // (id, 1, 1 when the value is nonzero, else 0)
    PlusOneByte,      // (id, 1, low byte of the value + 1)
    DecodeModeByte,   // (id, 1, 2 for the value 1 ("Music"), else 3)
    AngleStepByte,    // (id, 1, (low byte + 1) x 5): the index of 5, 10, ... 30 degrees
    TenthsFloat,      // (id, 4, value / 10 as a 32-bit float)
    Float,            // (id, 4, the value as a 32-bit float)
    PlusFiveByte,     // (id, 1, low byte of the value + 5)
    EqualizerBand,    // (id, 8, {key.pid - 1, 0, 0, 0, value})
    FilterRecord,     // 16-byte record: (id, 1, on != 0), then (id + 1, 8, frequency, gain)
    FilterBands,      // 240 bytes: (id, 240, 15 records {on != 0, 0, 0, 0, frequency, gain, q})
    Record,           // (id, size, the fields of PushRule::record); always sent
};

inline constexpr uint32_t kNoLimit = 0xFFFFFFFFu;

// How one field of a record is read from its key and written at its offset. A key that is
// not read gives the field's default.
enum class FieldForm : uint8_t {
    Byte,         // 1 byte: the value's low byte
    Word,         // 4 bytes: the value
    TenthsFloat,  // 4 bytes: the value / 10 as a 32-bit float
    AngleFloat,   // 4 bytes: the stored signed angle in degrees as a float (default: the angle)
    LevelFloat,   // 4 bytes: the level factor of a stored speaker distance (default: 1.0)
    Constant,     // 4 bytes: the default; no key is read
};

struct RecordField {
    FieldForm form;
    uint8_t at;    // byte offset in the record
    uint32_t pid;  // in the property set of the rule's key
    uint32_t def;
};

// Fields are read in their order, so that the status of the last read is that of the
// last field read.
inline constexpr uint8_t kMaxRecordSize = 64;
struct RecordLayout {
    uint8_t size;
    bool needsTarget;  // without a component or a store: E_FAIL and nothing read
    uint8_t count;
    RecordField fields[10];
};

struct PushRule {
    Encoding encoding;
    uint8_t id;
    bool sendDefault;             // false: nothing is sent when the value is absent
    uint32_t def;                 // the value used when absent (blobs: all zero)
    uint32_t maxValue = kNoLimit;  // a value read above this is not sent
    const RecordLayout* record = nullptr;  // Record rules only
};

constexpr PushRule RecordRule(uint8_t id, const RecordLayout& layout) {
    return {Encoding::Record, id, true, 0, kNoLimit, &layout};
}

// Whether the rule of a row keyed `key` reads the key `changed` (a record: any of its fields).
constexpr bool RuleReads(const PushRule& rule, const settings::KeyId& key, const settings::KeyId& changed) {
    if (!rule.record) return key == changed;
    if (!(key.fmtid == changed.fmtid)) return false;
    for (uint8_t i = 0; i < rule.record->count; ++i) {
        const RecordField& f = rule.record->fields[i];
        if (f.form != FieldForm::Constant && f.pid == changed.pid) return true;
    }
    return false;
}

// When a table row is pushed: at lock time, on a refresh of a key it reads, or both.
enum class PushTime : uint8_t { Both, Lock, Refresh };

// Whether a row applies: always, while an enable flag is on, or for a mode (zero or
// nonzero): the mode its component was set up in or, for a row that names a mode key, the
// value of that key when the row is refreshed (`unreadMode` while the key is not read).
enum class When : uint8_t { Always, FlagOn, ModeZero, ModeNonzero };
struct Condition {
    When when = When::Always;
    uint8_t flag = 0;  // FlagOn only
    const settings::KeyId* modeKey = nullptr;
    uint32_t unreadMode = 0;
};
constexpr Condition WhileOn(uint8_t flag) { return {When::FlagOn, flag}; }
constexpr Condition ForStoredMode(When when, const settings::KeyId& modeKey, uint32_t unreadMode) {
    return {when, 0, &modeKey, unreadMode};
}
constexpr bool Holds(const Condition& c, bool flagOn, uint32_t mode) {
    switch (c.when) {
        case When::FlagOn: return flagOn;
        case When::ModeZero: return mode == 0;
        case When::ModeNonzero: return mode != 0;
        default: return true;
    }
}

// One setting of one component slot.
struct KeyPush {
    uint8_t slot;
    settings::KeyId key;
    PushRule rule;
    PushTime time = PushTime::Both;
    Condition when = {};
};

// What a change of one key (or of a run of keys of one property set) does: a flag row
// stores the value read in its enable flag and, when it is on, switches off the flags of
// `clearWhenOn`; a push row sends the key to its slot's component by its rule while its
// condition holds; a follow-up row only hands the value read to the processor. `after`
// names the processor's own follow-up of a flag or follow-up row (a bit set), which runs
// when the value is read, or also when it is not if `after` holds kEvenUnread.
enum class RefreshAction : uint8_t { StoreFlag, Push, FollowUp };
inline constexpr uint8_t kEvenUnread = 0x80;
struct RefreshRow {
    Guid fmtid;
    uint32_t firstPid;
    uint32_t lastPid;
    RefreshAction action;
    uint8_t slot;  // flag rows: the flag
    PushRule rule;  // push rows only
    uint16_t clearWhenOn = 0;
    uint8_t after = 0;
    Condition when = {};
};

constexpr RefreshRow FlagRow(const settings::KeyId& k, uint8_t flag, uint16_t clearWhenOn = 0, uint8_t after = 0) {
    return {k.fmtid, k.pid, k.pid, RefreshAction::StoreFlag, flag, {}, clearWhenOn, after};
}
constexpr RefreshRow FollowRow(const settings::KeyId& k, uint8_t slot, uint8_t after) {
    return {k.fmtid, k.pid, k.pid, RefreshAction::FollowUp, slot, {}, 0, after};
}
constexpr RefreshRow PushRow(const settings::KeyId& first, uint32_t lastPid, uint8_t slot, PushRule rule,
                             Condition when = {}) {
    return {first.fmtid, first.pid, lastPid, RefreshAction::Push, slot, rule, 0, 0, when};
}
constexpr RefreshRow PushRow(const settings::KeyId& k, uint8_t slot, PushRule rule, Condition when = {}) {
    return PushRow(k, k.pid, slot, rule, when);
}

template <size_t N>
constexpr const RefreshRow* FindRefreshRow(const RefreshRow (&rows)[N], const settings::KeyId& k) {
    for (const RefreshRow& row : rows)
        if (row.fmtid == k.fmtid && k.pid >= row.firstPid && k.pid <= row.lastPid) return &row;
    return nullptr;
}

}  // namespace qx
