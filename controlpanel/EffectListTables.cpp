#include "controlpanel/EffectListTables.h"

namespace qx::controlpanel {

using namespace settings;

namespace {
constexpr Guid kIUnknown = ParseGuid("{00000000-0000-0000-C000-000000000046}");
}  // namespace

const ComponentClass kComponentClasses[] = {
    {ParseGuid("{EB09C38E-23DD-48A8-89E4-4F12F3CC5AE7}"), ParseGuid("{4BE71351-495E-472C-9120-0F3C19899292}"), 1,
     {EffectEqualizer}},
    {ParseGuid("{CB1DB2F4-3364-48DF-ADB0-5375C1210C7A}"), ParseGuid("{7FDAC3E4-0EB3-4910-AFBE-52E42A95E5C7}"), 1,
     {EffectEq15}},
    {ParseGuid("{4D0A31C2-CFF9-4626-B8AE-E8BC98D66084}"), ParseGuid("{605EE47D-6327-41CF-9EBF-8094B0C1D1EF}"), 1,
     {EffectEnvironment}},
    {ParseGuid("{37A6AA01-A5D2-4955-A678-89D76B1B8697}"), ParseGuid("{4FAA831A-32B0-45BE-BC94-66FDA1BFF90D}"), 1,
     {EffectFlexBass}},
    {ParseGuid("{B6A6B665-9A9D-48C1-B5FB-0C304BB7AEC9}"), ParseGuid("{D2FE8EA6-21AF-4504-BEB3-33F948096AE7}"), 1,
     {EffectSpeakerShifter}},
    {ParseGuid("{F5311147-D9A9-4750-9F1C-B708BD0689B1}"), ParseGuid("{720E3044-EE69-46D1-A1D7-FF46C6AC9176}"), 1,
     {EffectSmartVolume}},
    {ParseGuid("{A59C7ABD-C71D-49E2-AEF5-1232C4141B26}"), ParseGuid("{BA79F822-CFA5-4966-B25E-32162DD4DC7C}"), 1,
     {EffectDolbySurround}},
    {ParseGuid("{F446A679-4FAE-4381-9E33-31FE4ADBC632}"), ParseGuid("{D67AD945-D47F-4187-AC9A-B007D63AA645}"), 1,
     {EffectProLogic}},
    {ParseGuid("{9B16B630-9215-4BDA-81A9-8F8F87370545}"), ParseGuid("{20F26CAC-98E9-42DC-B91D-CDC359B74702}"), 1,
     {EffectNeoPC}},
    {ParseGuid("{CCF7561E-9337-4DF4-8E69-1A65EE4234C1}"), ParseGuid("{CACD8173-5241-4CB7-8FDD-C0EA9F2B849A}"), 1,
     {EffectSurroundSensation}},
    {ParseGuid("{A95F8854-F18F-4150-9FC5-D0D83A3DA55E}"), ParseGuid("{43348B49-71EC-4C4F-B2AB-89D9D0C7F682}"), 1,
     {EffectVoiceClarity}},
    {ParseGuid("{80E1C92D-E30A-4A98-BF80-98752A7744FD}"), ParseGuid("{D4FD14B2-6E4E-4265-829C-C2B944958903}"), 2,
     {EffectNuvex, EffectNuvexHeadphone}},
    {ParseGuid("{3E7B4824-FFB3-4A07-8AC3-A220CD8534C5}"), ParseGuid("{77EFACE7-E768-45F3-834D-2986EC878B95}"), 1,
     {EffectVocalFading}},
    {ParseGuid("{62224D1A-ECC7-4752-AC8A-9A3B1A29894A}"), ParseGuid("{CA9B25CC-1567-4AD0-B5AD-829429E5DE25}"), 1,
     {EffectVocalRemover}},
    {ParseGuid("{4B8D75E2-712F-4263-9E68-5965313DDF09}"), ParseGuid("{874B6143-853B-47AB-8618-263A8F285F8C}"), 1,
     {EffectKeyShifting}},
    {ParseGuid("{4DE3EA62-07BA-4EE5-845A-0994F4E3E481}"), ParseGuid("{335675DC-35B7-4F63-A12F-488762DB2593}"), 2,
     {EffectMicEcho, EffectMagicVoice}},
    {ParseGuid("{29C23824-0A78-41D7-822B-E07AEC90B8F9}"), ParseGuid("{26AB0E01-BFB6-470B-BADE-C1BF64638178}"), 1,
     {EffectEnc}},
    {ParseGuid("{53C240C7-8E89-4F1B-9004-D1980C4705BF}"), ParseGuid("{0DB487B1-7058-4CA0-B14E-E9B32FAFA639}"), 3,
     {EffectNoiseReduction, EffectBeamForming, EffectAec}},
    {ParseGuid("{45BB743B-4FD2-4B4A-AE9A-E09E8C298CFB}"), ParseGuid("{CFDEA0A4-D558-4191-99B1-B93DCDBF3CDE}"), 1,
     {EffectMixOutput}},
    {ParseGuid("{BC8E3B67-3306-4EEF-B230-6798E9A67F0B}"), kIUnknown, 1, {EffectDolbyPcee}},
    {ParseGuid("{C6606CA5-2108-4CAF-8E52-1953F2DBF716}"), ParseGuid("{CF743829-4C33-457D-82CB-A00DE3308CD5}"), 1,
     {EffectZurAec}},
};
const size_t kComponentClassCount = sizeof(kComponentClasses) / sizeof(kComponentClasses[0]);

// Nuvex Surround Max runs inside the local-effects processor and the two swaps are
// channel maps of the global-effects processor: none has a component of its own.
const EffectId kAlwaysAvailable[] = {EffectNuvexMax, EffectSwapCenterSub, EffectSwapSideRear};
const size_t kAlwaysAvailableCount = sizeof(kAlwaysAvailable) / sizeof(kAlwaysAvailable[0]);

namespace {
constexpr uint16_t kPlayback = kSpeakers | kHeadphones;
constexpr uint16_t kRender = kSpeakers | kHeadphones | kDigital;
}  // namespace

const EffectRule kRowRules[] = {
    {kMicrophone, 0, 8,
     {EffectMicEcho, EffectMagicVoice, EffectNoiseReduction, EffectEnc, EffectBeamForming, EffectAec,
      EffectMixOutput, EffectZurAec}},
    {kRender, 0, 10,
     {EffectDolbyPcee, EffectEqualizer, EffectEq15, EffectEnvironment, EffectSpeakerShifter, EffectSmartVolume,
      EffectKeyShifting, EffectVocalFading, EffectVocalRemover, EffectVoiceClarity}},
    {kSpeakers, 0, 1, {EffectFlexBass}},
    {kSpeakers, kStereo, 1, {EffectNuvex}},
    {kHeadphones, 0, 1, {EffectNuvexHeadphone}},
    {kPlayback, kStereo, 2, {EffectDolbySurround, EffectSurroundSensation}},
    {kPlayback, kOtherMask, 3, {EffectProLogic, EffectNeoPC, EffectNuvexMax}},
    {kPlayback, kMask51, 1, {EffectSwapCenterSub}},
    {kPlayback, kMask71, 2, {EffectSwapSideRear, EffectSwapCenterSub}},
    {kDigital, kPassThrough, 3, {EffectProLogic, EffectNeoPC, EffectNuvexMax}},
    {kDigital, kNoPassThrough, 2, {EffectSurroundSensation, EffectNuvex}},
};
const size_t kRowRuleCount = sizeof(kRowRules) / sizeof(kRowRules[0]);

// The count leaves out the 15-band equaliser and the vocal remover, counts Dolby Surround
// for every headphone endpoint, and takes a mask of 0 as a multichannel one.
const EffectRule kCountRules[] = {
    {kMicrophone, 0, 8,
     {EffectZurAec, EffectMicEcho, EffectMagicVoice, EffectNoiseReduction, EffectBeamForming, EffectAec, EffectEnc,
      EffectMixOutput}},
    {kRender, 0, 8,
     {EffectDolbyPcee, EffectEqualizer, EffectEnvironment, EffectSpeakerShifter, EffectSmartVolume,
      EffectKeyShifting, EffectVocalFading, EffectVoiceClarity}},
    {kSpeakers, 0, 1, {EffectFlexBass}},
    {kSpeakers, kStereo, 3, {EffectNuvex, EffectDolbySurround, EffectSurroundSensation}},
    {kHeadphones, 0, 2, {EffectNuvexHeadphone, EffectDolbySurround}},
    {kHeadphones, kStereo, 1, {EffectSurroundSensation}},
    {kPlayback, kOtherMask, 3, {EffectProLogic, EffectNeoPC, EffectNuvexMax}},
    {kPlayback, kMask51, 1, {EffectSwapCenterSub}},
    {kPlayback, kMask71, 2, {EffectSwapSideRear, EffectSwapCenterSub}},
    {kDigital, kPassThrough, 3, {EffectProLogic, EffectNeoPC, EffectNuvexMax}},
    {kDigital, kNoPassThrough, 2, {EffectSurroundSensation, EffectNuvex}},
};
const size_t kCountRuleCount = sizeof(kCountRules) / sizeof(kCountRules[0]);

const Exclusion kExclusions[kEffectSlots] = {
    /* 0 none */ {0, {}},
    /* 1 Equalizer */ {1, {EffectEq15}},
    /* 2 Environment */ {0, {}},
    /* 3 Flex Bass */ {0, {}},
    /* 4 Speaker Shifter */ {0, {}},
    /* 5 Smart Volume */ {0, {}},
    /* 6 Dolby Surround */ {3, {EffectSurroundSensation, EffectNuvex, EffectNuvexHeadphone}},
    /* 7 Pro Logic IIx */ {2, {EffectNeoPC, EffectNuvexMax}},
    /* 8 Neo:PC */ {2, {EffectProLogic, EffectNuvexMax}},
    /* 9 Surround Sensation */ {3, {EffectDolbySurround, EffectNuvex, EffectNuvexHeadphone}},
    /* 10 Nuvex Surround */ {2, {EffectDolbySurround, EffectSurroundSensation}},
    /* 11 Nuvex Surround Headphone */ {2, {EffectDolbySurround, EffectSurroundSensation}},
    /* 12 Voice Clarity */ {0, {}},
    /* 13 Nuvex Surround Max */ {2, {EffectProLogic, EffectNeoPC}},
    /* 14 Swap Center and Subwoofer */ {0, {}},
    /* 15 Swap Side and Rear */ {0, {}},
    /* 16 15-Band Equalizer */ {1, {EffectEqualizer}},
    /* 17 Vocal Fading */ {1, {EffectVocalRemover}},
    /* 18 Key Shifting */ {0, {}},
    /* 19 Vocal Remover */ {1, {EffectVocalFading}},
    /* 20 Echo */ {1, {EffectMagicVoice}},
    /* 21 Magic Voice */ {1, {EffectMicEcho}},
    /* 22 Noise Reduction */ {4, {EffectEnc, EffectBeamForming, EffectAec, EffectZurAec}},
    /* 23 ENC */ {4, {EffectNoiseReduction, EffectBeamForming, EffectAec, EffectZurAec}},
    /* 24 Beam Forming */ {3, {EffectNoiseReduction, EffectEnc, EffectZurAec}},
    /* 25 AEC */ {3, {EffectNoiseReduction, EffectEnc, EffectZurAec}},
    /* 26 Mix Output */ {0, {}},
    /* 27 Dolby PCEE v4 */
    {12,
     {EffectEqualizer, EffectSpeakerShifter, EffectSmartVolume, EffectDolbySurround, EffectProLogic, EffectNeoPC,
      EffectSurroundSensation, EffectNuvex, EffectNuvexHeadphone, EffectVoiceClarity, EffectNuvexMax, EffectEq15}},
    /* 28 Zur AEC */ {4, {EffectNoiseReduction, EffectEnc, EffectBeamForming, EffectAec}},
};

bool IsPassThroughFormat(uint16_t formatTag) { return formatTag == 0x0092 || formatTag == 0x0164; }

uint16_t EndpointTraits(uint32_t formFactor, uint32_t speakerMask, bool passThrough) {
    uint16_t traits = 0;
    switch (formFactor) {
        case FormFactorMicrophone: traits |= kMicrophone; break;
        case FormFactorSpeakers: traits |= kSpeakers; break;
        case FormFactorHeadphones: traits |= kHeadphones; break;
        case FormFactorSpdif:
        case FormFactorHdmi: traits |= kDigital; break;
        default: return 0;  // no rule applies
    }
    traits |= speakerMask == 3 ? kStereo : kOtherMask;
    if (speakerMask == 0x3F || speakerMask == 0x60F) traits |= kMask51;
    if (speakerMask == 0x63F) traits |= kMask71;
    traits |= passThrough ? kPassThrough : kNoPassThrough;
    return traits;
}

size_t BuildRows(uint16_t traits, const bool (&available)[kEffectSlots], EffectId (&rows)[kEffectSlots]) {
    size_t n = 0;
    for (size_t r = 0; r < kRowRuleCount; ++r) {
        if (!RuleApplies(kRowRules[r], traits)) continue;
        for (uint8_t i = 0; i < kRowRules[r].count; ++i) {
            const EffectId id = kRowRules[r].effects[i];
            if (available[id] && n < kEffectSlots) rows[n++] = id;
        }
    }
    for (size_t i = n; i < kEffectSlots; ++i) rows[i] = EffectNone;
    return n;
}

uint32_t CountEffects(uint16_t traits, const bool (&available)[kEffectSlots]) {
    uint32_t n = 0;
    for (size_t r = 0; r < kCountRuleCount; ++r) {
        if (!RuleApplies(kCountRules[r], traits)) continue;
        for (uint8_t i = 0; i < kCountRules[r].count; ++i) n += available[kCountRules[r].effects[i]] ? 1 : 0;
    }
    return n;
}

}  // namespace qx::controlpanel
