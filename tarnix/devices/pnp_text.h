// Reading the Plug and Play registry: device descriptions and subkeys.
#pragma once
#include <string>
#include <vector>

namespace tarnix {

// A REG_SZ value under HKEY_LOCAL_MACHINE; false when the key or value is
// missing or is not a text.
bool ReadPnpText(const std::string& keyPath, const char* valueName, std::string& text);
// The subkey names of a key, in enumeration order; names of `longest`
// characters or more are passed over.
std::vector<std::string> PnpSubkeys(const std::string& keyPath, std::size_t longest);
// A DeviceDesc cut at its first blank at or after the eighth character:
// the maker, a hyphen and the model, without what Windows appends.
std::string CutDescription(const std::string& description);

}  // namespace tarnix
