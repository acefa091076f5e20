// The whole configuration as a REGEDIT4 text file.
#pragma once
#include <cstdint>

namespace tarnix {

// 0 written; 1 null or empty path; 4 the file cannot be created or written.
int32_t ExportConfigFile(const char* path);
// 0 every value written; 1 null or empty path; 4 the file cannot be opened
// or is no configuration file (nothing changed); 5 a value not written.
int32_t ImportConfigFile(const char* path);

}  // namespace tarnix
