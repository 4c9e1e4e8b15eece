#pragma once
// The global-effects processor's component classes and enable keys as its contract names
// them, and a fixture with recording components registered under every class.
#include "tests/gfx/ProcessorHarness.h"

namespace qx::test::gfx {

enum Slot : int {
    Equalizer, Eq15, KeyShifting, VocalFading, VocalRemover, Environment, FlexBass, SmartVolume,
    Ac3, Dts, Monitor, SwapCenterSub, SwapSideRear,
};

inline const std::vector<ContractComponent> kClasses =
    ComponentClasses({L"Equalizer", L"Eq15", L"KeyShifting", L"VocalFading", L"VocalRemover", L"Environment",
                      L"FlexBass", L"SmartVolume", L"AC3", L"DTS", L"Monitor"});

// The enable key of each slot; the encoders and the monitor have none.
inline KeyId EnableKey(int slot) {
    constexpr char kEq[] = "{BD341FFB-9FD1-4ED4-8159-7999D546EA8A}", kVocal[] = "{64805010-C7E7-4408-9BE0-658ED5DD0ED2}";
    const KeyId keys[] = {Key(kEq, 0), Key(kEq, 11), Key(kVocal, 2), Key(kVocal, 0), Key(kVocal, 4),
                          Key("{686AD5B3-9A96-4723-87BC-EBCD95B407DE}", 0), Key("{5860EE50-9705-436A-96DB-BB18A130E08B}", 0),
                          Key("{E34C0B43-5F18-49B3-96ED-3F07E8028F69}", 0), {}, {}, {},
                          Key("{1D7D6D22-151D-49AC-A999-EFF4CAA5178D}", 0), Key("{3A053648-49C9-4FD5-8500-CF595DDB08E2}", 0)};
    return keys[slot];
}

inline const ContractClass& kGfx = kContractClasses[0];

class GfxTest : public ProcessorTest {
protected:
    void SetUp() override {
        Start(kGfx, kClasses);
        ASSERT_EQ(S_OK, Init(kSpeakers));
    }
    // The output monitor works on a stereo copy.
    int InputChannels(const std::wstring& name, const LockRow& row) const override {
        return name == L"Monitor" ? 2 : int(row.in);
    }
};

}  // namespace qx::test::gfx
