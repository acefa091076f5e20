// The REGEDIT4 reader: a whole configuration file into the value writes it
// asks for, before anything is changed.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnix {

struct ConfigValueWrite {
  std::string key;  // below HKEY_LOCAL_MACHINE
  std::string name;
  int32_t type;     // 1 text, 4 number
  std::string text;
  int32_t value;
};

struct ParsedConfigFile {
  bool accepted = false;  // the first line is "REGEDIT4"
  bool skipped = false;   // a key or value line was refused
  std::vector<ConfigValueWrite> writes;
};

// Lines end in "\n" or "\r\n". After the header, a key line must name a key
// IsImportableKey accepts, and a value line must follow an accepted key line
// and be a whole quoted name, "=", and either a quoted text (backslash
// escapes \\ and \") or "dword:" with exactly eight hex digits, within the
// registry's 255-character names and texts (51 for a BoardName). Refused key and value lines are
// skipped and noted; other lines (blank, comments) are skipped silently.
ParsedConfigFile ParseConfigFile(std::string_view file);

// Only what the export writes: the service key of a driver of kinds 1 to 7
// (either Windows family) or of the configuration service, or a key below
// one, other than an "Enum" or "Security" tree. Names compare without regard
// to case, as the registry's do.
bool IsImportableKey(std::string_view path);

}  // namespace tarnix
