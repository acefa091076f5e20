// Keys of one INI file at a time, on a program-wide current path, and the
// small list helpers of the forms. Texts are UTF-8 here and CP932 in the file.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::core {

// The current INI path, empty at start. Any thread may read it, but the
// monitor sets it from its window thread only.
void SetIniPath(std::string path);
std::string GetIniPath();

// The value of section/key in the current file, at most 1,023 bytes. A
// missing file, section or key, or an empty value, gives def as given. With
// raw == -1 the value is returned as stored, else through CleanIniValue.
std::string ReadIni(std::string_view section, std::string_view key, std::string_view def, int raw = 0);
// The same read from the file at path, whatever the current path is.
std::string ReadIniFile(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view def, int raw = 0);

// Writes section/key = value into the current file; nothing happens while
// the path is empty. False when the file could not be written.
bool WriteIni(std::string_view section, std::string_view key, std::string_view value);

// The text before its first NUL, ";" or TAB, blanks trimmed.
std::string CleanIniValue(std::string_view text, std::string_view def);

// Index of the first entry equal to text (exact, case-sensitive), -1 when
// there is none: of a combo box's and of a list box's entries.
int16_t FindComboItem(std::span<const std::string> entries, std::string_view text);
int16_t FindComboItem2(std::span<const std::string> entries, std::string_view text);

// The elements as text, each followed by CR LF: what the form sets as a
// box's text.
std::string ShowLines(std::span<const float> values);
std::string ShowLines(std::span<const std::string> values);

// The values of the lines of text (split at CR LF) that are numeric; values
// is resized to their count, which is returned (0 and empty when none).
int32_t ParseNumberLines(std::string_view text, std::vector<float>& values);

}  // namespace orvane::core
