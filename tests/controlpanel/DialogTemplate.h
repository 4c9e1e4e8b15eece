#pragma once
// Reads an extended dialog template (DIALOGEX) from a module's resources into plain data,
// so tests can hold a template against the layout it must have.
#include <windows.h>

#include <string>
#include <vector>

namespace qx::test {

struct TemplateControl {
    int id = 0;
    std::wstring className;  // predefined classes by name: "Button", "Static", ...
    std::wstring text;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplate {
    bool extended = false;  // a DIALOGEX (version 1, signature 0xFFFF)
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    bool hasMenu = false;
    bool hasClass = false;
    std::wstring title;
    WORD pointSize = 0;
    std::wstring font;
    std::vector<TemplateControl> controls;
    size_t creationDataBytes = 0;  // summed over the controls
};

// False when the module holds no such dialog or the template is not extended.
bool ReadDialogTemplate(HMODULE module, int id, DialogTemplate& out);

}  // namespace qx::test
