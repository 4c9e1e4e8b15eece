#pragma once
// Reading and writing FX property-store keys. A value counts only when GetValue succeeds
// and the variant has exactly the schema's type (and blob size); every variant is
// cleared after the read. Everything in the module reads settings through here.
#include <windows.h>
#include <propsys.h>

#include <cstdint>

#include "common/ComPtr.h"
#include "settings/EffectSchema.h"

namespace qx::settings {

PROPERTYKEY ToPropertyKey(const KeyId& key);
KeyId FromPropertyKey(const PROPERTYKEY& key);
bool SameKey(const PROPERTYKEY& a, const KeyId& b);

// Queries an IUnknown handed in by a host for IPropertyStore (null stays null).
ComPtr<IPropertyStore> QueryStore(IUnknown* unknown);

// The status of GetValue, whatever the value's type (the endpoint GUID read).
HRESULT ReadStatus(IPropertyStore* store, const KeyId& key);

// Each returns true and sets out only when the value counts.
bool ReadUInt(IPropertyStore* store, const KeyId& key, uint32_t& out);
bool ReadFlag(IPropertyStore* store, const KeyId& key, bool& out);
// The first `size` bytes of a blob of at least that size (a wave format's leading fields).
bool ReadBlobHead(IPropertyStore* store, const KeyId& key, void* out, uint32_t size);
bool ReadBlob(IPropertyStore* store, const KeyId& key, void* out, uint32_t size);

// The same reads, also giving the status of GetValue (E_POINTER without a store);
// `counted` says whether out was set.
HRESULT ReadUIntStatus(IPropertyStore* store, const KeyId& key, uint32_t& out, bool& counted);
HRESULT ReadBlobStatus(IPropertyStore* store, const KeyId& key, void* out, uint32_t size, bool& counted);
// The low 32 bits of the value whatever its variant type, set whenever GetValue succeeds
// (the endpoint form factor is taken this way).
HRESULT ReadAnyUInt32(IPropertyStore* store, const KeyId& key, uint32_t& out);

// What a processor's Initialize reads from the endpoint object a host hands in: queries it
// for IPropertyStore, takes the form factor whatever its variant type (formFactor keeps
// its value when that read fails), then reads the endpoint GUID. Returns the property
// status: the query's failure (E_NOINTERFACE when it succeeds without a pointer), else
// the status of the GUID read.
HRESULT ReadEndpointProperties(IUnknown* endpoint, uint32_t& formFactor);

// Writers store exactly the schema's encoding.
HRESULT WriteUInt(IPropertyStore* store, const KeyId& key, uint32_t value);
HRESULT WriteFlag(IPropertyStore* store, const KeyId& key, bool on);
HRESULT WriteSigned(IPropertyStore* store, const KeyId& key, int32_t value);
HRESULT WriteBlob(IPropertyStore* store, const KeyId& key, const void* data, uint32_t size);

}  // namespace qx::settings
