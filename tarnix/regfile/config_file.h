// The whole configuration as a REGEDIT4 text file.
#pragma once
#include <cstdint>

namespace tarnix {

// 0 written; 1 null or empty path; 4 the file cannot be created, written
// or closed.
int32_t ExportConfigFile(const char* path);
// 0 every value written; 1 null or empty path; 4 the file cannot be opened
// or read, or does not begin with the line "REGEDIT4" (nothing changed);
// 5 a value not written or a key or value line refused (the rest written).
int32_t ImportConfigFile(const char* path);

}  // namespace tarnix
