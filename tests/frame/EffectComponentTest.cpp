// Creating an outside effect component by class identifier, and reading the endpoint's
// properties against the system's in-memory property store.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "settings/EffectComponent.h"
#include "settings/PropertyStoreAccess.h"
#include "tests/support/RecordingComponent.h"
#include "tests/support/Stores.h"

using qx::ComPtr;
using qx::test::CallLog;
using qx::test::ComponentRegistration;
using qx::test::FailingPropertyStore;
using namespace qx::settings;

namespace {
const CLSID kClsid = {0x1E2D3C4B, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
const IID kCreationIid = {0x1E2D3C4B, 0x2222, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
const IID kOtherIid = {0x1E2D3C4B, 0x3333, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
}  // namespace

// The component is created through its own IID and only its component interface is
// kept; a failure (an IID the object refuses, no such class) leaves the slot empty, even
// one that held a component.
TEST(EffectComponent, CreatesThroughItsOwnIidAndFailuresLeaveTheSlotEmpty) {
    CallLog log;
    ComponentRegistration reg(log, kClsid, kCreationIid, L"eq");
    ASSERT_TRUE(reg.Registered());
    ComPtr<IQXEffectComponent> slot;
    qx::settings::CreateEffectComponent(kClsid, kCreationIid, slot);
    ASSERT_TRUE(slot);
    ASSERT_EQ(1u, reg.InstanceCount());
    EXPECT_EQ(2, reg.Instance(0)->RefCount());  // ours and the registration's
    qx::settings::CreateEffectComponent(kOtherIid, kCreationIid, slot);  // no such class
    EXPECT_FALSE(slot);
    qx::settings::CreateEffectComponent(kClsid, kOtherIid, slot);  // the object refuses that IID
    EXPECT_FALSE(slot);
    EXPECT_TRUE(reg.AllReleasedByOthers());
}

// The readers and writers of settings keys are checked through their callers: the
// dialogs' walk, the effect list and the processors' contract tables store values of the
// wrong type and size, signed values, flags, failing and missing stores. What is left here
// is the endpoint's form factor, which every processor reads however it was stored.
TEST(PropertyStoreAccess, EndpointPropertiesTakeTheFormFactorWhateverItsType) {
    ComPtr<IPropertyStore> store = qx::test::NewMemoryStore();
    uint32_t formFactor = FormFactorUnknown;
    EXPECT_EQ(E_POINTER, ReadEndpointProperties(nullptr, formFactor));
    PROPVARIANT v;
    PropVariantInit(&v);
    v.vt = VT_I4;
    v.lVal = LONG(FormFactorSpdif);
    ASSERT_EQ(S_OK, store->SetValue(ToPropertyKey(key::EndpointFormFactor), v));
    EXPECT_EQ(S_OK, ReadEndpointProperties(store.Get(), formFactor));  // a missing GUID is no failure
    EXPECT_EQ(FormFactorSpdif, formFactor);
    // A failing GUID read is the status; the form factor read before it still counts.
    auto* failing = new FailingPropertyStore(E_ACCESSDENIED, qx::test::NewEndpointStore(FormFactorMicrophone).Get());
    failing->FailKey(key::EndpointGuid);
    EXPECT_EQ(E_ACCESSDENIED, ReadEndpointProperties(failing, formFactor));
    EXPECT_EQ(FormFactorMicrophone, formFactor);
    failing->Release();
}
