// Whole files in and out, for the configuration file.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tarnix {

// The file's bytes; nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const char* path);
// Creates or truncates the file; false when creating, writing or closing fails.
bool WriteWholeFile(const char* path, std::string_view bytes);

}  // namespace tarnix
