#pragma once
// Reads settings of the render local effects from the FX property store and pushes them
// to the components as parameters. One object serves one lock-time set-up or one
// refresh; it keeps the status of the last read or push, which is what those
// operations report.
#include <windows.h>
#include <propsys.h>

#include <cstdint>

#include "common/ComPtr.h"
#include "processors/LfxTables.h"
#include "settings/IQXEffectComponent.h"

namespace qx {

class LfxParameters {
public:
    // slots: the processor's kSlotCount component slots; store may be null (every read
    // then fails with E_POINTER).
    LfxParameters(const ComPtr<IQXEffectComponent>* slots, IPropertyStore* store);

    HRESULT Status() const { return status_; }
    void SetStatus(HRESULT status) { status_ = status; }

    // True when the key holds a VT_UI4; the read's status becomes the status.
    bool Read(const settings::KeyId& key, uint32_t& value);
    // The value, or `fallback` when the key is not read.
    uint32_t ReadOr(const settings::KeyId& key, uint32_t fallback);
    // SetParameter on a filled slot; its result becomes the status.
    HRESULT Push(uint8_t slot, uint8_t id, uint8_t size, const void* data);

    // One table row, as its rule says; nothing without its component (a record that
    // needs it reports E_FAIL).
    void PushWhenRead(const KeyPush& row);
    // Every lock-time row of a slot for the slot's mode, in table order: the value rows,
    // then the push rows of the refresh table.
    void PushSlotValues(uint8_t slot, uint32_t mode = 0);
    void PushFixed(uint8_t slot, const lfx::FixedPush* pushes, size_t count);

    // Initialises Nuvex Surround for `inChannels` input channels and sends its mode and
    // the settings of that mode. E_FAIL without the component or a store.
    HRESULT NuvexSetUp(uint32_t inChannels, uint32_t rate, uint32_t frames);

private:
    IQXEffectComponent* Slot(uint8_t slot) const { return slots_[slot].Get(); }

    const ComPtr<IQXEffectComponent>* slots_;
    IPropertyStore* store_;
    HRESULT status_ = S_OK;
};

}  // namespace qx
