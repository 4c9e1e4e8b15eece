#include "host/qxpanel/PanelOptions.h"

#include <cwchar>
#include <cwctype>

namespace qx::panel {

namespace {
struct NamedValue {
    const wchar_t* name;
    uint32_t value;
};
constexpr NamedValue kFormFactors[] = {
    {L"speakers", settings::FormFactorSpeakers}, {L"headphones", settings::FormFactorHeadphones},
    {L"microphone", settings::FormFactorMicrophone}, {L"spdif", settings::FormFactorSpdif},
    {L"hdmi", settings::FormFactorHdmi},
};

bool SameText(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return i == a.size() && !b[i];
}

bool ParseNumber(const std::wstring& text, uint32_t& out) {
    if (text.empty()) return false;
    wchar_t* end = nullptr;
    const unsigned long long v = std::wcstoull(text.c_str(), &end, 0);
    if (*end || v > 0xFFFFFFFFull) return false;
    out = uint32_t(v);
    return true;
}

// An effect by its row label ("Flex Bass") or its number.
bool ParseEffect(const std::wstring& text, uint32_t& id) {
    for (const settings::EffectInfo& e : settings::kEffectTable)
        if (SameText(text, e.label)) {
            id = e.id;
            return true;
        }
    return ParseNumber(text, id) && id >= 1 && id <= settings::kEffectCount;
}

// "all", "none" or a comma-separated list of effects.
bool ParseEffectList(const std::wstring& text, bool (&set)[settings::kEffectCount + 1], bool value,
                     std::wstring& error) {
    if (SameText(text, L"all") || SameText(text, L"none")) {
        const bool all = SameText(text, L"all") == value;
        for (bool& b : set) b = all;
        return true;
    }
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = text.find(L',', start);
        const std::wstring item = text.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
        uint32_t id = 0;
        if (!ParseEffect(item, id)) {
            error = L"unknown effect: " + item;
            return false;
        }
        set[id] = value;
        if (comma == std::wstring::npos) break;
        start = comma + 1;
    }
    return true;
}
}  // namespace

const wchar_t* Usage() {
    return L"qxpanel [options]\n"
           L"  --endpoint speakers|headphones|microphone|spdif|hdmi|<form factor>\n"
           L"  --mask <speaker mask>          0 leaves the mask out (default 3)\n"
           L"  --format <tag>                 device format tag, e.g. 0x92 (default: none)\n"
           L"  --components all|none|<list>   components that exist (default all)\n"
           L"  --missing <list>               components that do not exist\n"
           L"  --store <file>                 FX store loaded from and saved to this file\n"
           L"  --module <dll>                 the effects module (default: beside qxpanel)\n"
           L"  --check <row>, --uncheck <row>, --select <row>, --apply, --settings, --list\n"
           L"                                 actions done in order once the page is shown\n"
           L"  --exit                         close the page after the actions\n"
           L"  --close-after <ms>             close the page after this time\n"
           L"  --import-eq <file>             fit a published EQ preset to the 15-Band\n"
           L"                                 Equalizer and write it into the --store file\n"
           L"                                 (the page opens only when actions follow)\n"
           L"  --eq-target eq15|eq10          fit to the 15-Band (default) or ten-band one\n"
           L"  --window-event <name>          set this named event whenever a window of the\n"
           L"                                 page or its dialogs is shown, moved, activated\n"
           L"                                 or destroyed (for a program that drives them)\n"
           L"Lists are comma-separated row labels or effect numbers.\n";
}

bool ParseOptions(const std::vector<std::wstring>& args, PanelOptions& options, std::wstring& error) {
    for (bool& b : options.components) b = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        const std::wstring value = hasValue ? args[i + 1] : std::wstring();
        auto needValue = [&]() {
            if (!hasValue) error = arg + L" needs a value";
            ++i;
            return hasValue;
        };
        uint32_t number = 0;
        if (arg == L"--endpoint") {
            if (!needValue()) return false;
            bool found = false;
            for (const NamedValue& f : kFormFactors)
                if (SameText(value, f.name)) options.formFactor = f.value, found = true;
            if (!found && !ParseNumber(value, options.formFactor)) return error = L"bad endpoint: " + value, false;
        } else if (arg == L"--mask") {
            if (!needValue()) return false;
            if (!ParseNumber(value, options.speakerMask)) return error = L"bad mask: " + value, false;
        } else if (arg == L"--format") {
            if (!needValue()) return false;
            if (!ParseNumber(value, number) || number > 0xFFFF) return error = L"bad format tag: " + value, false;
            options.formatTag = uint16_t(number);
        } else if (arg == L"--components" || arg == L"--missing") {
            if (!needValue()) return false;
            if (arg == L"--components")
                for (bool& b : options.components) b = false;
            if (!ParseEffectList(value, options.components, arg == L"--components", error)) return false;
        } else if (arg == L"--store") {
            if (!needValue()) return false;
            options.storeFile = value;
        } else if (arg == L"--module") {
            if (!needValue()) return false;
            options.modulePath = value;
        } else if (arg == L"--check" || arg == L"--uncheck" || arg == L"--select") {
            if (!needValue()) return false;
            const PanelAction::Kind kind = arg == L"--check"     ? PanelAction::Check
                                           : arg == L"--uncheck" ? PanelAction::Uncheck
                                                                 : PanelAction::Select;
            options.actions.push_back({kind, value});
        } else if (arg == L"--apply") {
            options.actions.push_back({PanelAction::Apply, {}});
        } else if (arg == L"--settings") {
            options.actions.push_back({PanelAction::Settings, {}});
        } else if (arg == L"--list") {
            options.actions.push_back({PanelAction::List, {}});
        } else if (arg == L"--exit") {
            options.actions.push_back({PanelAction::Close, {}});
        } else if (arg == L"--import-eq") {
            if (!needValue()) return false;
            options.importEq = value;
        } else if (arg == L"--eq-target") {
            if (!needValue()) return false;
            if (!SameText(value, L"eq15") && !SameText(value, L"eq10")) return error = L"bad EQ target: " + value, false;
            options.importTenBand = SameText(value, L"eq10");
        } else if (arg == L"--window-event") {
            if (!needValue()) return false;
            options.windowEvent = value;
        } else if (arg == L"--close-after") {
            if (!needValue()) return false;
            if (!ParseNumber(value, options.closeAfterMs)) return error = L"bad time: " + value, false;
        } else {
            error = L"unknown option: " + arg;
            return false;
        }
    }
    return true;
}

}  // namespace qx::panel
