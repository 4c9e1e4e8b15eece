#pragma once
// The module's interfaces and class, interface and library identifiers, as widl
// generates them from QXAPOMain.idl, named in namespace qx as well; and the application
// identifier, which the type library does not describe.
#include <windows.h>

#include "frame/QXAPOMain_h.h"

namespace qx {

using ::CLSID_QXGFXLib;
using ::CLSID_QXLFXLib;
using ::CLSID_QXMicLFXLib;
using ::CLSID_QXUIExtLib;
using ::LIBID_QXAPOMainLib;

inline constexpr GUID APPID_QXAPOMain = {0x637833AA, 0xD96E, 0x4A98, {0x88, 0x94, 0x2F, 0x22, 0xD5, 0xB7, 0xE2, 0x11}};
inline constexpr wchar_t kAppIdText[] = L"{637833AA-D96E-4A98-8894-2F22D5B7E211}";

}  // namespace qx
