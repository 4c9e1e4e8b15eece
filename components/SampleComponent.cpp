#include "components/SampleComponent.h"

#include <cstring>
#include <new>


namespace qx::samplefx {

namespace {
// The IEEE float sub-format of WAVE_FORMAT_EXTENSIBLE.
constexpr GUID kSubtypeIeeeFloat = {0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}  // namespace

HRESULT SampleComponent::Create(fx::Effect* effect, REFIID ownIid, REFIID riid, void** ppv) {
    std::unique_ptr<fx::Effect> owned(effect);
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!owned) return E_OUTOFMEMORY;
    SampleComponent* object = new (std::nothrow) SampleComponent(std::move(owned), ownIid);
    if (!object) return E_OUTOFMEMORY;
    return QueryNewObject(object, riid, ppv);  // destroys the object when the query failed
}

void* SampleComponent::FindInterface(REFIID riid) {
    if (IsEqualIID(riid, ownIid_)) return static_cast<IQXEffectComponent*>(this);
    return UnknownObject::FindInterface(riid);
}

bool SampleComponent::IsSupportedFormat(const WAVEFORMATEX& f) {
    bool isFloat = f.wFormatTag == WAVE_FORMAT_IEEE_FLOAT;
    if (f.wFormatTag == WAVE_FORMAT_EXTENSIBLE && f.cbSize >= sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX)) {
        const auto& ext = reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(f);
        isFloat = IsEqualGUID(ext.SubFormat, kSubtypeIeeeFloat);
    }
    return isFloat && f.wBitsPerSample == 32 && f.nChannels >= 1 && f.nChannels <= fx::kMaxChannels &&
           f.nSamplesPerSec >= 8000 && f.nSamplesPerSec <= 768000 && f.nBlockAlign == f.nChannels * 4;
}

HRESULT SampleComponent::Initialize(const WAVEFORMATEX* in, const WAVEFORMATEX* out, UINT32 maxFrames, UINT32) {
    ready_ = false;
    if (!in) return E_POINTER;
    if (!IsSupportedFormat(*in) || maxFrames == 0) return E_INVALIDARG;
    // An in-place effect keeps the layout: an output format, when given, must match.
    if (out && (!IsSupportedFormat(*out) || out->nChannels != in->nChannels ||
                out->nSamplesPerSec != in->nSamplesPerSec))
        return E_INVALIDARG;
    try {
        effect_->Prepare(in->nSamplesPerSec, in->nChannels);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    channels_ = in->nChannels;
    ready_ = true;
    return S_OK;
}

HRESULT SampleComponent::SetParameter(BYTE id, BYTE size, const void* data) {
    if (size != 0 && !data) return E_POINTER;
    switch (effect_->SetParameter(id, size, static_cast<const uint8_t*>(data))) {
    case fx::ParamStatus::Ok: return S_OK;
    case fx::ParamStatus::UnknownId: return E_NOTIMPL;
    default: return E_INVALIDARG;
    }
}

HRESULT SampleComponent::Process(float* const* in, void* const* out, UINT32 frames) {
    if (!ready_) return E_UNEXPECTED;
    if (!in) return E_POINTER;
    for (UINT32 c = 0; c < channels_; ++c)
        if (!in[c]) return E_POINTER;
    if (frames == 0) return S_OK;
    effect_->Process(in, frames);
    // In place is the rule; a distinct output table gets a copy of the result.
    if (out && out != reinterpret_cast<void* const*>(in))
        for (UINT32 c = 0; c < channels_; ++c)
            if (out[c] && out[c] != in[c]) std::memcpy(out[c], in[c], frames * sizeof(float));
    return S_OK;
}

}  // namespace qx::samplefx
