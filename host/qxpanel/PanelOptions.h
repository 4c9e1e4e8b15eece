#pragma once
// The page host's command line: which endpoint to show, which effect components exist,
// where the FX store lives, and an optional script of user actions.
#include <cstdint>
#include <string>
#include <vector>

#include "settings/EffectSchema.h"

namespace qx::panel {

struct PanelAction {
    enum Kind { Check, Uncheck, Select, Apply, Settings, List, Close } kind;
    std::wstring label;  // the row for Check, Uncheck and Select
};

struct PanelOptions {
    uint32_t formFactor = settings::FormFactorSpeakers;
    uint32_t speakerMask = 3;   // 0: the endpoint reports none
    uint16_t formatTag = 0;     // 0: no device format
    bool components[settings::kEffectCount + 1] = {};  // by EffectId: the component can be created
    std::wstring storeFile;     // empty: the store lives only in memory
    std::wstring modulePath;    // empty: QXAPOMain.dll beside the program
    std::vector<PanelAction> actions;
    uint32_t closeAfterMs = 0;  // 0: stay open until closed
    std::wstring importEq;      // a published EQ preset to fit into the store file
    bool importTenBand = false; // fit it to the ten-band Equalizer
    std::wstring windowEvent;   // named event set whenever a window of the page changes
};

// Parses argv (without the program name). On failure returns false and sets `error`.
bool ParseOptions(const std::vector<std::wstring>& args, PanelOptions& options, std::wstring& error);

// The text printed by --help.
const wchar_t* Usage();

}  // namespace qx::panel
