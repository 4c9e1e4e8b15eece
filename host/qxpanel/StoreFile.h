#pragma once
// The page host's FX store on disk: one value per line, "<key> <value>", where the key is
// the schema's name of the key ("Equalizer.enable") or "{fmtid}/pid" for keys outside
// the schema, and the value a number (decimal, 0x hex, or negative for signed settings)
// or "hex:" followed by the bytes of a blob. Lines starting with '#' are comments. The
// text of a line is parsed by StoreLine.
#include <windows.h>
#include <propsys.h>

#include <string>
#include <vector>

namespace qx::panel {

// Loads every line it understands into `store`; the lines it does not understand are
// returned in `rejected`. A missing file is an empty store.
HRESULT LoadStoreFile(const std::wstring& path, IPropertyStore* store, std::vector<std::string>& rejected);

// Writes every VT_UI4 and VT_BLOB value of `store`, replacing the file only once the new
// one is complete.
HRESULT SaveStoreFile(const std::wstring& path, IPropertyStore* store);

// One line of the file, parsed; false when the line is not a value line.
bool ParseStoreLine(const std::string& line, PROPERTYKEY& key, PROPVARIANT& value, std::vector<BYTE>& blob);

}  // namespace qx::panel
