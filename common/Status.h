#pragma once
// The module's status codes by name, HRESULT-shaped 32-bit values, for code that has no
// Windows headers (the formatter, the channel mixer, the registry-script language); the
// values are the system's, so a status passes unchanged into an HRESULT.
#include <cstdint>

namespace qx {

using Status = std::int32_t;

namespace status {
inline constexpr Status kOk = 0;                                                  // S_OK
inline constexpr Status kFalse = 1;                                               // S_FALSE
inline constexpr Status kFail = static_cast<Status>(0x80004005u);                 // E_FAIL
inline constexpr Status kOutOfMemory = static_cast<Status>(0x8007000Eu);          // E_OUTOFMEMORY
inline constexpr Status kInvalidArg = static_cast<Status>(0x80070057u);           // E_INVALIDARG
inline constexpr Status kInsufficientBuffer = static_cast<Status>(0x8007007Au);   // ERROR_INSUFFICIENT_BUFFER
inline constexpr Status kDispException = static_cast<Status>(0x80020009u);        // DISP_E_EXCEPTION
inline constexpr Status kTypeMismatch = static_cast<Status>(0x80020005u);         // DISP_E_TYPEMISMATCH
inline constexpr Status kOverflow = static_cast<Status>(0x8002000Au);             // DISP_E_OVERFLOW
}  // namespace status

// HRESULT_FROM_WIN32.
inline Status StatusFromError(long error) {
    return error <= 0 ? static_cast<Status>(error)
                      : static_cast<Status>((static_cast<std::uint32_t>(error) & 0xFFFFu) | 0x80070000u);
}

}  // namespace qx
