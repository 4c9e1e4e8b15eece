#pragma once
// The capture processor's component classes and setting keys as its contract names them,
// and a fixture with the four component classes registered on a microphone endpoint.
#include <algorithm>

#include "tests/gfx/ProcessorHarness.h"

namespace qx::test::mic {

inline const std::vector<ContractComponent> kClasses = ComponentClasses({L"enc", L"voice", L"noise", L"mix"});

inline KeyId NoiseKey(uint32_t pid) { return Key("{A9334B7E-12FD-4918-B565-461073332B91}", pid); }
inline KeyId VoiceKey(uint32_t pid) { return Key("{3BC6329A-2397-4FF3-92F5-2CD9894BB889}", pid); }
inline const KeyId kEnc = NoiseKey(1), kNoiseReduction = NoiseKey(0), kBeamForming = NoiseKey(3), kAec = NoiseKey(5),
                   kZurAec = NoiseKey(6), kMagicVoice = VoiceKey(2), kEcho = VoiceKey(0),
                   kMixOutput = Key("{4EC67050-5A79-483D-91B8-7E1680BFBF5C}", 0), kVoiceType = VoiceKey(3),
                   kEchoAmount = VoiceKey(1), kPathA = NoiseKey(2), kPathB = NoiseKey(4);
inline const std::vector<KeyId> kEnableKeys = {kEnc, kMagicVoice, kEcho, kNoiseReduction, kBeamForming, kAec,
                                               kMixOutput, kZurAec};

inline const ContractClass& kMic = kContractClasses[2];

class MicTest : public ProcessorTest {
protected:
    void SetUp() override {
        Start(kMic, kClasses);
        ASSERT_EQ(S_OK, Init(kMicrophone));
    }
    // Writes every enable key: on for the listed keys, off for the others.
    void Enable(const std::vector<KeyId>& on) {
        for (const KeyId& key : kEnableKeys) Put(U(key, std::count(on.begin(), on.end(), key) ? 1 : 0));
    }
};

}  // namespace qx::test::mic
