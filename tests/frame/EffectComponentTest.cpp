// Creating an outside effect component by class identifier.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "settings/EffectComponent.h"
#include "tests/support/RecordingComponent.h"

using qx::ComPtr;
using qx::test::CallLog;
using qx::test::ComponentRegistration;

namespace {
const CLSID kClsid = {0x1E2D3C4B, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
const IID kCreationIid = {0x1E2D3C4B, 0x2222, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
const IID kOtherIid = {0x1E2D3C4B, 0x3333, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66}};
}  // namespace

TEST(EffectComponent, CreatesThroughItsOwnIidAndKeepsOnlyTheComponentInterface) {
    CallLog log;
    ComponentRegistration reg(log, kClsid, kCreationIid, L"eq");
    ASSERT_TRUE(reg.Registered());
    ComPtr<IQXEffectComponent> slot;
    qx::settings::CreateEffectComponent(kClsid, kCreationIid, slot);
    ASSERT_TRUE(slot);
    ASSERT_EQ(1u, reg.InstanceCount());
    EXPECT_EQ(2, reg.Instance(0)->RefCount());  // ours and the registration's
    slot.Reset();
    EXPECT_TRUE(reg.AllReleasedByOthers());
}

TEST(EffectComponent, FailuresLeaveTheSlotEmpty) {
    CallLog log;
    ComponentRegistration reg(log, kClsid, kCreationIid, L"eq");
    ComPtr<IQXEffectComponent> slot;
    qx::settings::CreateEffectComponent(kClsid, kOtherIid, slot);  // the object refuses that IID
    EXPECT_FALSE(slot);
    qx::settings::CreateEffectComponent(kOtherIid, kCreationIid, slot);  // no such class
    EXPECT_FALSE(slot);

    // A failed creation also empties a slot that held a component.
    qx::settings::CreateEffectComponent(kClsid, kCreationIid, slot);
    ASSERT_TRUE(slot);
    qx::settings::CreateEffectComponent(kOtherIid, kCreationIid, slot);
    EXPECT_FALSE(slot);
    EXPECT_TRUE(reg.AllReleasedByOthers());
}
