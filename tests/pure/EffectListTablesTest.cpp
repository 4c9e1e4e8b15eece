// The effect-list tables walked natively: no endpoint lists an effect twice, and endpoints
// without effects list and count none. (The rows, counts and exclusions of each endpoint
// are checked against the contract by the effect-list tests.)
#include <gtest/gtest.h>

#include "controlpanel/EffectListTables.h"

using namespace qx::controlpanel;
using namespace qx::settings;

TEST(EffectListTables, NoEndpointListsAnEffectTwice) {
    bool all[kEffectSlots];
    for (bool& a : all) a = true;
    for (uint32_t ff : {1u, 3u, 4u, 8u, 9u})
        for (uint32_t mask : {0u, 3u, 0x3Fu, 0x60Fu, 0x63Fu, 0x33u})
            for (bool pass : {false, true}) {
                EffectId rows[kEffectSlots];
                const size_t n = BuildRows(EndpointTraits(ff, mask, pass), all, rows);
                for (size_t i = 0; i < n; ++i)
                    for (size_t j = i + 1; j < n; ++j) EXPECT_NE(rows[i], rows[j]) << ff << " " << mask;
            }
    EffectId rows[kEffectSlots];
    EXPECT_EQ(0u, BuildRows(EndpointTraits(10, 3, false), all, rows));
    EXPECT_EQ(0u, CountEffects(EndpointTraits(2, 3, false), all));
}
