// Test entry point for the Windows build: COM on an apartment thread, the module
// started as the DLL would be, and a check that every test leaves the module unloadable.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/Module.h"

STDAPI DllCanUnloadNow();

namespace {
class LockCountListener : public testing::EmptyTestEventListener {
public:
    void OnTestEnd(const testing::TestInfo& info) override {
        if (DllCanUnloadNow() != S_OK) {
            leaked_.push_back(std::string(info.test_suite_name()) + "." + info.name());
            // Later tests must not be blamed for this one.
            while (qx::Module::LockCount() > 0) qx::Module::Unlock();
            while (qx::Module::LockCount() < 0) qx::Module::Lock();
        }
    }
    const std::vector<std::string>& Leaked() const { return leaked_; }

private:
    std::vector<std::string> leaked_;
};
}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    if (!qx::Module::Startup(GetModuleHandleW(nullptr))) return 3;

    auto* listener = new LockCountListener;
    testing::UnitTest::GetInstance()->listeners().Append(listener);
    int result = RUN_ALL_TESTS();
    for (const std::string& name : listener->Leaked()) {
        std::printf("[  LEAKED  ] %s left the module lock count above 0\n", name.c_str());
        result = 1;
    }

    qx::Module::Shutdown();
    CoUninitialize();
    return result;
}
