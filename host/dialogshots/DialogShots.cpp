// Opens each settings dialog in turn and saves a picture of its window.
//   qx_dialog_shots.exe <output folder> [template number...]
// Every effect with a dialog in the dialog table is shown (or only the listed templates),
// on an empty FX store and a 7.1 endpoint mask, in its start state. Each picture is a
// 24-bit bitmap named after the template and the dialog's title, "106-equalizer.bmp".
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <propsys.h>

#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/ComPtr.h"
#include "controlpanel/DialogTable.h"
#include "frame/Module.h"
#include "settings/EffectSchema.h"

namespace {

using qx::ComPtr;

constexpr uint32_t kSpeakerMask = 0x63F;  // every speaker box of the Flex Bass dialog enabled
constexpr UINT kTickMs = 100;
constexpr int kSettleTicks = 5;  // let the window be drawn on the display before the picture

// The screen pixels under a window, as rows of 24-bit BGR, bottom row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bits;
};

// Owns one GDI handle and gives it back with Free when it goes; a null handle is not freed.
template <class Handle, void (*Free)(Handle)>
class GdiHandle {
public:
    explicit GdiHandle(Handle h) : h_(h) {}
    ~GdiHandle() { if (h_) Free(h_); }
    GdiHandle(const GdiHandle&) = delete;
    GdiHandle& operator=(const GdiHandle&) = delete;
    Handle Get() const { return h_; }

private:
    Handle h_;
};

void ReleaseScreenDc(HDC dc) { ReleaseDC(nullptr, dc); }
void FreeMemoryDc(HDC dc) { DeleteDC(dc); }
void FreeBitmap(HBITMAP bitmap) { DeleteObject(bitmap); }

using ScreenDc = GdiHandle<HDC, ReleaseScreenDc>;
using MemoryDc = GdiHandle<HDC, FreeMemoryDc>;
using Bitmap = GdiHandle<HBITMAP, FreeBitmap>;

// The header of a picture's bits: 24-bit BGR rows, bottom row first.
BITMAPINFOHEADER PictureHeader(const Picture& picture) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = picture.width;
    header.biHeight = picture.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    return header;
}

bool Capture(HWND window, Picture& picture) {
    RECT r{};
    if (!GetWindowRect(window, &r)) return false;
    picture.width = r.right - r.left;
    picture.height = r.bottom - r.top;
    ScreenDc screen(GetDC(nullptr));
    MemoryDc memory(CreateCompatibleDC(screen.Get()));
    Bitmap bitmap(CreateCompatibleBitmap(screen.Get(), picture.width, picture.height));
    if (!screen.Get() || !memory.Get() || !bitmap.Get()) return false;
    const HGDIOBJ old = SelectObject(memory.Get(), bitmap.Get());
    const BOOL copied =
        BitBlt(memory.Get(), 0, 0, picture.width, picture.height, screen.Get(), r.left, r.top, SRCCOPY | CAPTUREBLT);
    SelectObject(memory.Get(), old);
    if (!copied) return false;

    BITMAPINFO info{};
    info.bmiHeader = PictureHeader(picture);
    const size_t stride = (size_t(picture.width) * 3 + 3) & ~size_t(3);
    picture.bits.assign(stride * size_t(picture.height), 0);
    return GetDIBits(memory.Get(), bitmap.Get(), 0, UINT(picture.height), picture.bits.data(), &info,
                     DIB_RGB_COLORS) == picture.height;
}

bool WriteBmp(const std::wstring& path, const Picture& picture) {
    BITMAPINFOHEADER header = PictureHeader(picture);
    header.biSizeImage = DWORD(picture.bits.size());
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = DWORD(file.bfOffBits + picture.bits.size());
    std::unique_ptr<FILE, int (*)(FILE*)> out(_wfopen(path.c_str(), L"wb"), &fclose);
    if (!out) return false;
    return fwrite(&file, sizeof(file), 1, out.get()) == 1 && fwrite(&header, sizeof(header), 1, out.get()) == 1 &&
           fwrite(picture.bits.data(), 1, picture.bits.size(), out.get()) == picture.bits.size();
}

// "Virtual Speaker Shifter" -> "virtual-speaker-shifter"; "DTS Neo:PC" -> "dts-neo-pc".
std::wstring Slug(const wchar_t* title) {
    std::wstring slug;
    for (const wchar_t* c = title; *c; ++c) {
        if (std::iswalnum(*c)) slug += wchar_t(std::towlower(*c));
        else if (!slug.empty() && slug.back() != L'-') slug += L'-';
    }
    while (!slug.empty() && slug.back() == L'-') slug.pop_back();
    return slug;
}

// The dialog on screen, found through the handle it records when it opens.
struct Shot {
    HWND open = nullptr;
    int ticks = 0;
    std::wstring folder;
    uint16_t templateId = 0;
    bool saved = false;
};
Shot* g_shot = nullptr;

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    Shot& shot = *g_shot;
    if (!shot.open) return;
    if (shot.ticks++ == 0) {
        SetForegroundWindow(shot.open);
        RedrawWindow(shot.open, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    if (shot.ticks < kSettleTicks) return;
    wchar_t title[128] = {};
    GetWindowTextW(shot.open, title, 128);
    const std::wstring path = shot.folder + L"\\" + std::to_wstring(shot.templateId) + L"-" + Slug(title) + L".bmp";
    Picture picture;
    shot.saved = Capture(shot.open, picture) && WriteBmp(path, picture);
    std::wprintf(L"%ls %ls\n", shot.saved ? L"saved" : L"FAILED", path.c_str());
    PostMessageW(shot.open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

bool ShowAndSave(const qx::settings::EffectInfo& effect, qx::controlpanel::DialogFactory create,
                 const std::wstring& folder) {
    ComPtr<IPropertyStore> store;
    PSCreateMemoryPropertyStore(IID_IPropertyStore, store.PutVoid());
    Shot shot;
    shot.folder = folder;
    shot.templateId = effect.dialogTemplate;
    qx::controlpanel::DialogContext context;
    context.templateId = effect.dialogTemplate;
    context.store = store;
    context.openDialog = &shot.open;
    context.speakerMask = kSpeakerMask;
    std::unique_ptr<qx::controlpanel::EffectDialog> dialog = create(context);
    if (!dialog) return false;
    g_shot = &shot;
    const UINT_PTR timer = SetTimer(nullptr, 0, kTickMs, &OnTick);
    dialog->RunModal(nullptr);
    KillTimer(nullptr, timer);
    g_shot = nullptr;
    return shot.saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: qx_dialog_shots <output folder> [template number...]\n");
        return 2;
    }
    const int wideSize = MultiByteToWideChar(CP_ACP, 0, argv[1], -1, nullptr, 0);
    std::wstring folder(size_t(wideSize > 0 ? wideSize : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, folder.data(), wideSize);
    folder.resize(folder.size() - 1);
    std::set<unsigned long> wanted;
    for (int i = 2; i < argc; ++i) wanted.insert(std::strtoul(argv[i], nullptr, 10));

    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
    if (!qx::Module::Startup(GetModuleHandleW(nullptr))) return 3;
    int failures = 0;
    for (const qx::settings::EffectInfo& effect : qx::settings::kEffectTable) {
        const qx::controlpanel::DialogFactory create = qx::controlpanel::FindDialogFactory(effect.id);
        if (!create || (!wanted.empty() && !wanted.count(effect.dialogTemplate))) continue;
        if (!ShowAndSave(effect, create, folder)) ++failures;
    }
    qx::Module::Shutdown();
    CoUninitialize();
    return failures == 0 ? 0 : 1;
}
