// Fuzzes the registry-script interpreter over the in-memory registry.
// Input: the script text, one byte per character. It is expanded with the replacement
// pairs a registration run defines, then registered and unregistered.
// Checked: no crash or leak (sanitizers), every key closed after each run, only the
// statuses the language defines, and a script that registered also unregisters.
// Build with coverage of the whole pure library:
//   cmake -S . -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
//         -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=OFF \
//         -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined
//   cmake --build build/fuzz --target RegScriptFuzz
//   build/fuzz/fuzz/RegScriptFuzz fuzz/corpus/RegScriptFuzz
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "server/RegScript.h"
#include "server/ReplacementList.h"
#include "tests/support/MemoryRegistry.h"

namespace {

bool Known(qx::Status s) {
    namespace st = qx::status;
    const auto facility = static_cast<std::uint32_t>(s) & 0xFFFF0000u;
    return s == st::kOk || s == st::kDispException || s == st::kFail || s == st::kTypeMismatch ||
           s == st::kOverflow || s == st::kOutOfMemory || facility == 0x80070000u;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring script(data, data + size);

    qx::ReplacementList pairs;
    pairs.Add(L"APPID", L"{637833AA-D96E-4A98-8894-2F22D5B7E211}");
    pairs.Add(L"Module", L"C:\\It''s\\QXAPOMain.dll");
    pairs.Add(L"Module_Raw", L"C:\\It''s\\QXAPOMain.dll");
    std::wstring text;
    const qx::Status expanded = pairs.Expand(script, &text);
    Check(Known(expanded));
    if (expanded != qx::status::kOk) return 0;

    qx::MemoryRegistry registry;
    registry.PutKey(L"HKCR\\CLSID");
    const qx::Status registered = qx::RegScript::Run(text, registry, qx::RegScript::Mode::Register);
    Check(Known(registered));
    Check(registry.OpenHandles() == 0);

    const qx::Status unregistered = qx::RegScript::Run(text, registry, qx::RegScript::Mode::Unregister);
    Check(Known(unregistered));
    Check(registry.OpenHandles() == 0);
    if (registered == qx::status::kOk) Check(unregistered == qx::status::kOk);
    return 0;
}
