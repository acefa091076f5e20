#include "ini_file.h"

#include <winbase.h>

#include <algorithm>
#include <mutex>

#include "ansi_text.h"
#include "toolkit.h"

namespace orvane::core {
namespace {

// The program-wide current INI path.
struct IniPathState {
  std::mutex lock;
  std::string path;
};

IniPathState& State() {
  static IniPathState state;
  return state;
}

constexpr DWORD kReadBufferSize = 1024;

}  // namespace

void SetIniPath(std::string path) {
  std::lock_guard guard(State().lock);
  State().path = std::move(path);
}

std::string GetIniPath() {
  std::lock_guard guard(State().lock);
  return State().path;
}

std::string ReadIni(std::string_view section, std::string_view key, std::string_view def, int raw) {
  return ReadIniFile(GetIniPath(), section, key, def, raw);
}

std::string ReadIniFile(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view def, int raw) {
  if (path.empty()) return std::string(def);
  std::string ansiSection = ToAnsi(section), ansiKey = ToAnsi(key), ansiDefault = ToAnsi(def);
  std::string ansiPath = ToAnsi(path);
  char buffer[kReadBufferSize] = {};
  DWORD n = GetPrivateProfileStringA(ansiSection.c_str(), ansiKey.c_str(), ansiDefault.c_str(), buffer, kReadBufferSize,
                                     ansiPath.c_str());
  if (n == 0 || n >= kReadBufferSize) {
    if (n == 0) return std::string(def);
    n = kReadBufferSize - 1;
  }
  std::string value = FromAnsi(std::string_view(buffer, n));
  if (raw == -1) return value;
  return CleanIniValue(value, def);
}

bool WriteIni(std::string_view section, std::string_view key, std::string_view value) {
  std::string path = GetIniPath();
  if (path.empty()) return true;
  std::string ansiSection = ToAnsi(section), ansiKey = ToAnsi(key), ansiValue = ToAnsi(value);
  std::string ansiPath = ToAnsi(path);
  return WritePrivateProfileStringA(ansiSection.c_str(), ansiKey.c_str(), ansiValue.c_str(), ansiPath.c_str()) != 0;
}

std::string CleanIniValue(std::string_view text, std::string_view /*def*/) {
  // Nothing in the cleaning can fail here, so the default is never taken.
  for (char stop : {'\0', ';', '\t'}) {
    size_t at = text.find(stop);
    if (at != std::string_view::npos) text = text.substr(0, at);
  }
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

int16_t FindComboItem(std::span<const std::string> entries, std::string_view text) {
  size_t limit = std::min<size_t>(entries.size(), INT16_MAX + 1u);
  for (size_t i = 0; i < limit; ++i) {
    if (entries[i] == text) return static_cast<int16_t>(i);
  }
  return -1;
}

int16_t FindComboItem2(std::span<const std::string> entries, std::string_view text) {
  return FindComboItem(entries, text);
}

std::string ShowLines(std::span<const float> values) {
  std::string text;
  for (float v : values) text += SingleText(v) + "\r\n";
  return text;
}

std::string ShowLines(std::span<const std::string> values) {
  std::string text;
  for (const std::string& v : values) text += v + "\r\n";
  return text;
}

int32_t ParseNumberLines(std::string_view text, std::vector<float>& values) {
  std::vector<float> found;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && IsNumeric(line)) {
      try {
        found.push_back(CSng(Val(line)));
      } catch (const ToolkitError&) {
        // a number beyond the single range is no value to keep
      }
    }
    start = end + 2;
  }
  values = std::move(found);
  return static_cast<int32_t>(values.size());
}

}  // namespace orvane::core
