#include "processors/LfxParameters.h"

#include <cstring>

#include "processors/ParameterPush.h"
#include "processors/WaveFormats.h"
#include "settings/PropertyStoreAccess.h"

namespace qx {

using namespace lfx;

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
    // Rows of an absent component are skipped, except a record that fails without it.
    if (!Slot(row.slot) && !(row.rule.record && row.rule.record->needsTarget)) return;
    status_ = PushParameter(store_, Slot(row.slot), row.key, row.rule);
}

void LfxParameters::PushSlotValues(uint8_t slot, uint32_t mode) {
    for (const KeyPush& row : kValuePushes)
        if (row.slot == slot && row.time != PushTime::Refresh && Holds(row.when, false, mode)) PushWhenRead(row);
    for (const RefreshRow& row : kRefreshRows)
        if (row.action == RefreshAction::Push && row.slot == slot && Holds(row.when, false, mode))
            PushWhenRead({slot, {row.fmtid, row.firstPid}, row.rule});
}

void LfxParameters::PushFixed(uint8_t slot, const FixedPush* pushes, size_t count) {
    for (size_t i = 0; i < count; ++i) Push(slot, pushes[i].id, pushes[i].size, pushes[i].bytes);
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
    PushSlotValues(SlotNuvex, mode);
    return status_;
}

}  // namespace qx
