#pragma once
// The render local-effects processor's component classes, enable keys and setting keys
// as its contract names them, and a fixture with every component class registered.
#include "tests/gfx/ProcessorHarness.h"

namespace qx::test::lfx {

// Enable flags; flags 0 to 6 are also the component slots.
enum Flag : int { Nuvex, Shifter, Dolby, ProLogic, Sensation, Neo, Clarity, NuvexMax, Pcee };

inline const std::vector<ContractComponent> kClasses =
    ComponentClasses({L"Nuvex", L"Shifter", L"Dolby", L"ProLogic", L"Sensation", L"Neo", L"Clarity"});

inline KeyId NuvexKey(uint32_t pid) { return Key("{C020CDBF-756F-4B6D-9031-BE6E20CF1C9F}", pid); }
inline KeyId ShifterKey(uint32_t pid) { return Key("{F9736E6B-5342-4690-82B7-95E78DF992A0}", pid); }
inline KeyId DolbyKey(uint32_t pid) { return Key("{D65010BE-653B-4606-B910-CDD7846478D1}", pid); }
inline KeyId ProLogicKey(uint32_t pid) { return Key("{9894DBA1-62C6-436B-B1CE-6EDBAFA69BBF}", pid); }
inline KeyId SensationKey(uint32_t pid) { return Key("{3BDB362E-2722-4CF3-BF07-5F44BF350FC9}", pid); }
inline KeyId NeoKey(uint32_t pid) { return Key("{D77F6FDC-386F-44B5-9278-70B636002B3D}", pid); }

inline KeyId EnableKey(int flag) {
    const KeyId keys[] = {NuvexKey(0), ShifterKey(0), DolbyKey(0), ProLogicKey(0), SensationKey(0), NeoKey(0),
                          SensationKey(6), Key("{31AF2432-4E37-47C5-9785-9D9529E07129}", 0),
                          Key("{F7A79467-4169-406A-9244-46ED00E3F2F6}", 0)};
    return keys[flag];
}

inline const ContractClass& kLfx = kContractClasses[1];

class LfxTest : public ProcessorTest {
protected:
    void SetUp() override {
        Start(kLfx, kClasses);
        ASSERT_EQ(S_OK, Init(kSpeakers));
    }
    // Voice Clarity works on 5.1 and the Speaker Shifter on 7.1, whatever the stream.
    int InputChannels(const std::wstring& name, const LockRow& row) const override {
        return name == L"Clarity" ? 6 : name == L"Shifter" ? 8 : int(row.in);
    }
    // Writes every enable key: on for the listed flags, off for the others.
    void Enable(std::initializer_list<int> flags) {
        for (int flag = Nuvex; flag <= Pcee; ++flag)
            Put(U(EnableKey(flag), std::count(flags.begin(), flags.end(), flag) ? 1 : 0));
    }
};

}  // namespace qx::test::lfx
