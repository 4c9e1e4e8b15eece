// Reading the endpoint's properties, against the system's in-memory property store.
#include <windows.h>

#include <gtest/gtest.h>

#include "settings/PropertyStoreAccess.h"
#include "tests/support/Stores.h"

using namespace qx::settings;
using qx::ComPtr;
using qx::test::FailingPropertyStore;

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
