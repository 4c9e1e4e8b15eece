#pragma once
// The tables behind the effect list: which component class makes an effect available,
// which rows an endpoint lists and in which order, how GetNumDSPSupported counts (its
// rules differ from the row lists on purpose), and which effects exclude each other.
// Pure C++: the Windows side walks these tables.
#include <cstddef>
#include <cstdint>

#include "settings/EffectSchema.h"
#include "settings/Guid.h"

namespace qx::controlpanel {

using settings::EffectId;

// One EffectId per list row at most; the row table and the enabled table have this size.
inline constexpr size_t kEffectSlots = settings::kEffectCount + 1;

// A component class whose successful creation makes these effects available.
struct ComponentClass {
    Guid clsid;
    Guid iid;
    uint8_t count;
    EffectId effects[3];
};
extern const ComponentClass kComponentClasses[];
extern const size_t kComponentClassCount;

// Effects that need no component and are always available.
extern const EffectId kAlwaysAvailable[];
extern const size_t kAlwaysAvailableCount;

// What the rules know about an endpoint, as a set of bits.
enum EndpointTrait : uint16_t {
    kMicrophone = 1u << 0,
    kSpeakers = 1u << 1,
    kHeadphones = 1u << 2,
    kDigital = 1u << 3,      // S/PDIF or digital display
    kStereo = 1u << 4,       // speaker mask 3
    kOtherMask = 1u << 5,    // any other speaker mask, 0 included
    kMask51 = 1u << 6,       // 0x3F or 0x60F
    kMask71 = 1u << 7,       // 0x63F
    kPassThrough = 1u << 8,  // device format tag 0x0092 or 0x0164
    kNoPassThrough = 1u << 9,
};
uint16_t EndpointTraits(uint32_t formFactor, uint32_t speakerMask, bool passThrough);
bool IsPassThroughFormat(uint16_t formatTag);

// A rule applies to an endpoint that has one of `anyOf` and all of `allOf`; its effects
// are taken in order, each only when available.
struct EffectRule {
    uint16_t anyOf;
    uint16_t allOf;
    uint8_t count;
    EffectId effects[10];
};
constexpr bool RuleApplies(const EffectRule& rule, uint16_t traits) {
    return (traits & rule.anyOf) != 0 && (traits & rule.allOf) == rule.allOf;
}

// The rows of the effect list, in row order.
extern const EffectRule kRowRules[];
extern const size_t kRowRuleCount;
// What GetNumDSPSupported counts.
extern const EffectRule kCountRules[];
extern const size_t kCountRuleCount;

// Checking an effect unchecks the rows of these effects. Indexed by EffectId.
struct Exclusion {
    uint8_t count;
    EffectId effects[12];
};
extern const Exclusion kExclusions[kEffectSlots];

// Fills `rows` (kEffectSlots entries, 0 after the last) with the row list of an endpoint;
// returns the number of rows.
size_t BuildRows(uint16_t traits, const bool (&available)[kEffectSlots], EffectId (&rows)[kEffectSlots]);
uint32_t CountEffects(uint16_t traits, const bool (&available)[kEffectSlots]);

}  // namespace qx::controlpanel
