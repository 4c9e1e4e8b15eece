#include "processors/LfxParameters.h"

#include <cstring>

#include "processors/ParameterPush.h"
#include "processors/WaveFormats.h"
#include "settings/PropertyStoreAccess.h"

namespace qx {

using namespace lfx;

namespace {
constexpr uint32_t kNuvexMaxSpeakerAngle = 4;
constexpr uint32_t kNuvexMaxExpansion = 3;  // a stored expansion above this is not sent
}  // namespace

// A distance that is absent or 0 counts as the reference distance, so the speaker plays
// at its nominal level (factor 1.0), as it does at the dialog's default distance of 30;
// (30 / d)^2 is undefined for 0, and an unset key must not make a speaker louder.
float SpeakerLevel(bool distanceRead, uint32_t distance) {
    if (!distanceRead || distance == 0) return 1.0f;
    const float ratio = kReferenceDistance / float(distance);
    return ratio * ratio;
}

LfxParameters::LfxParameters(const ComPtr<IQXEffectComponent>* slots, IPropertyStore* store)
    : slots_(slots), store_(store) {}

bool LfxParameters::Read(const settings::KeyId& key, uint32_t& value) {
    bool counted = false;
    status_ = settings::ReadUIntStatus(store_, key, value, counted);
    return counted;
}

uint32_t LfxParameters::ReadOr(const settings::KeyId& key, uint32_t fallback) {
    uint32_t value = fallback;
    return Read(key, value) ? value : fallback;
}

HRESULT LfxParameters::Push(uint8_t slot, uint8_t id, uint8_t size, const void* data) {
    if (!Slot(slot)) return status_;
    status_ = Slot(slot)->SetParameter(id, size, data);
    return status_;
}

void LfxParameters::PushWhenRead(const KeyPush& row) {
    status_ = PushParameter(store_, Slot(row.slot), row.key, row.rule);
}

void LfxParameters::PushSlotValues(uint8_t slot) {
    for (const KeyPush& row : kValuePushes)
        if (row.slot == slot) PushWhenRead(row);
}

void LfxParameters::PushFixed(uint8_t slot, const FixedPush* pushes, size_t count) {
    for (size_t i = 0; i < count; ++i) Push(slot, pushes[i].id, pushes[i].size, pushes[i].bytes);
}

void LfxParameters::PushProLogicShape() {
    const uint8_t bytes[2] = {uint8_t(ReadOr(key::ProLogicDimension, 7)), uint8_t(ReadOr(key::ProLogicCenterWidth, 3))};
    Push(SlotProLogic, param::kProLogicShape, sizeof bytes, bytes);
}

void LfxParameters::PushNeoShape(float unreadGain) {
    param::NeoShapeRecord record{};
    record.dimension = uint8_t(ReadOr(key::NeoPcDimension, 7));
    uint32_t gain = 0;
    record.centerGain = Read(key::NeoPcCenterGain, gain) ? float(gain) / 10.0f : unreadGain;
    Push(SlotNeoPc, param::kNeoShape, sizeof record, &record);
}

void LfxParameters::PushDolbyRoom(uint32_t mode) {
    // Headphone room filters are numbered from 1, virtual-speaker modes from 5.
    const settings::KeyId& setting = mode ? key::DolbyHeadphoneRoom : key::DolbyVirtualSpeakerMode;
    const uint8_t base = mode ? 1 : 5;
    uint32_t value = 0;
    if (!Read(setting, value)) return;
    const uint8_t byte = uint8_t(uint8_t(value) + base);
    Push(SlotDolbySurround, param::kDolbyRoom, 1, &byte);
}

HRESULT LfxParameters::NuvexSetUp(uint32_t inChannels, uint32_t rate, uint32_t frames) {
    IQXEffectComponent* nuvex = Slot(SlotNuvex);
    if (!nuvex || !store_) return status_ = E_FAIL;
    const WAVEFORMATEX in = MakeFloatFormat(inChannels, rate);
    const WAVEFORMATEX out = MakeFloatFormat(2, rate);
    status_ = nuvex->Initialize(&in, &out, frames, 0);
    if (FAILED(status_)) return status_;

    uint32_t mode = 0;
    if (!Read(key::NuvexMode, mode)) return status_;
    Push(SlotNuvex, param::kNuvexMode, 4, &mode);
    uint32_t value = 0;
    if (mode) {
        // Headphone: the room size.
        if (Read(key::NuvexRoomSize, value)) Push(SlotNuvex, param::kNuvexRoomSize, 4, &value);
        return status_;
    }
    // Speaker: sound field expansion and physical speaker angle.
    if (Read(key::NuvexExpansion, value) && value <= kNuvexMaxExpansion) Push(SlotNuvex, param::kNuvexExpansion, 4, &value);
    if (Read(key::NuvexSpeakerAngle, value) && value <= kNuvexMaxSpeakerAngle) Push(SlotNuvex, param::kNuvexSpeakerAngle, 4, &value);
    return status_;
}

HRESULT LfxParameters::SpeakerRecord(uint32_t speaker) {
    if (!Slot(SlotSpeakerShifter) || !store_ || speaker >= 8) return status_ = E_FAIL;
    const SpeakerKeys& keys = kSpeakers[speaker];
    param::SpeakerRecord record{speaker, 0.0f, 1.0f};
    if (keys.anglePid) {
        uint32_t stored = 0;
        const bool read = Read({fmtid::SpeakerShifter, keys.anglePid}, stored);
        record.angle = float(read ? settings::DecodeSigned(stored) : keys.defaultAngle);
    }
    uint32_t distance = 0;
    const bool read = Read({fmtid::SpeakerShifter, keys.distancePid}, distance);
    record.level = SpeakerLevel(read, distance);
    return Push(SlotSpeakerShifter, param::kSpeakerRecord, sizeof record, &record);
}

}  // namespace qx
