#pragma once
// The parameters the processors send to the effect components through SetParameter
// (id, size, data): each parameter's identifier and the byte layout of its data. Both
// sides include this header. Multi-byte fields are little-endian; signed settings travel
// as 32-bit words whose low 16 bits hold the signed number. Pure C++.
#include <cstddef>
#include <cstdint>

namespace qx::param {

// Global effects.
inline constexpr uint8_t kKeyShift = 5;            // u32 key shift
inline constexpr uint8_t kEnvironment = 6;         // 2 bytes: room size, preset
inline constexpr uint8_t kVocalFadingAmount = 9;   // 1 byte, 0 to 100
inline constexpr uint8_t kEqualizerBand = 10;      // EqualizerBandRecord
inline constexpr uint8_t kEqualizerAllBands = 11;  // kEqualizerBandCount u32 gains, lowest band first
inline constexpr uint8_t kSmartVolumeReset = 12;   // no data
inline constexpr uint8_t kFlexBassCutoff = 13;     // u32 Hz
inline constexpr uint8_t kFlexBassSpeakers = 14;   // u32 speaker-position bits
inline constexpr uint8_t kFlexBassLevel = 15;      // u32 level in dB, signed
inline constexpr uint8_t kVocalRemoverBand = 33;   // 1 byte band
inline constexpr uint8_t kVocalRemoverAmount = 34; // u32 amount, signed
inline constexpr uint8_t kEq15BassOn = 35;         // 1 byte, 1 when on
inline constexpr uint8_t kEq15BassFilter = 36;     // FilterSettings
inline constexpr uint8_t kEq15TrebleOn = 37;       // 1 byte, 1 when on
inline constexpr uint8_t kEq15TrebleFilter = 38;   // FilterSettings
inline constexpr uint8_t kEq15Bands = 39;          // kEq15BandCount Eq15BandRecords
inline constexpr uint8_t kEq15PhaseMode = 40;      // 1 byte, nonzero: linear phase
inline constexpr uint8_t kEq15ParallelMode = 41;   // 1 byte, nonzero: cascading

inline constexpr uint32_t kEqualizerBandCount = 10;
inline constexpr uint32_t kEq15BandCount = 15;
inline constexpr uint8_t kEnvironmentSize = 2;

struct EqualizerBandRecord {
    uint8_t band;  // 0 for the lowest band
    uint8_t padding[3];
    uint32_t gain;  // dB, signed
};
struct FilterSettings {  // the bass or treble filter of the 15-band equaliser
    uint32_t frequency;  // Hz
    uint32_t gain;       // dB, signed
};
struct Eq15BandRecord {
    uint8_t on;  // 1 when the band is active
    uint8_t padding[3];
    FilterSettings filter;
    float q;
};
inline constexpr uint8_t kEqualizerAllBandsSize = kEqualizerBandCount * sizeof(uint32_t);
inline constexpr uint8_t kEq15BandsSize = kEq15BandCount * sizeof(Eq15BandRecord);

// Local effects.
inline constexpr uint8_t kNuvexMode = 1;                  // u32, nonzero: headphone
inline constexpr uint8_t kNuvexRoomSize = 2;              // u32
inline constexpr uint8_t kNuvexExpansion = 3;             // u32, 0 to 3
inline constexpr uint8_t kNuvexSpeakerAngle = 4;          // u32, 0 to 4
inline constexpr uint8_t kSpeakerRecord = 16;             // SpeakerRecord
inline constexpr uint8_t kDolbyRoom = 17;                 // 1 byte: room filter + 1, or speaker mode + 5
inline constexpr uint8_t kProLogicShape = 18;             // 2 bytes: dimension, center width
inline constexpr uint8_t kProLogicDecodeMode = 19;        // 1 byte
inline constexpr uint8_t kProLogicPanorama = 20;          // 1 byte, 1 when on
inline constexpr uint8_t kProLogicUpMixer = 21;           // 1 byte, 1: feeds a virtualiser
inline constexpr uint8_t kProLogicUpMixerMode = 22;       // 1 byte, 1: headphone
inline constexpr uint8_t kNeoDecodeMode = 23;             // 1 byte, mode + 1
inline constexpr uint8_t kNeoShape = 24;                  // NeoShapeRecord
inline constexpr uint8_t kSurroundSensationMode = 25;     // 1 byte, 1: headphone
inline constexpr uint8_t kSurroundSensationContent = 26;  // 1 byte
inline constexpr uint8_t kSurroundSensationMixLfe = 27;   // 1 byte, 1 when on
inline constexpr uint8_t kSurroundSensationAngle = 28;    // 1 byte, degrees
inline constexpr uint8_t kSurroundSensationExpansion = 29;  // f32
inline constexpr uint8_t kVoiceClarityLevel = 30;         // f32

struct NeoShapeRecord {
    uint8_t dimension;
    uint8_t padding[3];
    float centerGain;
};
struct SpeakerRecord {
    uint32_t speaker;
    float angle;  // degrees, negative to the left
    float level;  // linear gain factor
};

// Capture effects.
inline constexpr uint8_t kMagicVoiceType = 7;  // 1 byte, type + 1
inline constexpr uint8_t kMicEcho = 8;         // u32 echo amount, signed
inline constexpr uint8_t kNoiseMode = 31;      // 1 byte: 1 Beam Forming, +2 AEC, 0 Noise Reduction
inline constexpr uint8_t kCapturePath = 32;    // 1 byte, 1 when set

static_assert(sizeof(EqualizerBandRecord) == 8 && sizeof(FilterSettings) == 8 && sizeof(Eq15BandRecord) == 16 &&
                  sizeof(NeoShapeRecord) == 8 && sizeof(SpeakerRecord) == 12,
              "parameter records have fixed sizes");

}  // namespace qx::param
