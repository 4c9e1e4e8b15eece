#include "tests/controlpanel/DialogTemplate.h"

#include <cstring>

namespace qx::test {

namespace {
class Cursor {
public:
    Cursor(const BYTE* data, size_t size) : p_(data), begin_(data), end_(data + size) {}
    bool ok() const { return ok_; }
    template <class T>
    T Get() {
        T value{};
        if (p_ + sizeof(T) > end_) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, p_, sizeof(T));
        p_ += sizeof(T);
        return value;
    }
    std::wstring String() {
        std::wstring s;
        for (WCHAR c = Get<WCHAR>(); ok_ && c != 0; c = Get<WCHAR>()) s.push_back(c);
        return s;
    }
    // A menu, class or title field: 0 (none), 0xFFFF + ordinal, or a string.
    std::wstring StringOrOrdinal(WORD& ordinal, bool& present) {
        const WORD first = Get<WORD>();
        present = first != 0;
        ordinal = 0;
        if (first == 0) return {};
        if (first == 0xFFFF) {
            ordinal = Get<WORD>();
            return {};
        }
        std::wstring s(1, WCHAR(first));
        s += String();
        return s;
    }
    void Skip(size_t n) {
        if (p_ + n > end_) ok_ = false;
        else p_ += n;
    }
    void AlignDword() { Skip((4 - size_t(p_ - begin_) % 4) % 4); }

private:
    const BYTE* p_;
    const BYTE* begin_;
    const BYTE* end_;
    bool ok_ = true;
};

std::wstring PredefinedClass(WORD atom) {
    switch (atom) {
        case 0x80: return L"Button";
        case 0x81: return L"Edit";
        case 0x82: return L"Static";
        case 0x83: return L"ListBox";
        case 0x84: return L"ScrollBar";
        case 0x85: return L"ComboBox";
        default: return L"#" + std::to_wstring(atom);
    }
}
}  // namespace

bool ReadDialogTemplate(HMODULE module, int id, DialogTemplate& out) {
    const HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    if (!info) return false;
    const HGLOBAL loaded = LoadResource(module, info);
    const auto* data = static_cast<const BYTE*>(LockResource(loaded));
    if (!data) return false;
    Cursor c(data, SizeofResource(module, info));
    out = DialogTemplate();
    const WORD version = c.Get<WORD>();
    const WORD signature = c.Get<WORD>();
    out.extended = version == 1 && signature == 0xFFFF;
    if (!out.extended) return false;
    c.Get<DWORD>();  // help id
    out.exStyle = c.Get<DWORD>();
    out.style = c.Get<DWORD>();
    const WORD count = c.Get<WORD>();
    out.x = c.Get<short>();
    out.y = c.Get<short>();
    out.cx = c.Get<short>();
    out.cy = c.Get<short>();
    WORD ordinal = 0;
    c.StringOrOrdinal(ordinal, out.hasMenu);
    c.StringOrOrdinal(ordinal, out.hasClass);
    out.title = c.String();
    if (out.style & (DS_SETFONT | DS_SHELLFONT)) {
        out.pointSize = c.Get<WORD>();
        c.Get<WORD>();  // weight
        c.Get<BYTE>();  // italic
        c.Get<BYTE>();  // character set
        out.font = c.String();
    }
    for (WORD i = 0; i < count && c.ok(); ++i) {
        c.AlignDword();
        TemplateControl control;
        c.Get<DWORD>();  // help id
        control.exStyle = c.Get<DWORD>();
        control.style = c.Get<DWORD>();
        control.x = c.Get<short>();
        control.y = c.Get<short>();
        control.cx = c.Get<short>();
        control.cy = c.Get<short>();
        control.id = int(c.Get<LONG>());
        bool present = false;
        control.className = c.StringOrOrdinal(ordinal, present);
        if (control.className.empty()) control.className = PredefinedClass(ordinal);
        control.text = c.StringOrOrdinal(ordinal, present);
        const WORD extra = c.Get<WORD>();
        out.creationDataBytes += extra;
        c.Skip(extra);
        out.controls.push_back(control);
    }
    return c.ok();
}

}  // namespace qx::test
