#pragma once
// The FX property-store schema: every effect key with its type, range and default, the
// EffectId table shared by the processors and the control panel, and the byte layout of
// the 15-band equaliser filter records. Pure C++: the Windows-side readers and writers
// live in PropertyStoreAccess.
#include <cstddef>
#include <cstdint>

#include "settings/Guid.h"

namespace qx::settings {

struct KeyId {
    Guid fmtid;
    uint32_t pid;
};
constexpr bool operator==(const KeyId& a, const KeyId& b) { return a.pid == b.pid && a.fmtid == b.fmtid; }
constexpr bool operator!=(const KeyId& a, const KeyId& b) { return !(a == b); }

// One format identifier per effect family.
namespace fmtid {
inline constexpr Guid Equalizer = ParseGuid("{BD341FFB-9FD1-4ED4-8159-7999D546EA8A}");
inline constexpr Guid Environment = ParseGuid("{686AD5B3-9A96-4723-87BC-EBCD95B407DE}");
inline constexpr Guid FlexBass = ParseGuid("{5860EE50-9705-436A-96DB-BB18A130E08B}");
inline constexpr Guid SpeakerShifter = ParseGuid("{F9736E6B-5342-4690-82B7-95E78DF992A0}");
inline constexpr Guid SmartVolume = ParseGuid("{E34C0B43-5F18-49B3-96ED-3F07E8028F69}");
inline constexpr Guid DolbySurround = ParseGuid("{D65010BE-653B-4606-B910-CDD7846478D1}");
inline constexpr Guid ProLogic = ParseGuid("{9894DBA1-62C6-436B-B1CE-6EDBAFA69BBF}");
inline constexpr Guid NeoPC = ParseGuid("{D77F6FDC-386F-44B5-9278-70B636002B3D}");
inline constexpr Guid SurroundSensation = ParseGuid("{3BDB362E-2722-4CF3-BF07-5F44BF350FC9}");
inline constexpr Guid Nuvex = ParseGuid("{C020CDBF-756F-4B6D-9031-BE6E20CF1C9F}");
inline constexpr Guid NuvexMax = ParseGuid("{31AF2432-4E37-47C5-9785-9D9529E07129}");
inline constexpr Guid SwapCenterSub = ParseGuid("{1D7D6D22-151D-49AC-A999-EFF4CAA5178D}");
inline constexpr Guid SwapSideRear = ParseGuid("{3A053648-49C9-4FD5-8500-CF595DDB08E2}");
inline constexpr Guid Voice = ParseGuid("{64805010-C7E7-4408-9BE0-658ED5DD0ED2}");
inline constexpr Guid MicEcho = ParseGuid("{3BC6329A-2397-4FF3-92F5-2CD9894BB889}");
inline constexpr Guid NoiseReduction = ParseGuid("{A9334B7E-12FD-4918-B565-461073332B91}");
inline constexpr Guid MixOutput = ParseGuid("{4EC67050-5A79-483D-91B8-7E1680BFBF5C}");
inline constexpr Guid DolbyPcee = ParseGuid("{F7A79467-4169-406A-9244-46ED00E3F2F6}");
// The endpoint's own keys.
inline constexpr Guid AudioEndpoint = ParseGuid("{1DA5D803-D492-4EDD-8C23-E0C0FFEE7F0E}");
inline constexpr Guid AudioEngine = ParseGuid("{F19F064D-082C-4E27-BC73-6882A1BB8E4C}");
}  // namespace fmtid

namespace key {
// Equalizer (10 bands) and 15-Band Equalizer.
inline constexpr KeyId EqualizerEnable{fmtid::Equalizer, 0};
constexpr KeyId EqualizerBand(uint32_t band) { return {fmtid::Equalizer, band}; }  // band 1 (30 Hz) to 10 (16 kHz)
inline constexpr KeyId Eq15Enable{fmtid::Equalizer, 11};
inline constexpr KeyId Eq15Bass{fmtid::Equalizer, 12};
inline constexpr KeyId Eq15Treble{fmtid::Equalizer, 13};
inline constexpr KeyId Eq15Bands{fmtid::Equalizer, 14};
inline constexpr KeyId Eq15PhaseMode{fmtid::Equalizer, 15};
inline constexpr KeyId Eq15ParallelMode{fmtid::Equalizer, 16};
// Environment.
inline constexpr KeyId EnvironmentEnable{fmtid::Environment, 0};
inline constexpr KeyId EnvironmentPreset{fmtid::Environment, 1};
inline constexpr KeyId EnvironmentRoomSize{fmtid::Environment, 2};
// Flex Bass.
inline constexpr KeyId FlexBassEnable{fmtid::FlexBass, 0};
inline constexpr KeyId FlexBassCutoff{fmtid::FlexBass, 1};
inline constexpr KeyId FlexBassSpeakers{fmtid::FlexBass, 2};
inline constexpr KeyId FlexBassLevel{fmtid::FlexBass, 6};
// Single-flag effects.
inline constexpr KeyId SmartVolumeEnable{fmtid::SmartVolume, 0};
inline constexpr KeyId SwapCenterSubEnable{fmtid::SwapCenterSub, 0};
inline constexpr KeyId SwapSideRearEnable{fmtid::SwapSideRear, 0};
inline constexpr KeyId DolbyPceeEnable{fmtid::DolbyPcee, 0};
inline constexpr KeyId NuvexMaxEnable{fmtid::NuvexMax, 0};
inline constexpr KeyId MixOutputEnable{fmtid::MixOutput, 0};
// Vocal Fading, Key Shifting, Vocal Remover.
inline constexpr KeyId VocalFadingEnable{fmtid::Voice, 0};
inline constexpr KeyId VocalFadingAmount{fmtid::Voice, 1};
inline constexpr KeyId KeyShiftingEnable{fmtid::Voice, 2};
inline constexpr KeyId KeyShift{fmtid::Voice, 3};
inline constexpr KeyId VocalRemoverEnable{fmtid::Voice, 4};
inline constexpr KeyId VocalRemoverAmount{fmtid::Voice, 5};
inline constexpr KeyId VocalRemoverBand{fmtid::Voice, 6};
// Speaker Shifter: angles of LF, C, RF, RS, RB, LB, LS (index 0 to 6) and distances
// of the same seven plus LFE (index 0 to 7).
inline constexpr KeyId SpeakerShifterEnable{fmtid::SpeakerShifter, 0};
constexpr KeyId SpeakerShifterAngle(uint32_t speaker) { return {fmtid::SpeakerShifter, 1 + speaker}; }
constexpr KeyId SpeakerShifterDistance(uint32_t speaker) { return {fmtid::SpeakerShifter, 8 + speaker}; }
// Dolby Surround.
inline constexpr KeyId DolbySurroundEnable{fmtid::DolbySurround, 0};
inline constexpr KeyId DolbySurroundMode{fmtid::DolbySurround, 1};
inline constexpr KeyId DolbyHeadphoneRoom{fmtid::DolbySurround, 2};
inline constexpr KeyId DolbyVirtualSpeakerMode{fmtid::DolbySurround, 3};
// Dolby Pro Logic IIx.
inline constexpr KeyId ProLogicEnable{fmtid::ProLogic, 0};
inline constexpr KeyId ProLogicDimension{fmtid::ProLogic, 1};
inline constexpr KeyId ProLogicCenterWidth{fmtid::ProLogic, 2};
inline constexpr KeyId ProLogicDecodeMode{fmtid::ProLogic, 3};
inline constexpr KeyId ProLogicPanorama{fmtid::ProLogic, 4};
// DTS Neo:PC.
inline constexpr KeyId NeoPcEnable{fmtid::NeoPC, 0};
inline constexpr KeyId NeoPcDimension{fmtid::NeoPC, 1};
inline constexpr KeyId NeoPcCenterGain{fmtid::NeoPC, 2};
inline constexpr KeyId NeoPcDecodeMode{fmtid::NeoPC, 3};
// DTS Surround Sensation and DTS Voice Clarity.
inline constexpr KeyId SurroundSensationEnable{fmtid::SurroundSensation, 0};
inline constexpr KeyId SurroundSensationMode{fmtid::SurroundSensation, 1};
inline constexpr KeyId SurroundSensationExpansion{fmtid::SurroundSensation, 2};
inline constexpr KeyId VoiceClarityEnable{fmtid::SurroundSensation, 6};
inline constexpr KeyId VoiceClarityLevel{fmtid::SurroundSensation, 7};
inline constexpr KeyId SurroundSensationContent{fmtid::SurroundSensation, 8};
inline constexpr KeyId SurroundSensationSpeakerAngle{fmtid::SurroundSensation, 9};
inline constexpr KeyId SurroundSensationMixLfe{fmtid::SurroundSensation, 10};
// Nuvex Surround (loudspeaker and headphone presentations share the enable key).
inline constexpr KeyId NuvexEnable{fmtid::Nuvex, 0};
inline constexpr KeyId NuvexMode{fmtid::Nuvex, 1};
inline constexpr KeyId NuvexRoomSize{fmtid::Nuvex, 2};
inline constexpr KeyId NuvexExpansion{fmtid::Nuvex, 3};
inline constexpr KeyId NuvexSpeakerAngle{fmtid::Nuvex, 4};
// Microphone Echo and Magic Voice.
inline constexpr KeyId MicEchoEnable{fmtid::MicEcho, 0};
inline constexpr KeyId MicEchoAmount{fmtid::MicEcho, 1};
inline constexpr KeyId MagicVoiceEnable{fmtid::MicEcho, 2};
inline constexpr KeyId MagicVoiceType{fmtid::MicEcho, 3};
// Capture noise family.
inline constexpr KeyId NoiseReductionEnable{fmtid::NoiseReduction, 0};
inline constexpr KeyId EncEnable{fmtid::NoiseReduction, 1};
inline constexpr KeyId CapturePathA{fmtid::NoiseReduction, 2};
inline constexpr KeyId BeamFormingEnable{fmtid::NoiseReduction, 3};
inline constexpr KeyId CapturePathB{fmtid::NoiseReduction, 4};
inline constexpr KeyId AecEnable{fmtid::NoiseReduction, 5};
inline constexpr KeyId ZurAecEnable{fmtid::NoiseReduction, 6};
// Endpoint keys.
inline constexpr KeyId EndpointFormFactor{fmtid::AudioEndpoint, 0};
inline constexpr KeyId EndpointPhysicalSpeakers{fmtid::AudioEndpoint, 3};
inline constexpr KeyId EndpointGuid{fmtid::AudioEndpoint, 4};
inline constexpr KeyId EngineDeviceFormat{fmtid::AudioEngine, 0};
}  // namespace key

// How a key's VT_UI4 (or blob) is to be understood.
enum class ValueKind : uint8_t {
    Flag,      // 0 off, non-zero on; writers store 0 or 1
    Signed,    // two's complement; readers take the low 16 bits as signed
    Unsigned,  // plain VT_UI4 number
    Choice,    // index of an option
    BitMask,   // speaker-position bits
    Blob,      // VT_BLOB of exactly blobSize bytes
};

struct KeyInfo {
    const char* name;  // "Family.setting", as the host tool and tests spell it
    KeyId key;
    ValueKind kind;
    int32_t min;
    int32_t max;
    int32_t def;       // the value shown before the store is read (min where none is stated)
    uint32_t blobSize; // Blob keys only
};

// Every effect key of the FX property store.
extern const KeyInfo kKeyTable[];
extern const size_t kKeyCount;

const KeyInfo* FindKey(const KeyId& key);
const KeyInfo* FindKeyByName(const char* name);  // case-insensitive

// Endpoint form factors.
enum FormFactor : uint32_t {
    FormFactorSpeakers = 1,
    FormFactorHeadphones = 3,
    FormFactorMicrophone = 4,
    FormFactorSpdif = 8,
    FormFactorHdmi = 9,
    FormFactorUnknown = 10,
};

enum class Processor : uint8_t { GFX, LFX, MicLFX };

// The control panel's numbering of listed effects.
enum EffectId : uint32_t {
    EffectNone = 0,
    EffectEqualizer = 1,
    EffectEnvironment = 2,
    EffectFlexBass = 3,
    EffectSpeakerShifter = 4,
    EffectSmartVolume = 5,
    EffectDolbySurround = 6,
    EffectProLogic = 7,
    EffectNeoPC = 8,
    EffectSurroundSensation = 9,
    EffectNuvex = 10,
    EffectNuvexHeadphone = 11,
    EffectVoiceClarity = 12,
    EffectNuvexMax = 13,
    EffectSwapCenterSub = 14,
    EffectSwapSideRear = 15,
    EffectEq15 = 16,
    EffectVocalFading = 17,
    EffectKeyShifting = 18,
    EffectVocalRemover = 19,
    EffectMicEcho = 20,
    EffectMagicVoice = 21,
    EffectNoiseReduction = 22,
    EffectEnc = 23,
    EffectBeamForming = 24,
    EffectAec = 25,
    EffectMixOutput = 26,
    EffectDolbyPcee = 27,
    EffectZurAec = 28,
};
inline constexpr uint32_t kEffectCount = 28;

// Dialog template number of the Dolby PCEE v4 row: its settings live in an outside panel.
inline constexpr uint16_t kDolbyPanelDialog = 0xFFFF;

struct EffectInfo {
    EffectId id;
    const wchar_t* label;       // effect-list row text
    const wchar_t* statusName;  // words after "Quellix Effect: " (null: built elsewhere)
    KeyId enableKey;
    Processor processor;
    uint16_t dialogTemplate;    // 0: no settings dialog
};

// Indexed by EffectId - 1.
extern const EffectInfo kEffectTable[kEffectCount];
const EffectInfo* FindEffect(uint32_t id);  // null for 0 or above 28

// The 28 environment presets, in index order.
extern const wchar_t* const kEnvironmentPresets[28];

// 15-band equaliser filter record: 16 bytes, little-endian.
struct FilterRecord {
    uint32_t on;
    uint32_t frequency;
    int32_t gain;  // dB, -12 to +12
    float q;       // 0.5 to 10 in steps of 0.5
};
inline constexpr size_t kFilterRecordSize = 16;
inline constexpr size_t kEq15BandCount = 15;
inline constexpr size_t kEq15BandsSize = kFilterRecordSize * kEq15BandCount;  // 240

// Decoding takes the gain's low 16 bits as signed, like every signed reader.
FilterRecord DecodeFilterRecord(const uint8_t* bytes);
void EncodeFilterRecord(const FilterRecord& record, uint8_t* bytes);

// A signed setting is stored as 32-bit two's complement and read from its low 16 bits.
constexpr int32_t DecodeSigned(uint32_t stored) { return int16_t(uint16_t(stored & 0xFFFFu)); }
constexpr uint32_t EncodeSigned(int32_t value) { return uint32_t(value); }

// Writers store flags and two-option choices as exactly 0 or 1.
constexpr uint32_t EncodeFlag(bool on) { return on ? 1u : 0u; }

}  // namespace qx::settings
