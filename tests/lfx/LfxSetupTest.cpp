// Creation of the components and what each receives when the stream format is locked.
#include <memory>

#include "common/ClassRegistration.h"
#include "processors/QXLFXLib.h"
#include "resample/SRCInternal.h"
#include "settings/PropertyStoreAccess.h"
#include "tests/lfx/LfxFixture.h"
#include "tests/support/WaveFormats.h"

using namespace qx;
using namespace qx::test;
using namespace qx::lfx;

namespace {

void ExpectInit(const ComponentCall& c, uint32_t in, uint32_t out, uint32_t flag, uint32_t rate = 48000,
                uint32_t frames = kFrames) {
    ASSERT_TRUE(c.hasIn && c.hasOut);
    ExpectFloatFormat(c.in, rate, uint16_t(in));
    ExpectFloatFormat(c.out, rate, uint16_t(out));
    EXPECT_EQ(frames, c.maxFrames);
    EXPECT_EQ(flag, c.flag);
}

class LfxSetup : public LfxTest {};

}  // namespace

TEST_F(LfxSetup, CreatesComponentsInOrderWithTheirOwnIidsAndSkipsDolbyOnSpdif) {
    for (uint32_t formFactor : {settings::FormFactorSpeakers, settings::FormFactorSpdif}) {
        // Each class notes which slot's class was created and whether it was asked for the
        // component's own IID.
        std::vector<int> order;
        ComponentBehaviour behaviour;
        std::vector<std::unique_ptr<ClassRegistration>> registrations;
        for (uint8_t slot = 0; slot < kComponentClassCount; ++slot) {
            registrations.push_back(std::make_unique<ClassRegistration>(
                ToGuid(kComponentClasses[slot].clsid), [&, slot](REFIID riid, void** ppv) {
                    const GUID own = ToGuid(kComponentClasses[slot].creationIid);
                    order.push_back(IsEqualIID(riid, own) ? slot : -1);
                    return QueryNewObject(new RecordingComponent(log, kLfxNames[slot], own, behaviour), riid, ppv);
                }));
            ASSERT_TRUE(registrations.back()->Registered());
        }
        Create(formFactor);
        lfx.Reset();
        registrations.clear();
        if (formFactor == settings::FormFactorSpdif)
            EXPECT_EQ((std::vector<int>{1, 0, 3, 5, 4, 6}), order);
        else
            EXPECT_EQ((std::vector<int>{1, 0, 2, 3, 5, 4, 6}), order);
    }
}

TEST_F(LfxSetup, FormFactorCountsWhateverItsVariantType) {
    Register({SlotDolbySurround, SlotNuvex});
    ASSERT_EQ(S_OK, ComObjectRoot::Create<qx::QXLFXLib>(nullptr, __uuidof(IQXEffectProcessor), lfx.PutVoid()));
    ComPtr<IPropertyStore> endpoint = NewEndpointStore(0);
    PROPVARIANT v;
    PropVariantInit(&v);
    v.vt = VT_I4;
    v.lVal = LONG(settings::FormFactorSpdif);
    ASSERT_EQ(S_OK, endpoint->SetValue(settings::ToPropertyKey(key::EndpointFormFactor), v));
    EXPECT_EQ(S_OK, lfx->Initialize(endpoint.Get()));
    EXPECT_EQ(0u, regs[SlotDolbySurround]->InstanceCount());  // S/PDIF: no Dolby Surround
    EXPECT_EQ(1u, regs[SlotNuvex]->InstanceCount());
}

TEST_F(LfxSetup, InitializeReportsOnlyTheEndpointStatusAndAlwaysCreates) {
    Create();  // no component registered at all: still S_OK
    EXPECT_EQ(E_POINTER, lfx->Initialize(nullptr));

    Register({SlotNuvex});
    // An endpoint store whose GUID read fails: the status is returned, creation happens.
    ComPtr<IPropertyStore> endpoint = NewEndpointStore(settings::FormFactorSpeakers);
    auto* failing = new FailingPropertyStore(E_ACCESSDENIED, endpoint.Get());
    failing->FailKey(key::EndpointGuid);
    EXPECT_EQ(E_ACCESSDENIED, lfx->Initialize(failing));
    failing->Release();
    EXPECT_EQ(1u, regs[SlotNuvex]->InstanceCount());

    // Not a property store at all.
    ComPtr<IUnknown> notAStore;
    ASSERT_EQ(S_OK, regs[SlotNuvex]->Instance(0)->QueryInterface(IID_IUnknown, notAStore.PutVoid()));
    EXPECT_EQ(E_NOINTERFACE, lfx->Initialize(notAStore.Get()));
    notAStore.Reset();
    EXPECT_EQ(2u, regs[SlotNuvex]->InstanceCount());

    // Each Initialize released the components of the previous one; Release frees the last.
    lfx.Reset();
    EXPECT_TRUE(regs[SlotNuvex]->AllReleasedByOthers());
}

TEST_F(LfxSetup, ReadsEnableKeysInItsOrderBeforeTheSetUp) {
    Register({SlotProLogic});
    Create();
    auto* store = new KeyLogStore(fx.Get());
    EXPECT_EQ(S_OK, lfx->LockForProcess(48000, 2, 6, kFrames, store, 1));
    std::vector<KeyId> expected;
    for (uint32_t flag : {8, 0, 7, 1, 2, 3, 5, 4, 6}) expected.push_back(kEnableKeys[flag]);
    // Then the Pro Logic IIx settings: dimension, width, decode mode, panorama.
    for (uint32_t pid : {1, 2, 3, 4}) expected.push_back({settings::fmtid::ProLogic, pid});
    EXPECT_EQ(expected, store->Reads());
    store->Release();
    // Defaults reach the component when nothing is stored.
    EXPECT_EQ((std::vector<Param>{{18, {7, 3}}}), Params(SlotProLogic));
}

TEST_F(LfxSetup, UpMixersOnMultichannelOutputs) {
    Register();
    Create();
    ASSERT_EQ(S_OK, Lock(2, 6));
    ASSERT_EQ(1u, Inits(SlotProLogic).size());
    ExpectInit(Inits(SlotProLogic)[0], 2, 6, 0);
    ExpectInit(Inits(SlotNeoPc)[0], 2, 6, 0);
    EXPECT_EQ((std::vector<Param>{{18, {7, 3}}}), Params(SlotProLogic));
    EXPECT_EQ((std::vector<Param>{{24, NeoBytes(7, 5.0f)}, {23, {1}}}), Params(SlotNeoPc));
    EXPECT_TRUE(Inits(SlotDolbySurround).empty() && Inits(SlotNuvex).empty() && Inits(SlotSurroundSensation).empty());

    Put(key::ProLogicDimension, 12), Put(key::ProLogicCenterWidth, 0x105), Put(key::ProLogicDecodeMode, 1);
    Put(key::ProLogicPanorama, 9);
    Put(key::NeoPcDimension, 2), Put(key::NeoPcCenterGain, 3), Put(key::NeoPcDecodeMode, 1);
    ASSERT_EQ(S_OK, Lock(4, 8));
    ExpectInit(Inits(SlotProLogic)[0], 6, 8, 0);  // 4 channels are described as 6
    EXPECT_EQ((std::vector<Param>{{18, {12, 5}}, {19, {2}}, {20, {1}}}), Params(SlotProLogic));
    EXPECT_EQ((std::vector<Param>{{24, NeoBytes(2, 0.3f)}, {23, {2}}}), Params(SlotNeoPc));

    Put(key::ProLogicDecodeMode, 0), Put(key::ProLogicPanorama, 0);
    ASSERT_EQ(S_OK, Lock(6, 4));
    ExpectInit(Inits(SlotProLogic)[0], 6, 6, 0);
    EXPECT_EQ((Param{19, {3}}), Params(SlotProLogic)[1]);
    EXPECT_EQ((Param{20, {0}}), Params(SlotProLogic)[2]);

    // Nothing to up-mix in an 8-channel stream.
    ASSERT_EQ(S_OK, Lock(8, 8));
    EXPECT_TRUE(Inits(SlotProLogic).empty() && Inits(SlotNeoPc).empty());
}

TEST_F(LfxSetup, DolbySurroundAndItsProLogicUpMixerOnStereoOutputs) {
    Register();
    Create();
    Put(key::DolbyHeadphoneRoom, 2);
    Put(key::DolbyVirtualSpeakerMode, 1);
    ASSERT_EQ(S_OK, Lock(2, 2));  // mode unread: headphone (1)
    ExpectInit(Inits(SlotProLogic)[0], 2, 6, 1);
    EXPECT_EQ((std::vector<Param>{{18, {3, 0}}, {19, {7}}, {20, {0}}, {21, {1}}, {22, {1}}}), Params(SlotProLogic));
    ExpectInit(Inits(SlotDolbySurround)[0], 6, 2, 1);
    EXPECT_EQ((std::vector<Param>{{17, {3}}}), Params(SlotDolbySurround));

    Put(key::DolbySurroundMode, 0);
    ASSERT_EQ(S_OK, Lock(2, 2));
    ExpectInit(Inits(SlotProLogic)[0], 2, 6, 0);
    EXPECT_EQ((Param{22, {0}}), Params(SlotProLogic).back());
    EXPECT_EQ((std::vector<Param>{{17, {6}}}), Params(SlotDolbySurround));

    // A multichannel input needs no up-mixer.
    ASSERT_EQ(S_OK, Lock(6, 2));
    EXPECT_TRUE(Inits(SlotProLogic).empty());
    ExpectInit(Inits(SlotDolbySurround)[0], 6, 2, 0);
}

TEST_F(LfxSetup, SurroundSensationAndNeoPcUpMixer) {
    Register({SlotSurroundSensation, SlotNeoPc});
    Create();
    Put(key::SurroundSensationMode, 0);
    Put(key::SurroundSensationContent, 0x101);
    Put(key::SurroundSensationMixLfe, 5);
    Put(key::SurroundSensationSpeakerAngle, 2);
    Put(key::SurroundSensationExpansion, 7);
    ASSERT_EQ(S_OK, Lock(2, 2));
    ExpectInit(Inits(SlotNeoPc)[0], 2, 6, 0);
    ExpectInit(Inits(SlotSurroundSensation)[0], 6, 2, 1);
    EXPECT_EQ((std::vector<Param>{{25, {0}}, {26, {1}}, {27, {1}}, {28, {15}}, {29, FloatBytes(0.7f)}}),
              Params(SlotSurroundSensation));
    EXPECT_TRUE(Params(SlotNeoPc).empty());

    ASSERT_EQ(S_OK, Lock(6, 2));
    EXPECT_TRUE(Inits(SlotNeoPc).empty());
    ExpectInit(Inits(SlotSurroundSensation)[0], 6, 2, 0);
}

TEST_F(LfxSetup, NuvexSetUpFollowsModeAndLimits) {
    Register({SlotNuvex});
    Create();
    ASSERT_EQ(S_OK, Lock(2, 2));  // mode unread: initialised, nothing pushed
    ExpectInit(Inits(SlotNuvex)[0], 2, 2, 0);
    EXPECT_TRUE(Params(SlotNuvex).empty());

    Put(key::NuvexMode, 1), Put(key::NuvexRoomSize, 2), Put(key::NuvexExpansion, 1);
    ASSERT_EQ(S_OK, Lock(2, 2));
    EXPECT_EQ((std::vector<Param>{{1, {1, 0, 0, 0}}, {2, {2, 0, 0, 0}}}), Params(SlotNuvex));

    Put(key::NuvexMode, 0), Put(key::NuvexExpansion, 4), Put(key::NuvexSpeakerAngle, 4);
    ASSERT_EQ(S_OK, Lock(2, 2));
    EXPECT_EQ((std::vector<Param>{{1, {0, 0, 0, 0}}, {4, {4, 0, 0, 0}}}), Params(SlotNuvex));
    Put(key::NuvexExpansion, 3), Put(key::NuvexSpeakerAngle, 5);
    ASSERT_EQ(S_OK, Lock(2, 2));
    EXPECT_EQ((std::vector<Param>{{1, {0, 0, 0, 0}}, {3, {3, 0, 0, 0}}}), Params(SlotNuvex));

    // Anything that widens the stereo stream first makes Nuvex take 6 channels.
    Put(key::NuvexMaxEnable, 1);
    ASSERT_EQ(S_OK, Lock(2, 2));
    ExpectInit(Inits(SlotNuvex)[0], 6, 2, 0);
    Put(key::NuvexMaxEnable, 0);
    ASSERT_EQ(S_OK, Lock(4, 2));
    ExpectInit(Inits(SlotNuvex)[0], 6, 2, 0);

    // A failing Initialize ends the set-up with its status.
    Behaviour(SlotNuvex).initializeResult = E_ABORT;
    EXPECT_EQ(E_ABORT, Lock(2, 2));
    EXPECT_TRUE(Params(SlotNuvex).empty());
}

TEST_F(LfxSetup, VoiceClarityAndSpeakerRecords) {
    Register({SlotVoiceClarity, SlotSpeakerShifter});
    Create();
    Put(key::VoiceClarityLevel, 7);
    ASSERT_EQ(S_OK, Lock(2, 2));
    ExpectInit(Inits(SlotVoiceClarity)[0], 6, 6, 0);
    EXPECT_EQ((std::vector<Param>{{30, FloatBytes(7.0f)}}), Params(SlotVoiceClarity));
    ExpectInit(Inits(SlotSpeakerShifter)[0], 8, 8, 0);
    // Defaults, in the component's speaker order 0, 1, 4, 5, 6, 2, 3, 7.
    EXPECT_EQ((std::vector<Param>{{16, SpeakerBytes(0, -45, 1)},
                                  {16, SpeakerBytes(1, 45, 1)},
                                  {16, SpeakerBytes(4, 0, 1)},
                                  {16, SpeakerBytes(5, -90, 1)},
                                  {16, SpeakerBytes(6, 90, 1)},
                                  {16, SpeakerBytes(2, -135, 1)},
                                  {16, SpeakerBytes(3, 135, 1)},
                                  {16, SpeakerBytes(7, 0, 1)}}),
              Params(SlotSpeakerShifter));

    // Angles are signed; the level is (30 / d)^2; a zero distance counts as 30.
    Put(key::SpeakerShifterAngle(0), settings::EncodeSigned(-30));  // LF
    Put(key::SpeakerShifterDistance(0), 60);
    Put(key::SpeakerShifterAngle(1), 0x0000FFFFu);  // C: low 16 bits, -1
    Put(key::SpeakerShifterDistance(1), 15);
    Put(key::SpeakerShifterDistance(7), 0);  // LFE
    Behaviour(SlotSpeakerShifter).setParameterResult = S_FALSE;
    EXPECT_EQ(S_FALSE, Lock(2, 6));  // the last record's status
    const std::vector<Param> p = Params(SlotSpeakerShifter);
    ASSERT_EQ(8u, p.size());
    EXPECT_EQ(SpeakerBytes(0, -30, 0.25f), p[0].data);
    EXPECT_EQ(SpeakerBytes(4, -1, 4.0f), p[2].data);
    EXPECT_EQ(SpeakerBytes(7, 0, 1.0f), p[7].data);
}

TEST_F(LfxSetup, WithoutAStoreDefaultsAreSentAndRecordsFail) {
    Register({SlotProLogic, SlotNeoPc, SlotSpeakerShifter, SlotNuvex});
    Create();
    EXPECT_EQ(E_FAIL, lfx->LockForProcess(48000, 2, 6, kFrames, nullptr, 1));
    EXPECT_EQ((std::vector<Param>{{18, {7, 3}}}), Params(SlotProLogic));
    EXPECT_EQ((std::vector<Param>{{24, NeoBytes(7, 5.0f)}, {23, {1}}}), Params(SlotNeoPc));
    EXPECT_TRUE(Params(SlotSpeakerShifter).empty());
    log.Clear();
    EXPECT_EQ(E_FAIL, lfx->LockForProcess(48000, 2, 2, kFrames, nullptr, 1));  // the Nuvex set-up needs a store
    EXPECT_TRUE(Inits(SlotNuvex).empty());
}

TEST_F(LfxSetup, ConvertedRatesReachTheComponents) {
    Register({SlotProLogic});
    Create();
    struct Case {
        uint32_t rate, internal;
    } cases[] = {{22050, 44100}, {44000, 48000}, {11025, 44100}, {96000, 48000}, {44100, 44100}};
    for (const Case& c : cases) {
        SRCInternal reference;
        uint32_t frames = kFrames * 4;
        if (c.rate != c.internal) reference.Init(c.rate, c.internal, kFrames * 4, &frames, 6);
        ASSERT_EQ(S_OK, Lock(2, 6, c.rate, kFrames * 4));
        ExpectInit(Inits(SlotProLogic)[0], 2, 6, 0, c.internal, frames);
    }
}

TEST_F(LfxSetup, BadFormatsAreRefused) {
    Register({SlotProLogic});
    Create();
    const uint32_t bad[][4] = {{0, 2, 2, 64}, {48000, 0, 2, 64}, {48000, 2, 0, 64},
                               {48000, 9, 2, 64}, {48000, 2, 9, 64}, {48000, 2, 2, 0}, {48000, 2, 2, 0x80000000u}};
    for (const auto& b : bad) EXPECT_EQ(E_INVALIDARG, lfx->LockForProcess(b[0], b[1], b[2], b[3], fx.Get(), 1));
    EXPECT_TRUE(log.Calls().empty());
    float sample[2] = {};
    EXPECT_EQ(E_UNEXPECTED, lfx->Process(sample, sample, 1));  // never locked

    ASSERT_EQ(S_OK, Lock(2, 2));
    EXPECT_EQ(E_INVALIDARG, lfx->Process(sample, sample, kFrames + 1));
    EXPECT_EQ(E_POINTER, lfx->Process(nullptr, sample, 1));
    EXPECT_EQ(E_POINTER, lfx->Process(sample, nullptr, 1));
    EXPECT_EQ(E_NOTIMPL, lfx->IsEncodedFormatSupported(146));
    EXPECT_EQ(E_NOTIMPL, lfx->ProcessMonitor(sample, 1));
}
