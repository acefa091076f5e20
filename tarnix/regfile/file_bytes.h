// Whole files in and out, for the configuration file, by the caller's
// Windows path (a drive path maps under the drive root).
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tarnix {

// The file's bytes; nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const char* path);
// Replaces the file whole; false when it cannot be written, the old file
// then untouched.
bool WriteWholeFile(const char* path, std::string_view bytes);

}  // namespace tarnix
