#pragma once
// The data that drives the render global-effects processor: its thirteen effect slots,
// the order in which components are created and run, the parameters pushed when the
// format is locked, and what a change of each settings key does. Pure C++.
#include <cstdint>

#include "processors/ProcessorTables.h"
#include "settings/Guid.h"
#include "settings/ParameterProtocol.h"

namespace qx::gfx {

using settings::KeyId;
namespace key = settings::key;

enum Slot : uint8_t {
    SlotEqualizer = 0,
    SlotEq15 = 1,
    SlotKeyShifting = 2,
    SlotVocalFading = 3,
    SlotVocalRemover = 4,
    SlotEnvironment = 5,
    SlotFlexBass = 6,
    SlotSmartVolume = 7,
    SlotAc3Encoder = 8,
    SlotDtsEncoder = 9,
    SlotMonitor = 10,
    SlotSwapCenterSub = 11,  // flag only: no component
    SlotSwapSideRear = 12,   // flag only: no component
};
inline constexpr uint32_t kSlotCount = 13;
inline constexpr uint32_t kEffectSlotCount = 8;  // slots 0 to 7 run in the chain

struct SlotInfo {
    bool hasComponent;
    Guid clsid;
    Guid creationIid;         // the IID asked of CoCreateInstance
    uint32_t initializeFlag;  // last argument of the lock-time Initialize
};

inline constexpr Guid kNoGuid{};

inline constexpr SlotInfo kSlots[kSlotCount] = {
    {true, ParseGuid("{EB09C38E-23DD-48A8-89E4-4F12F3CC5AE7}"), ParseGuid("{4BE71351-495E-472C-9120-0F3C19899292}"), 0},
    {true, ParseGuid("{CB1DB2F4-3364-48DF-ADB0-5375C1210C7A}"), ParseGuid("{7FDAC3E4-0EB3-4910-AFBE-52E42A95E5C7}"), 0},
    {true, ParseGuid("{4B8D75E2-712F-4263-9E68-5965313DDF09}"), ParseGuid("{874B6143-853B-47AB-8618-263A8F285F8C}"), 0},
    {true, ParseGuid("{3E7B4824-FFB3-4A07-8AC3-A220CD8534C5}"), ParseGuid("{77EFACE7-E768-45F3-834D-2986EC878B95}"), 0},
    {true, ParseGuid("{62224D1A-ECC7-4752-AC8A-9A3B1A29894A}"), ParseGuid("{CA9B25CC-1567-4AD0-B5AD-829429E5DE25}"), 0},
    {true, ParseGuid("{4D0A31C2-CFF9-4626-B8AE-E8BC98D66084}"), ParseGuid("{605EE47D-6327-41CF-9EBF-8094B0C1D1EF}"), 1},
    {true, ParseGuid("{37A6AA01-A5D2-4955-A678-89D76B1B8697}"), ParseGuid("{4FAA831A-32B0-45BE-BC94-66FDA1BFF90D}"), 0},
    {true, ParseGuid("{F5311147-D9A9-4750-9F1C-B708BD0689B1}"), ParseGuid("{720E3044-EE69-46D1-A1D7-FF46C6AC9176}"), 0},
    {true, ParseGuid("{1A074404-3D7B-49D6-B115-AC459BF033E7}"), ParseGuid("{6172F9FC-3AEA-4254-AC18-E770B041C9C7}"), 0},
    {true, ParseGuid("{88A5ABC0-F5B3-492D-AD5F-230DDB7F7EDC}"), ParseGuid("{4F56074F-024D-4088-857E-E8D3C3D0C068}"), 0},
    {true, ParseGuid("{745979CD-0146-4FB5-8FD3-285B9B7B4905}"), ParseGuid("{241B8849-E376-4DBF-B133-A0199B4A4A7D}"), 0},
    {false, kNoGuid, kNoGuid, 0},
    {false, kNoGuid, kNoGuid, 0},
};

// The enable key of each slot (the encoders and the monitor have none), and the slots
// whose keys a lock reads, in this order.
inline constexpr KeyId kEnableKeys[kSlotCount] = {
    key::EqualizerEnable,    key::Eq15Enable,        key::KeyShiftingEnable, key::VocalFadingEnable,
    key::VocalRemoverEnable, key::EnvironmentEnable, key::FlexBassEnable,    key::SmartVolumeEnable,
    {},                      {},                     {},                     key::SwapCenterSubEnable,
    key::SwapSideRearEnable,
};
inline constexpr uint8_t kEnableOrder[] = {0, 1, 2, 3, 4, 5, 6, 7, SlotSwapCenterSub, SlotSwapSideRear};

// Creation order: the slots every endpoint gets, then those of its kind.
inline constexpr uint8_t kCommonSlots[] = {SlotEqualizer, SlotEq15,         SlotKeyShifting, SlotVocalFading,
                                           SlotVocalRemover, SlotEnvironment, SlotSmartVolume};
inline constexpr uint8_t kSpdifSlots[] = {SlotAc3Encoder, SlotDtsEncoder};
inline constexpr uint8_t kOtherEndpointSlots[] = {SlotFlexBass, SlotMonitor};

// The order in which the in-place effects run on a period.
inline constexpr uint8_t kChainOrder[kEffectSlotCount] = {SlotVocalFading, SlotVocalRemover, SlotKeyShifting,
                                                          SlotEnvironment, SlotEqualizer,    SlotEq15,
                                                          SlotFlexBass,    SlotSmartVolume};

// The bitstream encoders of S/PDIF endpoints: the output tag the host asks for at lock
// time, and the tag of the stream the encoder then writes.
struct EncoderInfo {
    uint8_t slot;
    uint16_t requestedTag;
    uint16_t writtenTag;
};
inline constexpr EncoderInfo kEncoders[] = {
    {SlotAc3Encoder, 146, 146},  // AC-3 over S/PDIF
    {SlotDtsEncoder, 356, 8},    // requested as WMA over S/PDIF, written as DTS
};

// The ten equaliser gains as 32-bit words, band 1 first.
inline constexpr RecordLayout kEqualizerBands{40, false, 10, {{FieldForm::Word, 0, 1, 0}, {FieldForm::Word, 4, 2, 0},
    {FieldForm::Word, 8, 3, 0}, {FieldForm::Word, 12, 4, 0}, {FieldForm::Word, 16, 5, 0}, {FieldForm::Word, 20, 6, 0},
    {FieldForm::Word, 24, 7, 0}, {FieldForm::Word, 28, 8, 0}, {FieldForm::Word, 32, 9, 0}, {FieldForm::Word, 36, 10, 0}}};
// Room size, then preset, as bytes; the preset is read first.
inline constexpr RecordLayout kEnvironmentPair{2, false, 2, {{FieldForm::Byte, 1, 1, 0}, {FieldForm::Byte, 0, 2, 0}}};

// Pushed, in this order, after a component's Initialize succeeded at lock time.
inline constexpr KeyPush kLockPushes[] = {
    {SlotEqualizer, key::EqualizerBand(1), RecordRule(param::kEqualizerAllBands, kEqualizerBands)},
    {SlotEq15, key::Eq15Bass, {Encoding::FilterRecord, param::kEq15BassOn, true, 0}},
    {SlotEq15, key::Eq15Treble, {Encoding::FilterRecord, param::kEq15TrebleOn, true, 0}},
    {SlotEq15, key::Eq15Bands, {Encoding::FilterBands, param::kEq15Bands, true, 0}},
    {SlotEq15, key::Eq15PhaseMode, {Encoding::BoolByte, param::kEq15PhaseMode, true, 0}},
    {SlotEq15, key::Eq15ParallelMode, {Encoding::BoolByte, param::kEq15ParallelMode, true, 0}},
    {SlotKeyShifting, key::KeyShift, {Encoding::Word, param::kKeyShift, false, 0}},
    {SlotVocalFading, key::VocalFadingAmount, {Encoding::LowByte, param::kVocalFadingAmount, false, 0}},
    {SlotVocalRemover, key::VocalRemoverAmount, {Encoding::Word, param::kVocalRemoverAmount, true, 0}},
    {SlotVocalRemover, key::VocalRemoverBand, {Encoding::LowByte, param::kVocalRemoverBand, true, 0}},
    {SlotEnvironment, key::EnvironmentPreset, RecordRule(param::kEnvironment, kEnvironmentPair)},
    {SlotFlexBass, key::FlexBassCutoff, {Encoding::Word, param::kFlexBassCutoff, true, 100}},
    {SlotFlexBass, key::FlexBassLevel, {Encoding::WordMinus12, param::kFlexBassLevel, true, 12}},  // absent: 0 dB
    {SlotFlexBass, key::FlexBassSpeakers, {Encoding::Word, param::kFlexBassSpeakers, true, 0}},
};

// Follow-up of a flag row: the normaliser restarts before its switch changes, and only
// when it exists (SetParameter (12, 0, none), then the flag).
inline constexpr uint8_t kResetFirst = 1;

// What a change of one key does. Single values are sent only when read; the environment
// pair and the filter blobs fall back to their defaults.
inline constexpr RefreshRow kRefreshRows[] = {
    FlagRow(key::EqualizerEnable, SlotEqualizer),
    FlagRow(key::Eq15Enable, SlotEq15),
    FlagRow(key::KeyShiftingEnable, SlotKeyShifting),
    FlagRow(key::VocalFadingEnable, SlotVocalFading),
    FlagRow(key::VocalRemoverEnable, SlotVocalRemover),
    FlagRow(key::EnvironmentEnable, SlotEnvironment),
    FlagRow(key::FlexBassEnable, SlotFlexBass),
    FlagRow(key::SwapCenterSubEnable, SlotSwapCenterSub),
    FlagRow(key::SwapSideRearEnable, SlotSwapSideRear),
    FlagRow(key::SmartVolumeEnable, SlotSmartVolume, 0, kResetFirst),
    PushRow(key::FlexBassCutoff, SlotFlexBass, {Encoding::Word, param::kFlexBassCutoff, false, 0}),
    PushRow(key::FlexBassLevel, SlotFlexBass, {Encoding::WordMinus12, param::kFlexBassLevel, false, 0}),
    PushRow(key::FlexBassSpeakers, SlotFlexBass, {Encoding::Word, param::kFlexBassSpeakers, false, 0}),
    PushRow(key::EqualizerBand(1), 10, SlotEqualizer, {Encoding::EqualizerBand, param::kEqualizerBand, false, 0}),
    PushRow(key::KeyShift, SlotKeyShifting, {Encoding::Word, param::kKeyShift, false, 0}),
    PushRow(key::VocalFadingAmount, SlotVocalFading, {Encoding::LowByte, param::kVocalFadingAmount, false, 0}),
    PushRow(key::VocalRemoverAmount, SlotVocalRemover, {Encoding::Word, param::kVocalRemoverAmount, false, 0}),
    PushRow(key::VocalRemoverBand, SlotVocalRemover, {Encoding::LowByte, param::kVocalRemoverBand, false, 0}),
    PushRow(key::EnvironmentPreset, 2, SlotEnvironment, RecordRule(param::kEnvironment, kEnvironmentPair)),
    PushRow(key::Eq15Bass, SlotEq15, {Encoding::FilterRecord, param::kEq15BassOn, true, 0}),
    PushRow(key::Eq15Treble, SlotEq15, {Encoding::FilterRecord, param::kEq15TrebleOn, true, 0}),
    PushRow(key::Eq15Bands, SlotEq15, {Encoding::FilterBands, param::kEq15Bands, true, 0}),
    PushRow(key::Eq15PhaseMode, SlotEq15, {Encoding::LowByte, param::kEq15PhaseMode, false, 0}),
    PushRow(key::Eq15ParallelMode, SlotEq15, {Encoding::LowByte, param::kEq15ParallelMode, false, 0}),
};

}  // namespace qx::gfx
