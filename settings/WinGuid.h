#pragma once
// The Windows GUID of a table Guid. Built field by field, so it also fills constexpr
// tables of Windows GUIDs.
#include <windows.h>

#include "settings/Guid.h"

namespace qx {

constexpr GUID ToGuid(const Guid& g) {
    return {g.data1, g.data2, g.data3,
            {g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]}};
}

}  // namespace qx
