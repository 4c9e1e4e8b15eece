#pragma once
// The fixed layout of the render local-effects processor as data: its component slots
// and classes, its enable flags and keys, the orders in which they are created and read,
// which enables switch other effects off, and the parameter pushes that map stored
// values to component parameters. Pure C++.
#include <cstdint>

#include "processors/ProcessorTables.h"
#include "settings/ParameterProtocol.h"

namespace qx::lfx {

using settings::KeyId;
namespace key = settings::key;
namespace fmtid = settings::fmtid;

// Component slots; 7 and 8 exist but are never filled.
enum Slot : uint8_t {
    SlotNuvex = 0,
    SlotSpeakerShifter = 1,
    SlotDolbySurround = 2,
    SlotProLogic = 3,
    SlotSurroundSensation = 4,
    SlotNeoPc = 5,
    SlotVoiceClarity = 6,
};
inline constexpr uint32_t kSlotCount = 9;
inline constexpr uint32_t kComponentClassCount = 7;

// Enable flags: 0 off, anything else on.
enum Flag : uint8_t {
    FlagNuvex = 0,
    FlagSpeakerShifter = 1,
    FlagDolbySurround = 2,
    FlagProLogic = 3,
    FlagSurroundSensation = 4,
    FlagNeoPc = 5,
    FlagVoiceClarity = 6,
    FlagNuvexMax = 7,
    FlagDolbyPcee = 8,
};
inline constexpr uint32_t kFlagCount = 9;

// Slots 0 to 6 and flags 0 to 6 name the same effects, so a slot number is also the
// number of its effect's flag.
static_assert(int(SlotNuvex) == int(FlagNuvex) && int(SlotSpeakerShifter) == int(FlagSpeakerShifter) &&
                  int(SlotDolbySurround) == int(FlagDolbySurround) && int(SlotProLogic) == int(FlagProLogic) &&
                  int(SlotSurroundSensation) == int(FlagSurroundSensation) && int(SlotNeoPc) == int(FlagNeoPc) &&
                  int(SlotVoiceClarity) == int(FlagVoiceClarity),
              "slot and flag numbering must agree");

struct ComponentClass {
    Guid clsid;
    Guid creationIid;  // the IID asked of CoCreateInstance
};

// Indexed by slot.
inline constexpr ComponentClass kComponentClasses[kComponentClassCount] = {
    {ParseGuid("{80E1C92D-E30A-4A98-BF80-98752A7744FD}"), ParseGuid("{D4FD14B2-6E4E-4265-829C-C2B944958903}")},
    {ParseGuid("{B6A6B665-9A9D-48C1-B5FB-0C304BB7AEC9}"), ParseGuid("{D2FE8EA6-21AF-4504-BEB3-33F948096AE7}")},
    {ParseGuid("{A59C7ABD-C71D-49E2-AEF5-1232C4141B26}"), ParseGuid("{BA79F822-CFA5-4966-B25E-32162DD4DC7C}")},
    {ParseGuid("{F446A679-4FAE-4381-9E33-31FE4ADBC632}"), ParseGuid("{D67AD945-D47F-4187-AC9A-B007D63AA645}")},
    {ParseGuid("{CCF7561E-9337-4DF4-8E69-1A65EE4234C1}"), ParseGuid("{CACD8173-5241-4CB7-8FDD-C0EA9F2B849A}")},
    {ParseGuid("{9B16B630-9215-4BDA-81A9-8F8F87370545}"), ParseGuid("{20F26CAC-98E9-42DC-B91D-CDC359B74702}")},
    {ParseGuid("{A95F8854-F18F-4150-9FC5-D0D83A3DA55E}"), ParseGuid("{43348B49-71EC-4C4F-B2AB-89D9D0C7F682}")},
};

// Creation order; Dolby Surround is skipped on S/PDIF endpoints.
inline constexpr uint8_t kCreationOrder[] = {SlotSpeakerShifter, SlotNuvex,  SlotDolbySurround, SlotProLogic,
                                             SlotNeoPc,          SlotSurroundSensation, SlotVoiceClarity};

// The hosted audio processing object.
inline constexpr Guid kDolbyPceeClsid = ParseGuid("{BC8E3B67-3306-4EEF-B230-6798E9A67F0B}");

// Indexed by flag.
inline constexpr KeyId kEnableKeys[kFlagCount] = {
    key::NuvexEnable,       key::SpeakerShifterEnable,    key::DolbySurroundEnable,
    key::ProLogicEnable,    key::SurroundSensationEnable, key::NeoPcEnable,
    key::VoiceClarityEnable, key::NuvexMaxEnable,         key::DolbyPceeEnable,
};

// The order in which LockForProcess reads the enable keys.
inline constexpr uint8_t kFlagReadOrder[] = {FlagDolbyPcee,    FlagNuvex,     FlagNuvexMax,
                                             FlagSpeakerShifter, FlagDolbySurround, FlagProLogic,
                                             FlagNeoPc,        FlagSurroundSensation, FlagVoiceClarity};

// The Speaker Shifter's record of one speaker: its index, angle and level. The angle keys
// follow the dialog's order (LF, C, RF, RS, RB, LB, LS), the records the component's; the
// LFE speaker has a distance but no angle (0 degrees).
constexpr RecordLayout SpeakerRecord(uint32_t speaker, uint32_t anglePid, int32_t angle, uint32_t distancePid) {
    return {sizeof(param::SpeakerRecord), true, 3,
            {{FieldForm::Constant, 0, 0, speaker},
             anglePid ? RecordField{FieldForm::AngleFloat, 4, anglePid, uint32_t(angle)}
                      : RecordField{FieldForm::Constant, 4, 0, 0},
             {FieldForm::LevelFloat, 8, distancePid, 0}}};
}
inline constexpr RecordLayout kSpeakerRecords[8] = {
    SpeakerRecord(0, 1, -45, 8),  SpeakerRecord(1, 3, 45, 10), SpeakerRecord(2, 6, -135, 13),
    SpeakerRecord(3, 5, 135, 12), SpeakerRecord(4, 2, 0, 9),   SpeakerRecord(5, 7, -90, 14),
    SpeakerRecord(6, 4, 90, 11),  SpeakerRecord(7, 0, 0, 15),
};

// Pro Logic IIx dimension and center width, defaults 7 and 3.
inline constexpr RecordLayout kProLogicShape{2, false, 2, {{FieldForm::Byte, 0, 1, 7}, {FieldForm::Byte, 1, 2, 3}}};
// Neo:PC dimension (default 7) and center gain in tenths; an unread gain is 5.0 at lock
// time and 0.5 on a refresh.
inline constexpr RecordLayout kNeoShapeLock{
    sizeof(param::NeoShapeRecord), false, 2, {{FieldForm::Byte, 0, 1, 7}, {FieldForm::TenthsFloat, 4, 2, 50}}};
inline constexpr RecordLayout kNeoShapeRefresh{
    sizeof(param::NeoShapeRecord), false, 2, {{FieldForm::Byte, 0, 1, 7}, {FieldForm::TenthsFloat, 4, 2, 5}}};

constexpr KeyPush SpeakerPush(uint8_t speaker) {
    return {SlotSpeakerShifter, {fmtid::SpeakerShifter, 0}, RecordRule(param::kSpeakerRecord, kSpeakerRecords[speaker])};
}

// Walked per slot in this order at lock time; looked up by the keys they read on a
// refresh. Nuvex Surround's lock-time rows follow its mode (headphone: the room size;
// speaker: the expansion up to 3 and the speaker angle up to 4), its refresh rows do not.
inline constexpr KeyPush kValuePushes[] = {
    {SlotProLogic, key::ProLogicDimension, RecordRule(param::kProLogicShape, kProLogicShape)},
    {SlotProLogic, key::ProLogicDecodeMode, {Encoding::DecodeModeByte, param::kProLogicDecodeMode, false, 0}},
    {SlotProLogic, key::ProLogicPanorama, {Encoding::BoolByte, param::kProLogicPanorama, false, 0}},
    {SlotSurroundSensation, key::SurroundSensationMode, {Encoding::BoolByte, param::kSurroundSensationMode, false, 0}},
    {SlotSurroundSensation, key::SurroundSensationContent, {Encoding::LowByte, param::kSurroundSensationContent, false, 0}},
    {SlotSurroundSensation, key::SurroundSensationMixLfe, {Encoding::BoolByte, param::kSurroundSensationMixLfe, false, 0}},
    {SlotSurroundSensation, key::SurroundSensationSpeakerAngle, {Encoding::AngleStepByte, param::kSurroundSensationAngle, false, 0}},
    {SlotSurroundSensation, key::SurroundSensationExpansion, {Encoding::TenthsFloat, param::kSurroundSensationExpansion, false, 0}},
    {SlotNeoPc, key::NeoPcDimension, RecordRule(param::kNeoShape, kNeoShapeLock), PushTime::Lock},
    {SlotNeoPc, key::NeoPcDimension, RecordRule(param::kNeoShape, kNeoShapeRefresh), PushTime::Refresh},
    {SlotNeoPc, key::NeoPcDecodeMode, {Encoding::PlusOneByte, param::kNeoDecodeMode, true, 0}},
    {SlotVoiceClarity, key::VoiceClarityLevel, {Encoding::Float, param::kVoiceClarityLevel, false, 0}},
    {SlotNuvex, key::NuvexRoomSize, {Encoding::Word, param::kNuvexRoomSize, false, 0}, PushTime::Lock, {When::ModeNonzero}},
    {SlotNuvex, key::NuvexExpansion, {Encoding::Word, param::kNuvexExpansion, false, 0, 3}, PushTime::Lock, {When::ModeZero}},
    {SlotNuvex, key::NuvexSpeakerAngle, {Encoding::Word, param::kNuvexSpeakerAngle, false, 0, 4}, PushTime::Lock, {When::ModeZero}},
    {SlotNuvex, key::NuvexMode, {Encoding::Word, param::kNuvexMode, false, 0}, PushTime::Refresh},
    {SlotNuvex, key::NuvexRoomSize, {Encoding::Word, param::kNuvexRoomSize, false, 0}, PushTime::Refresh},
    {SlotNuvex, key::NuvexExpansion, {Encoding::Word, param::kNuvexExpansion, false, 0}, PushTime::Refresh},
    {SlotNuvex, key::NuvexSpeakerAngle, {Encoding::Word, param::kNuvexSpeakerAngle, false, 0, 4}, PushTime::Refresh},
    SpeakerPush(0), SpeakerPush(1), SpeakerPush(4), SpeakerPush(5), SpeakerPush(6), SpeakerPush(2), SpeakerPush(3),
    SpeakerPush(7),
};

constexpr uint16_t Bit(Flag f) { return uint16_t(1u << f); }

// The processor's follow-ups of a refresh row (bits of RefreshRow::after).
enum After : uint8_t {
    RedoNuvex = 1,            // the Nuvex input layout depends on the Speaker Shifter
    RedoNuvexWhenStereo = 2,  // ... and on Nuvex Surround Max for a stereo stream without it
    ReinitDolby = 4,          // a new Dolby Surround mode re-initialises the component
};

constexpr RefreshRow EnableRow(Flag flag, uint16_t clearWhenOn = 0, uint8_t after = 0) {
    return FlagRow(kEnableKeys[flag], flag, clearWhenOn, after);
}

// The keys a change of which does more than one value push. An enable key stores its
// flag, and turning the effect on clears the flags of the effects it excludes (the three
// virtualisers exclude one another, and so do the two up-mixers); the Speaker Shifter and
// Nuvex Surround Max redo the Nuvex set-up whether their key is read or not. A new Dolby
// Surround mode re-initialises the component. Its room setting (id 17, only when read)
// depends on the stored mode: the headphone room filter, numbered from 1, while the mode
// is nonzero or unread; the virtual-speaker mode, numbered from 5, only while it reads 0.
// The room rows are also pushed, for the mode set up, at lock time.
inline constexpr RefreshRow kRefreshRows[] = {
    EnableRow(FlagDolbyPcee),
    EnableRow(FlagNuvex, Bit(FlagDolbySurround) | Bit(FlagSurroundSensation)),
    EnableRow(FlagDolbySurround, Bit(FlagSurroundSensation) | Bit(FlagNuvex)),
    EnableRow(FlagSurroundSensation, Bit(FlagDolbySurround) | Bit(FlagNuvex)),
    EnableRow(FlagProLogic, Bit(FlagNeoPc)),
    EnableRow(FlagNeoPc, Bit(FlagProLogic)),
    EnableRow(FlagVoiceClarity),
    EnableRow(FlagSpeakerShifter, 0, RedoNuvex | kEvenUnread),
    EnableRow(FlagNuvexMax, 0, RedoNuvexWhenStereo | kEvenUnread),
    FollowRow(key::DolbySurroundMode, SlotDolbySurround, ReinitDolby),
    PushRow(key::DolbyHeadphoneRoom, SlotDolbySurround, {Encoding::PlusOneByte, param::kDolbyRoom, false, 0},
            ForStoredMode(When::ModeNonzero, key::DolbySurroundMode, 1)),
    PushRow(key::DolbyVirtualSpeakerMode, SlotDolbySurround, {Encoding::PlusFiveByte, param::kDolbyRoom, false, 0},
            ForStoredMode(When::ModeZero, key::DolbySurroundMode, 1)),
};

// Pro Logic IIx set up as the stereo up-mixer in front of Dolby Surround: fixed
// dimension 3 and width 0, decode mode 7, no panorama, up-mixer mode on; id 22 follows
// with the Dolby Surround mode.
struct FixedPush {
    uint8_t id;
    uint8_t size;
    uint8_t bytes[2];
};
inline constexpr FixedPush kDolbyUpMixerPushes[] = {
    {param::kProLogicShape, 2, {3, 0}}, {param::kProLogicDecodeMode, 1, {7}},
    {param::kProLogicPanorama, 1, {0}}, {param::kProLogicUpMixer, 1, {1}},
};

}  // namespace qx::lfx
