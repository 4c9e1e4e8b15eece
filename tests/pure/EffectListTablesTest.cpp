// Consistency of the effect-list tables: every listed or counted effect can become
// available, and no effect excludes itself.
#include <gtest/gtest.h>

#include "controlpanel/EffectListTables.h"

using namespace qx::controlpanel;
using namespace qx::settings;

namespace {
bool CanBeAvailable(EffectId id) {
    for (size_t i = 0; i < kAlwaysAvailableCount; ++i)
        if (kAlwaysAvailable[i] == id) return true;
    for (size_t c = 0; c < kComponentClassCount; ++c)
        for (uint8_t e = 0; e < kComponentClasses[c].count; ++e)
            if (kComponentClasses[c].effects[e] == id) return true;
    return false;
}
}  // namespace

TEST(EffectListTables, EveryRuleNamesEffectsThatCanExist) {
    for (const auto* rules : {&kRowRules[0], &kCountRules[0]}) {
        const size_t count = rules == kRowRules ? kRowRuleCount : kCountRuleCount;
        for (size_t r = 0; r < count; ++r)
            for (uint8_t i = 0; i < rules[r].count; ++i) EXPECT_TRUE(CanBeAvailable(rules[r].effects[i])) << r;
    }
    for (uint32_t id = 1; id <= kEffectCount; ++id) EXPECT_TRUE(CanBeAvailable(EffectId(id))) << id;
}

TEST(EffectListTables, NoEffectExcludesItself) {
    for (uint32_t id = 0; id < kEffectSlots; ++id)
        for (uint8_t i = 0; i < kExclusions[id].count; ++i) EXPECT_NE(id, uint32_t(kExclusions[id].effects[i]));
    EXPECT_EQ(12, kExclusions[EffectDolbyPcee].count);
}

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
