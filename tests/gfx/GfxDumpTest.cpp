// The PCM dump of the processor's output, switched by the current user's registry value.
#include <cstdio>

#include "tests/gfx/GfxHarness.h"

namespace qx::test::gfx {
namespace {

constexpr wchar_t kKey[] = L"Software\\Quellix\\APOLog";
constexpr wchar_t kFolder[] = L"C:\\Temp";
constexpr wchar_t kFile[] = L"C:\\Temp\\GFXDump.pcm";
constexpr wchar_t kFolderAside[] = L"C:\\Temp.moved-aside-by-test";

void SetSwitch(DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"OutputDump_GFX", REG_DWORD, &value, sizeof value);
}

std::vector<int16_t> ReadDump() {
    std::vector<int16_t> samples;
    if (std::FILE* f = _wfopen(kFile, L"rb")) {
        for (unsigned char b[2]; std::fread(b, 1, 2, f) == 2;) samples.push_back(int16_t(b[0] | (b[1] << 8)));
        std::fclose(f);
    }
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
        RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Quellix");  // only when nothing else is in it
        DeleteFileW(kFile);
        MoveFileW(kFolderAside, kFolder);
    }
    // Locks for `channels` channels with the equalizer on and runs one period of `in`.
    HRESULT Period(uint32_t channels, std::vector<float> in) {
        Lock(48000, channels, channels, uint32_t(in.size() / channels));
        Set(EnableKey(Equalizer), 1);
        std::vector<float> out(in.size());
        return p_->Process(in.data(), out.data(), uint32_t(in.size() / channels));
    }
};

// The first two channels of a written period become 16-bit PCM, full scale 32767, values
// beyond it keeping their low 16 bits.
TEST_F(GfxDumpTest, APeriodAppendsItsFirstTwoChannelsAsSixteenBitPcm) {
    ASSERT_EQ(S_OK, Init(kSpeakers));
    EXPECT_EQ(S_OK, Period(3, {1.0f, 0.0f, 9, -1.0f, 1.5f, 9, 0.25f, -2.0f, 9}));
    p_ = NewProcessor(kGfx);  // the old processor closed the file
    EXPECT_EQ(ReadDump(), (std::vector<int16_t>{32767, 0, -32767, -16385, 8192, 2}));
}

TEST_F(GfxDumpTest, TheSwitchIsReadAtInitializeAndNeedsTheFolder) {
    ASSERT_EQ(S_OK, Init(kSpeakers));
    SetSwitch(0);
    Period(2, {0.25f, 0.25f});
    ASSERT_EQ(S_OK, Init(kSpeakers));  // switched off: closes the file, stops dumping
    Period(2, {0.5f, 0.5f});
    EXPECT_EQ(ReadDump(), (std::vector<int16_t>{8192, 8192}));

    ASSERT_TRUE(MoveFileW(kFolder, kFolderAside)) << "cannot move the folder aside: " << GetLastError();
    ASSERT_EQ(S_OK, Init(kSpeakers));
    EXPECT_EQ(S_OK, Period(2, {0.5f, 0.5f}));  // the audio path does not notice
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(kFolder));  // nor is the folder made
}

}  // namespace
}  // namespace qx::test::gfx
