#pragma once
// A fixture for the tests of one settings dialog on the harness's loudspeaker endpoint:
// a memory FX store, and Open of the dialog behind one row of the effect list.
#include <windows.h>
#include <propsys.h>

#include <gtest/gtest.h>

#include <utility>

#include "common/ComPtr.h"
#include "tests/controlpanel/DialogHarness.h"
#include "tests/support/Stores.h"

namespace qx::test {

class SingleDialogTest : public testing::Test {
protected:
    SingleDialogTest(const wchar_t* row, const wchar_t* title) : row_(row), title_(title) {}

    // Opens the dialog of the row (it must be titled as given) and plays `steps` in it.
    HRESULT Open(Steps steps) { return harness.Open(row_, title_, std::move(steps)); }

    ComPtr<IPropertyStore> store = NewMemoryStore();
    DialogHarness harness{store.Get()};

private:
    const wchar_t* row_;
    const wchar_t* title_;
};

}  // namespace qx::test
