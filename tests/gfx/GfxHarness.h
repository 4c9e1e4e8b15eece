#pragma once
// The global-effects processor's component classes and enable keys as its contract names
// them, and a fixture with recording components registered under every class.
#include "tests/gfx/ProcessorHarness.h"

namespace qx::test::gfx {

enum Slot : int {
    Equalizer, Eq15, KeyShifting, VocalFading, VocalRemover, Environment, FlexBass, SmartVolume,
    Ac3, Dts, Monitor, SwapCenterSub, SwapSideRear,
};

inline const std::vector<ComponentClass> kClasses = {
    {L"Equalizer", ParseGuid("{EB09C38E-23DD-48A8-89E4-4F12F3CC5AE7}"), ParseGuid("{4BE71351-495E-472C-9120-0F3C19899292}")},
    {L"Eq15", ParseGuid("{CB1DB2F4-3364-48DF-ADB0-5375C1210C7A}"), ParseGuid("{7FDAC3E4-0EB3-4910-AFBE-52E42A95E5C7}")},
    {L"KeyShifting", ParseGuid("{4B8D75E2-712F-4263-9E68-5965313DDF09}"), ParseGuid("{874B6143-853B-47AB-8618-263A8F285F8C}")},
    {L"VocalFading", ParseGuid("{3E7B4824-FFB3-4A07-8AC3-A220CD8534C5}"), ParseGuid("{77EFACE7-E768-45F3-834D-2986EC878B95}")},
    {L"VocalRemover", ParseGuid("{62224D1A-ECC7-4752-AC8A-9A3B1A29894A}"), ParseGuid("{CA9B25CC-1567-4AD0-B5AD-829429E5DE25}")},
    {L"Environment", ParseGuid("{4D0A31C2-CFF9-4626-B8AE-E8BC98D66084}"), ParseGuid("{605EE47D-6327-41CF-9EBF-8094B0C1D1EF}")},
    {L"FlexBass", ParseGuid("{37A6AA01-A5D2-4955-A678-89D76B1B8697}"), ParseGuid("{4FAA831A-32B0-45BE-BC94-66FDA1BFF90D}")},
    {L"SmartVolume", ParseGuid("{F5311147-D9A9-4750-9F1C-B708BD0689B1}"), ParseGuid("{720E3044-EE69-46D1-A1D7-FF46C6AC9176}")},
    {L"AC3", ParseGuid("{1A074404-3D7B-49D6-B115-AC459BF033E7}"), ParseGuid("{6172F9FC-3AEA-4254-AC18-E770B041C9C7}")},
    {L"DTS", ParseGuid("{88A5ABC0-F5B3-492D-AD5F-230DDB7F7EDC}"), ParseGuid("{4F56074F-024D-4088-857E-E8D3C3D0C068}")},
    {L"Monitor", ParseGuid("{745979CD-0146-4FB5-8FD3-285B9B7B4905}"), ParseGuid("{241B8849-E376-4DBF-B133-A0199B4A4A7D}")},
};

// The enable key of each slot; the encoders and the monitor have none.
inline KeyId EnableKey(int slot) {
    constexpr char kEq[] = "{BD341FFB-9FD1-4ED4-8159-7999D546EA8A}", kVocal[] = "{64805010-C7E7-4408-9BE0-658ED5DD0ED2}";
    const KeyId keys[] = {Key(kEq, 0), Key(kEq, 11), Key(kVocal, 2), Key(kVocal, 0), Key(kVocal, 4),
                          Key("{686AD5B3-9A96-4723-87BC-EBCD95B407DE}", 0), Key("{5860EE50-9705-436A-96DB-BB18A130E08B}", 0),
                          Key("{E34C0B43-5F18-49B3-96ED-3F07E8028F69}", 0), {}, {}, {},
                          Key("{1D7D6D22-151D-49AC-A999-EFF4CAA5178D}", 0), Key("{3A053648-49C9-4FD5-8500-CF595DDB08E2}", 0)};
    return keys[slot];
}

inline constexpr char kGfxClsid[] = "{23334AEA-8A5F-4794-A092-CBC24957FF00}";

class GfxTest : public ProcessorTest {
protected:
    void SetUp() override {
        Start(kGfxClsid, kClasses);
        ASSERT_EQ(S_OK, Init(kSpeakers));
    }
    // The output monitor works on a stereo copy.
    int InputChannels(const std::wstring& name, const LockRow& row) const override {
        return name == L"Monitor" ? 2 : int(row.in);
    }
};

}  // namespace qx::test::gfx
