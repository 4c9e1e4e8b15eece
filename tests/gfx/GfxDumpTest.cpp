// The PCM dump of the processor's output, switched by the current user's registry value.
#include <cstdio>
#include <cstring>

#include "tests/gfx/GfxHarness.h"

namespace qx::test::gfx {
namespace {

constexpr wchar_t kKey[] = L"Software\\Quellix\\APOLog";
constexpr wchar_t kValue[] = L"OutputDump_GFX";
constexpr wchar_t kFolder[] = L"C:\\Temp";
constexpr wchar_t kFile[] = L"C:\\Temp\\GFXDump.pcm";
constexpr wchar_t kFolderAside[] = L"C:\\Temp.moved-aside-by-test";

void SetSwitch(DWORD value) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    RegSetValueExW(key, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

void RemoveSwitch() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
    RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Quellix");  // only when nothing else is in it
}

bool DumpExists() { return GetFileAttributesW(kFile) != INVALID_FILE_ATTRIBUTES; }

std::vector<int16_t> ReadDump() {
    std::vector<int16_t> samples;
    std::FILE* f = _wfopen(kFile, L"rb");
    if (!f) return samples;
    unsigned char bytes[2];
    while (std::fread(bytes, 1, 2, f) == 2) samples.push_back(int16_t(bytes[0] | (bytes[1] << 8)));
    std::fclose(f);
    return samples;
}

class GfxDumpTest : public GfxTest {
protected:
    void SetUp() override {
        GfxTest::SetUp();
        MoveFileW(kFolderAside, kFolder);  // left aside by an interrupted run
        CreateDirectoryW(kFolder, nullptr);
        DeleteFileW(kFile);
        SetSwitch(1);
    }
    void TearDown() override {
        GfxTest::TearDown();  // releases the processor, which closes the file
        RemoveSwitch();
        DeleteFileW(kFile);
        MoveFileW(kFolderAside, kFolder);  // back, when a test moved the folder aside
    }
    HRESULT Period(const std::vector<float>& in, std::vector<float>& out, uint32_t frames) {
        return p_->Process(in.data(), out.data(), frames);
    }
};

TEST_F(GfxDumpTest, AWorkingPeriodAppendsItsFirstTwoChannelsAsSixteenBitPcm) {
    ASSERT_EQ(S_OK, Init(kSpeakers));
    Lock(48000, 6, 6, 4);
    std::vector<float> in(24, 0.5f), out(24);
    const float left[4] = {1.0f, -1.0f, 0.25f, -0.25f};
    const float right[4] = {0.0f, 1.5f, -2.0f, 0.5f};  // beyond full scale: wraps, no clamping
    for (int i = 0; i < 4; ++i) in[6 * i] = left[i], in[6 * i + 1] = right[i];

    EXPECT_EQ(1, Period(in, out, 4));  // nothing enabled: nothing dumped
    Set(EnableKey(11), 1);       // a swap of channels 2 and 3 leaves 0 and 1 alone
    EXPECT_EQ(S_OK, Period(in, out, 4));
    EXPECT_EQ(S_OK, Period(in, out, 2));
    p_.Reset();

    // 1.5 -> 49151 and -2.0 -> -65534 keep only their low 16 bits.
    const std::vector<int16_t> expected = {32767, 0, -32767, -16385, 8192, 2, -8192, 16384, 32767, 0, -32767, -16385};
    EXPECT_EQ(ReadDump(), expected);
}

TEST_F(GfxDumpTest, TheSwitchIsReadOnlyAtInitialize) {
    ASSERT_EQ(S_OK, Init(kSpeakers));
    Lock(48000, 2, 2, 4);
    Set(EnableKey(Equalizer), 1);
    std::vector<float> in(8, 0.25f), out(8);
    RemoveSwitch();
    Period(in, out, 4);
    EXPECT_TRUE(DumpExists());

    // Switched off: the next Initialize closes the file and stops dumping.
    ASSERT_EQ(S_OK, Init(kSpeakers));
    Period(in, out, 4);
    EXPECT_EQ(ReadDump().size(), 8u);

    // Switched on again: a new, empty file.
    SetSwitch(1);
    ASSERT_EQ(S_OK, Init(kSpeakers));
    EXPECT_TRUE(ReadDump().empty());
    Period(in, out, 1);
    p_.Reset();
    EXPECT_EQ(ReadDump(), (std::vector<int16_t>{8192, 8192}));
}

TEST_F(GfxDumpTest, AZeroSwitchOrAMissingFolderMeansNoDump) {
    SetSwitch(0);
    ASSERT_EQ(S_OK, Init(kSpeakers));
    EXPECT_FALSE(DumpExists());

    SetSwitch(1);
    ASSERT_TRUE(MoveFileW(kFolder, kFolderAside)) << "cannot move the folder aside: error " << GetLastError();
    ASSERT_EQ(S_OK, Init(kSpeakers));
    Lock(48000, 2, 2, 4);
    Set(EnableKey(Equalizer), 1);
    std::vector<float> in(8, 0.25f), out(8);
    EXPECT_EQ(S_OK, Period(in, out, 4));  // the audio path does not notice
    EXPECT_FALSE(DumpExists());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(kFolder));  // nor is the folder made
}

TEST_F(GfxDumpTest, OnlyOneProcessorHoldsTheFile) {
    ASSERT_EQ(S_OK, Init(kSpeakers));
    ComPtr<IQXEffectProcessor> second = NewGfx();
    ASSERT_EQ(S_OK, second->Initialize(NewEndpointStore(kSpeakers).Get()));  // its open fails silently
    ASSERT_EQ(S_OK, second->LockForProcess(48000, 2, 2, 1, fx_.Get(), 1));
    Lock(48000, 2, 2, 1);
    Set(EnableKey(Equalizer), 1);
    const PROPERTYKEY enable{ToGuid(EnableKey(Equalizer).fmtid), 0};
    second->OnPropertyChanged(&enable, fx_.Get());
    std::vector<float> a(2, 0.5f), b(2, -0.5f), out(2);
    EXPECT_EQ(S_OK, second->Process(b.data(), out.data(), 1));
    EXPECT_EQ(S_OK, Period(a, out, 1));
    second.Reset();
    p_.Reset();
    EXPECT_EQ(ReadDump(), (std::vector<int16_t>{16384, 16384}));
}

// A mono output has a single channel to dump: it fills both dump channels.
TEST_F(GfxDumpTest, AMonoOutputIsDumpedToBothChannels) {
    ASSERT_EQ(S_OK, Init(kSpeakers));
    Lock(48000, 1, 1, 3);
    Set(EnableKey(Equalizer), 1);
    std::vector<float> in = {0.25f, -0.25f, 1.0f}, out(3);
    EXPECT_EQ(S_OK, Period(in, out, 3));
    p_.Reset();
    EXPECT_EQ(ReadDump(), (std::vector<int16_t>{8192, 8192, -8192, -8192, 32767, 32767}));
}

// An encoder writes a bitstream, not floats: the dump records the PCM it was given.
TEST_F(GfxDumpTest, AnEncodedPeriodIsDumpedAsThePcmTheEncoderReceived) {
    ASSERT_EQ(S_OK, Init(kSpdif));
    ASSERT_EQ(S_FALSE, Lock(48000, 2, 2, 2, 146));
    Behaviour(L"AC3").onProcess = [](float* const*, void* const* out, UINT32 frames) {
        std::memset(out[0], 0x7F, frames * 4);
    };
    std::vector<float> in = {0.25f, -0.25f, 0.5f, 1.0f}, out(4);
    EXPECT_EQ(S_OK, Period(in, out, 2));
    p_.Reset();
    EXPECT_EQ(ReadDump(), (std::vector<int16_t>{8192, -8192, 16384, 32767}));
}

}  // namespace
}  // namespace qx::test::gfx
