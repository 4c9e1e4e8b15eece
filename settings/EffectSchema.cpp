#include "settings/EffectSchema.h"

#include <cctype>
#include <cstring>

namespace qx::settings {

namespace {
constexpr ValueKind F = ValueKind::Flag;
constexpr ValueKind S = ValueKind::Signed;
constexpr ValueKind U = ValueKind::Unsigned;
constexpr ValueKind C = ValueKind::Choice;
constexpr ValueKind M = ValueKind::BitMask;
constexpr ValueKind B = ValueKind::Blob;
}  // namespace

const KeyInfo kKeyTable[] = {
    {"Equalizer.enable", key::EqualizerEnable, F, 0, 1, 0, 0},
    {"Equalizer.band1", key::EqualizerBand(1), S, -20, 20, 0, 0},
    {"Equalizer.band2", key::EqualizerBand(2), S, -20, 20, 0, 0},
    {"Equalizer.band3", key::EqualizerBand(3), S, -20, 20, 0, 0},
    {"Equalizer.band4", key::EqualizerBand(4), S, -20, 20, 0, 0},
    {"Equalizer.band5", key::EqualizerBand(5), S, -20, 20, 0, 0},
    {"Equalizer.band6", key::EqualizerBand(6), S, -20, 20, 0, 0},
    {"Equalizer.band7", key::EqualizerBand(7), S, -20, 20, 0, 0},
    {"Equalizer.band8", key::EqualizerBand(8), S, -20, 20, 0, 0},
    {"Equalizer.band9", key::EqualizerBand(9), S, -20, 20, 0, 0},
    {"Equalizer.band10", key::EqualizerBand(10), S, -20, 20, 0, 0},
    {"Eq15.enable", key::Eq15Enable, F, 0, 1, 0, 0},
    {"Eq15.bass", key::Eq15Bass, B, 0, 0, 0, kFilterRecordSize},
    {"Eq15.treble", key::Eq15Treble, B, 0, 0, 0, kFilterRecordSize},
    {"Eq15.bands", key::Eq15Bands, B, 0, 0, 0, kEq15BandsSize},
    {"Eq15.phaseMode", key::Eq15PhaseMode, C, 0, 1, 0, 0},
    {"Eq15.parallelMode", key::Eq15ParallelMode, C, 0, 1, 0, 0},
    {"Environment.enable", key::EnvironmentEnable, F, 0, 1, 0, 0},
    {"Environment.preset", key::EnvironmentPreset, C, 0, 27, 0, 0},
    {"Environment.roomSize", key::EnvironmentRoomSize, C, 0, 2, 0, 0},
    {"FlexBass.enable", key::FlexBassEnable, F, 0, 1, 0, 0},
    {"FlexBass.cutoff", key::FlexBassCutoff, U, 50, 250, 50, 0},
    {"FlexBass.speakers", key::FlexBassSpeakers, M, 0, 0x7FFFFFFF, 0, 0},
    {"FlexBass.level", key::FlexBassLevel, U, 0, 24, 12, 0},
    {"SmartVolume.enable", key::SmartVolumeEnable, F, 0, 1, 0, 0},
    {"SwapCenterSub.enable", key::SwapCenterSubEnable, F, 0, 1, 0, 0},
    {"SwapSideRear.enable", key::SwapSideRearEnable, F, 0, 1, 0, 0},
    {"VocalFading.enable", key::VocalFadingEnable, F, 0, 1, 0, 0},
    {"VocalFading.amount", key::VocalFadingAmount, U, 0, 100, 0, 0},
    {"KeyShifting.enable", key::KeyShiftingEnable, F, 0, 1, 0, 0},
    {"KeyShifting.shift", key::KeyShift, S, -4, 4, 0, 0},
    {"VocalRemover.enable", key::VocalRemoverEnable, F, 0, 1, 0, 0},
    {"VocalRemover.amount", key::VocalRemoverAmount, S, -48, 48, 0, 0},
    {"VocalRemover.band", key::VocalRemoverBand, C, 0, 3, 0, 0},
    {"DolbyPCEE.enable", key::DolbyPceeEnable, F, 0, 1, 0, 0},
    {"SpeakerShifter.enable", key::SpeakerShifterEnable, F, 0, 1, 0, 0},
    {"SpeakerShifter.angleLF", key::SpeakerShifterAngle(0), S, -180, 180, -45, 0},
    {"SpeakerShifter.angleC", key::SpeakerShifterAngle(1), S, -180, 180, 0, 0},
    {"SpeakerShifter.angleRF", key::SpeakerShifterAngle(2), S, -180, 180, 45, 0},
    {"SpeakerShifter.angleRS", key::SpeakerShifterAngle(3), S, -180, 180, 90, 0},
    {"SpeakerShifter.angleRB", key::SpeakerShifterAngle(4), S, -180, 180, 135, 0},
    {"SpeakerShifter.angleLB", key::SpeakerShifterAngle(5), S, -180, 180, -135, 0},
    {"SpeakerShifter.angleLS", key::SpeakerShifterAngle(6), S, -180, 180, -90, 0},
    {"SpeakerShifter.distanceLF", key::SpeakerShifterDistance(0), U, 19, 50, 30, 0},
    {"SpeakerShifter.distanceC", key::SpeakerShifterDistance(1), U, 19, 50, 30, 0},
    {"SpeakerShifter.distanceRF", key::SpeakerShifterDistance(2), U, 19, 50, 30, 0},
    {"SpeakerShifter.distanceRS", key::SpeakerShifterDistance(3), U, 19, 50, 30, 0},
    {"SpeakerShifter.distanceRB", key::SpeakerShifterDistance(4), U, 19, 50, 30, 0},
    {"SpeakerShifter.distanceLB", key::SpeakerShifterDistance(5), U, 19, 50, 30, 0},
    {"SpeakerShifter.distanceLS", key::SpeakerShifterDistance(6), U, 19, 50, 30, 0},
    {"SpeakerShifter.distanceLFE", key::SpeakerShifterDistance(7), U, 19, 50, 30, 0},
    {"NuvexMax.enable", key::NuvexMaxEnable, F, 0, 1, 0, 0},
    {"DolbySurround.enable", key::DolbySurroundEnable, F, 0, 1, 0, 0},
    {"DolbySurround.mode", key::DolbySurroundMode, C, 0, 1, 1, 0},
    {"DolbySurround.headphoneRoom", key::DolbyHeadphoneRoom, C, 0, 2, 0, 0},
    {"DolbySurround.virtualSpeakerMode", key::DolbyVirtualSpeakerMode, C, 0, 1, 0, 0},
    {"ProLogic.enable", key::ProLogicEnable, F, 0, 1, 0, 0},
    {"ProLogic.dimension", key::ProLogicDimension, U, 0, 14, 7, 0},
    {"ProLogic.centerWidth", key::ProLogicCenterWidth, U, 0, 7, 3, 0},
    {"ProLogic.decodeMode", key::ProLogicDecodeMode, C, 0, 1, 0, 0},
    {"ProLogic.panorama", key::ProLogicPanorama, F, 0, 1, 0, 0},
    {"NeoPC.enable", key::NeoPcEnable, F, 0, 1, 0, 0},
    {"NeoPC.dimension", key::NeoPcDimension, U, 0, 14, 7, 0},
    {"NeoPC.centerGain", key::NeoPcCenterGain, U, 0, 10, 5, 0},
    {"NeoPC.decodeMode", key::NeoPcDecodeMode, C, 0, 1, 0, 0},
    {"SurroundSensation.enable", key::SurroundSensationEnable, F, 0, 1, 0, 0},
    {"SurroundSensation.mode", key::SurroundSensationMode, C, 0, 1, 1, 0},
    {"SurroundSensation.expansion", key::SurroundSensationExpansion, U, 0, 10, 0, 0},
    {"VoiceClarity.enable", key::VoiceClarityEnable, F, 0, 1, 0, 0},
    {"VoiceClarity.level", key::VoiceClarityLevel, U, 0, 10, 0, 0},
    {"SurroundSensation.content", key::SurroundSensationContent, C, 0, 1, 0, 0},
    {"SurroundSensation.speakerAngle", key::SurroundSensationSpeakerAngle, C, 0, 5, 2, 0},
    {"SurroundSensation.mixLfe", key::SurroundSensationMixLfe, F, 0, 1, 0, 0},
    {"Nuvex.enable", key::NuvexEnable, F, 0, 1, 0, 0},
    {"Nuvex.mode", key::NuvexMode, C, 0, 1, 1, 0},
    {"Nuvex.roomSize", key::NuvexRoomSize, C, 0, 2, 1, 0},
    {"Nuvex.expansion", key::NuvexExpansion, U, 0, 3, 3, 0},
    {"Nuvex.speakerAngle", key::NuvexSpeakerAngle, C, 0, 4, 3, 0},
    {"MixOutput.enable", key::MixOutputEnable, F, 0, 1, 0, 0},
    {"MicEcho.enable", key::MicEchoEnable, F, 0, 1, 0, 0},
    {"MicEcho.amount", key::MicEchoAmount, S, -12, 12, 0, 0},
    {"MagicVoice.enable", key::MagicVoiceEnable, F, 0, 1, 0, 0},
    {"MagicVoice.voice", key::MagicVoiceType, C, 0, 3, 0, 0},
    {"NoiseReduction.enable", key::NoiseReductionEnable, F, 0, 1, 0, 0},
    {"ENC.enable", key::EncEnable, F, 0, 1, 0, 0},
    {"CapturePath.a", key::CapturePathA, F, 0, 1, 0, 0},
    {"BeamForming.enable", key::BeamFormingEnable, F, 0, 1, 0, 0},
    {"CapturePath.b", key::CapturePathB, F, 0, 1, 0, 0},
    {"AEC.enable", key::AecEnable, F, 0, 1, 0, 0},
    {"ZurAEC.enable", key::ZurAecEnable, F, 0, 1, 0, 0},
};
const size_t kKeyCount = sizeof(kKeyTable) / sizeof(kKeyTable[0]);

const KeyInfo* FindKey(const KeyId& key) {
    for (size_t i = 0; i < kKeyCount; ++i)
        if (kKeyTable[i].key == key) return &kKeyTable[i];
    return nullptr;
}

const KeyInfo* FindKeyByName(const char* name) {
    if (!name) return nullptr;
    for (size_t i = 0; i < kKeyCount; ++i) {
        const char* a = kKeyTable[i].name;
        const char* b = name;
        while (*a && *b && std::tolower(static_cast<unsigned char>(*a)) == std::tolower(static_cast<unsigned char>(*b))) ++a, ++b;
        if (!*a && !*b) return &kKeyTable[i];
    }
    return nullptr;
}

namespace {
constexpr Processor Gfx = Processor::GFX;
constexpr Processor Lfx = Processor::LFX;
constexpr Processor Mic = Processor::MicLFX;
}  // namespace

const EffectInfo kEffectTable[kEffectCount] = {
    {EffectEqualizer, L"Equalizer", L"Equalizer", key::EqualizerEnable, Gfx, 106},
    {EffectEnvironment, L"Environment", L"Environment", key::EnvironmentEnable, Gfx, 107},
    {EffectFlexBass, L"Flex Bass", L"Flex Bass", key::FlexBassEnable, Gfx, 108},
    {EffectSpeakerShifter, L"Speaker Shifter", L"7.1 Virtual Speaker Shifter", key::SpeakerShifterEnable, Lfx, 109},
    {EffectSmartVolume, L"Smart Volume", L"Smart Volume Normalizer", key::SmartVolumeEnable, Gfx, 0},
    {EffectDolbySurround, L"Dolby Surround", L"Dolby Surround", key::DolbySurroundEnable, Lfx, 119},
    {EffectProLogic, L"Dolby Pro Logic IIx", L"Dolby Pro Logic IIx", key::ProLogicEnable, Lfx, 120},
    {EffectNeoPC, L"DTS Neo:PC", L"DTS Neo:PC", key::NeoPcEnable, Lfx, 117},
    {EffectSurroundSensation, L"DTS Surround Sensation", L"DTS Surround Sensation", key::SurroundSensationEnable, Lfx, 118},
    {EffectNuvex, L"Nuvex Surround", L"Nuvex Surround", key::NuvexEnable, Lfx, 110},
    {EffectNuvexHeadphone, L"Nuvex Surround Headphone", L"Nuvex Surround Headphone", key::NuvexEnable, Lfx, 111},
    {EffectVoiceClarity, L"DTS Voice Clarity", L"DTS Voice Clarity", key::VoiceClarityEnable, Lfx, 116},
    {EffectNuvexMax, L"Nuvex Surround Max", L"Nuvex Surround Max", key::NuvexMaxEnable, Lfx, 0},
    {EffectSwapCenterSub, L"Swap Center and Subwoofer", L"Swap Center and Subwoofer", key::SwapCenterSubEnable, Gfx, 0},
    {EffectSwapSideRear, L"Swap Side and Rear", L"Swap Side and Rear", key::SwapSideRearEnable, Gfx, 0},
    {EffectEq15, L"15-Band Equalizer", L"15-Band Equalizer", key::Eq15Enable, Gfx, 122},
    {EffectVocalFading, L"Vocal Fading", L"Vocal Fading", key::VocalFadingEnable, Gfx, 113},
    {EffectKeyShifting, L"Key Shifting", L"Key Shifting", key::KeyShiftingEnable, Gfx, 112},
    {EffectVocalRemover, L"Vocal Remover", L"Vocal Remover", key::VocalRemoverEnable, Gfx, 121},
    {EffectMicEcho, L"Echo", L"Microphone Echo", key::MicEchoEnable, Mic, 114},
    {EffectMagicVoice, L"Magic Voice", L"Magic Voice", key::MagicVoiceEnable, Mic, 115},
    {EffectNoiseReduction, L"Noise Reduction", L"Noise Reduction", key::NoiseReductionEnable, Mic, 0},
    {EffectEnc, L"ENC", L"Environmental Noise Cancellation", key::EncEnable, Mic, 0},
    {EffectBeamForming, L"Beam Forming", L"Beam Forming", key::BeamFormingEnable, Mic, 0},
    {EffectAec, L"AEC", L"Acoustic Echo Cancellation", key::AecEnable, Mic, 0},
    {EffectMixOutput, L"Mix Output", L"Mix Output Content to Recorded Audio Stream", key::MixOutputEnable, Mic, 0},
    {EffectDolbyPcee, L"Dolby PCEEv4", L"Dolby PCEE v4", key::DolbyPceeEnable, Lfx, kDolbyPanelDialog},
    {EffectZurAec, L"Zur AEC", nullptr, key::ZurAecEnable, Mic, 0},
};

const EffectInfo* FindEffect(uint32_t id) {
    return (id >= 1 && id <= kEffectCount) ? &kEffectTable[id - 1] : nullptr;
}

const wchar_t* const kEnvironmentPresets[28] = {
    L"Default", L"Generic", L"Padded cell", L"Room", L"Bathroom", L"Living room", L"Stone room",
    L"Auditorium", L"Concert hall", L"Cave", L"Arena", L"Hangar", L"Carpeted hallway", L"Hallway",
    L"Stone corridor", L"Alley", L"Forest", L"City", L"Mountains", L"Quarry", L"Plain",
    L"Parking lot", L"Sewer pipe", L"Under water", L"Drugged", L"Dizzy", L"Psychotic", L"KTV",
};

namespace {
uint32_t LoadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void StoreLe32(uint32_t v, uint8_t* p) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
}  // namespace

FilterRecord DecodeFilterRecord(const uint8_t* bytes) {
    FilterRecord r{};
    r.on = LoadLe32(bytes);
    r.frequency = LoadLe32(bytes + 4);
    r.gain = DecodeSigned(LoadLe32(bytes + 8));
    const uint32_t qBits = LoadLe32(bytes + 12);
    std::memcpy(&r.q, &qBits, sizeof r.q);
    return r;
}

void EncodeFilterRecord(const FilterRecord& record, uint8_t* bytes) {
    StoreLe32(record.on, bytes);
    StoreLe32(record.frequency, bytes + 4);
    StoreLe32(EncodeSigned(record.gain), bytes + 8);
    uint32_t qBits;
    std::memcpy(&qBits, &record.q, sizeof qBits);
    StoreLe32(qBits, bytes + 12);
}

}  // namespace qx::settings
