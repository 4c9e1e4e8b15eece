#include "processors/ParameterPush.h"

#include <cstring>

#include "settings/PropertyStoreAccess.h"

namespace qx {

namespace {

using settings::KeyId;

using settings::kEq15BandCount;
using settings::kEq15BandsSize;
using settings::kFilterRecordSize;

// The result of reading one value: the read's status and the value (or the default).
struct Read {
    HRESULT status;
    bool counted;
    uint32_t value;
};

Read ReadValue(IPropertyStore* store, const KeyId& key, uint32_t def) {
    Read r{S_OK, false, def};
    r.status = settings::ReadUIntStatus(store, key, r.value, r.counted);
    if (!r.counted) r.value = def;
    return r;
}

// Words travel in the machine's (little-endian) byte order.
void PutWord(uint8_t* at, uint32_t value) { std::memcpy(at, &value, sizeof value); }
uint32_t GetWord(const uint8_t* at) {
    uint32_t v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

// The switch of a filter record (its first word) as one byte: 1 for on, 0 for off.
uint8_t SwitchByte(const uint8_t* record) { return GetWord(record) != 0 ? 1 : 0; }

// The leading `size` bytes of a blob value; a blob that does not count reads as zeros.
HRESULT ReadBlobOrZeros(IPropertyStore* store, const KeyId& key, uint8_t* out, uint32_t size) {
    bool counted = false;
    const HRESULT status = settings::ReadBlobStatus(store, key, out, size, counted);
    if (!counted) std::memset(out, 0, size);
    return status;
}

HRESULT Send(IQXEffectComponent* component, uint8_t id, const void* data, size_t size) {
    return component->SetParameter(BYTE(id), BYTE(size), data);
}

HRESULT SendFloat(IQXEffectComponent* component, uint8_t id, float value) {
    return Send(component, id, &value, sizeof value);
}

// A single value sent as a word, a float or a byte.
HRESULT PushSingle(IPropertyStore* store, IQXEffectComponent* component, const KeyId& key, const PushRule& rule,
                   HRESULT* readStatus) {
    const Read r = ReadValue(store, key, rule.def);
    if (readStatus) *readStatus = r.status;
    if (!component || (!r.counted && !rule.sendDefault) || r.value > rule.maxValue) return r.status;
    uint8_t bytes[4] = {};
    switch (rule.encoding) {
        case Encoding::Word:
            PutWord(bytes, r.value);
            return Send(component, rule.id, bytes, 4);
        case Encoding::WordMinus12:
            PutWord(bytes, uint32_t(int32_t(r.value) - 12));
            return Send(component, rule.id, bytes, 4);
        case Encoding::LowByte:
            bytes[0] = uint8_t(r.value);
            return Send(component, rule.id, bytes, 1);
        case Encoding::BoolByte:
            bytes[0] = r.value != 0 ? 1 : 0;
            return Send(component, rule.id, bytes, 1);
        case Encoding::PlusOneByte:
            bytes[0] = uint8_t(r.value + 1);
            return Send(component, rule.id, bytes, 1);
        case Encoding::PlusFiveByte:
            bytes[0] = uint8_t(r.value + 5);
            return Send(component, rule.id, bytes, 1);
        case Encoding::DecodeModeByte:
            bytes[0] = r.value == 1 ? 2 : 3;
            return Send(component, rule.id, bytes, 1);
        case Encoding::AngleStepByte:
            bytes[0] = uint8_t((uint8_t(r.value) + 1) * 5);
            return Send(component, rule.id, bytes, 1);
        case Encoding::TenthsFloat:
            return SendFloat(component, rule.id, float(r.value) / 10.0f);
        case Encoding::Float:
            return SendFloat(component, rule.id, float(r.value));
        case Encoding::EqualizerBand: {
            uint8_t record[8] = {uint8_t(key.pid - 1), 0, 0, 0};
            PutWord(record + 4, r.value);
            return Send(component, rule.id, record, sizeof record);
        }
        default:
            return r.status;
    }
}

// A distance that is absent or 0 counts as the reference distance of 30, so the speaker
// plays at its nominal level (factor 1.0), as it does at the dialog's default distance;
// (30 / d)^2 is undefined for 0, and an unset key must not make a speaker louder.
float SpeakerLevel(bool distanceRead, uint32_t distance) {
    constexpr float kReferenceDistance = 30.0f;
    if (!distanceRead || distance == 0) return 1.0f;
    const float ratio = kReferenceDistance / float(distance);
    return ratio * ratio;
}

// Reads one field into the record; returns the read's status (S_OK for a constant).
HRESULT ReadField(IPropertyStore* store, const Guid& fmtid, const RecordField& field, uint8_t* record) {
    if (field.form == FieldForm::Constant) {
        PutWord(record + field.at, field.def);
        return S_OK;
    }
    const Read r = ReadValue(store, {fmtid, field.pid}, field.def);
    float f = 0.0f;
    switch (field.form) {
        case FieldForm::Byte:
            record[field.at] = uint8_t(r.value);
            return r.status;
        case FieldForm::Word:
            PutWord(record + field.at, r.value);
            return r.status;
        case FieldForm::TenthsFloat:
            f = float(r.value) / 10.0f;
            break;
        case FieldForm::AngleFloat:
            f = float(r.counted ? settings::DecodeSigned(r.value) : int32_t(r.value));
            break;
        default:  // LevelFloat
            f = SpeakerLevel(r.counted, r.value);
            break;
    }
    std::memcpy(record + field.at, &f, sizeof f);
    return r.status;
}

// Several keys of one property set in one record; sent whenever there is a component.
HRESULT PushRecord(IPropertyStore* store, IQXEffectComponent* component, const KeyId& key, const PushRule& rule) {
    const RecordLayout& layout = *rule.record;
    if (layout.needsTarget && (!component || !store)) return E_FAIL;
    if (layout.size > kMaxRecordSize) return E_INVALIDARG;
    uint8_t record[kMaxRecordSize + 4] = {};  // room for a word written at the last offset
    HRESULT status = S_OK;
    for (uint8_t i = 0; i < layout.count; ++i) status = ReadField(store, key.fmtid, layout.fields[i], record);
    return component ? Send(component, rule.id, record, layout.size) : status;
}

// A filter record of the Bass or Treble filter: its switch, then frequency and gain.
HRESULT PushFilterRecord(IPropertyStore* store, IQXEffectComponent* component, const KeyId& key,
                         const PushRule& rule) {
    uint8_t record[kFilterRecordSize] = {};
    const HRESULT status = ReadBlobOrZeros(store, key, record, sizeof record);
    if (!component) return status;
    const uint8_t on = SwitchByte(record);
    Send(component, rule.id, &on, 1);
    return Send(component, uint8_t(rule.id + 1), record + 4, 8);
}

// The fifteen band records: the switch shrinks to one byte followed by three zero bytes.
HRESULT PushFilterBands(IPropertyStore* store, IQXEffectComponent* component, const KeyId& key,
                        const PushRule& rule) {
    uint8_t records[kEq15BandsSize] = {};
    const HRESULT status = ReadBlobOrZeros(store, key, records, sizeof records);
    if (!component) return status;
    for (size_t band = 0; band < kEq15BandCount; ++band) {
        uint8_t* record = records + band * kFilterRecordSize;
        PutWord(record, SwitchByte(record));  // little-endian: byte 0 is the switch, bytes 1 to 3 zero
    }
    return Send(component, rule.id, records, sizeof records);
}

}  // namespace

HRESULT PushParameter(IPropertyStore* store, IQXEffectComponent* component, const KeyId& key, const PushRule& rule,
                      HRESULT* readStatus) {
    if (readStatus) *readStatus = S_OK;
    switch (rule.encoding) {
        case Encoding::Record:
            return PushRecord(store, component, key, rule);
        case Encoding::FilterRecord:
            return PushFilterRecord(store, component, key, rule);
        case Encoding::FilterBands:
            return PushFilterBands(store, component, key, rule);
        default:
            return PushSingle(store, component, key, rule, readStatus);
    }
}

}  // namespace qx
