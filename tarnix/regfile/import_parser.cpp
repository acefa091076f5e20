#include "regfile/import_parser.h"

#include <cctype>
#include <cstring>

#include <xan_board_config.h>

namespace tarnix {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kRootPrefix = "[HKEY_LOCAL_MACHINE\\";
constexpr std::string_view kDwordPrefix = "dword:";
constexpr std::string_view kServicesPath[] = {"SYSTEM", "CurrentControlSet", "Services"};
constexpr std::string_view kConfigurationService = "Tarnix";
constexpr std::size_t kLongestText = 255;  // names, paths and texts alike
// The driver holds a model name in 52 bytes with its terminator, and a
// longer one would name no model it knows.
constexpr std::string_view kBoardName = "BoardName";
constexpr std::size_t kLongestBoardName = 51;

bool sameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool isDriverService(std::string_view name) {
  if (sameText(name, kConfigurationService)) return true;
  for (int32_t kind = 1; kind <= 7; ++kind) {
    for (xanconfig::OsFamily os : {xanconfig::OsFamily::Nt, xanconfig::OsFamily::Win9x}) {
      for (const xanconfig::DriverFileRow& row : xanconfig::driverFileTable(kind, os)) {
        if (std::strcmp(row.serviceName, xanconfig::kEndRow) != 0 && sameText(name, row.serviceName)) return true;
      }
    }
  }
  return false;
}

// A quoted string from `at` (on the opening quote); `at` ends after the
// closing quote. \\ and \" stand for \ and "; any other backslash stays.
bool readQuoted(std::string_view line, std::size_t& at, std::string& out) {
  if (at >= line.size() || line[at] != '"') return false;
  for (std::size_t i = at + 1; i < line.size();) {
    const char c = line[i];
    if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) {
      out += line[i + 1];
      i += 2;
    } else if (c == '"') {
      at = i + 1;
      return true;
    } else {
      out += c;
      ++i;
    }
  }
  return false;
}

bool readHexDword(std::string_view digits, int32_t& value) {
  if (digits.size() != 8) return false;
  uint32_t number = 0;
  for (char c : digits) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (!std::isxdigit(u)) return false;
    number = number * 16 + static_cast<uint32_t>(std::isdigit(u) ? u - '0' : std::tolower(u) - 'a' + 10);
  }
  value = static_cast<int32_t>(number);
  return true;
}

bool readValueLine(std::string_view line, ConfigValueWrite& out) {
  std::size_t at = 0;
  if (!readQuoted(line, at, out.name) || out.name.size() > kLongestText) return false;
  if (at >= line.size() || line[at] != '=') return false;
  ++at;
  if (at < line.size() && line[at] == '"') {
    out.type = xanconfig::kRegSz;
    const std::size_t longest = sameText(out.name, kBoardName) ? kLongestBoardName : kLongestText;
    return readQuoted(line, at, out.text) && at == line.size() && out.text.size() <= longest;
  }
  const std::string_view rest = line.substr(at);
  out.type = xanconfig::kRegDword;
  return rest.substr(0, kDwordPrefix.size()) == kDwordPrefix && readHexDword(rest.substr(kDwordPrefix.size()), out.value);
}

// The key path of a key line, empty when the line is refused.
std::string_view keyOfLine(std::string_view line) {
  if (line.size() < kRootPrefix.size() + 2 || line.back() != ']' ||
      !sameText(line.substr(0, kRootPrefix.size()), kRootPrefix)) {
    return {};
  }
  const std::string_view path = line.substr(kRootPrefix.size(), line.size() - kRootPrefix.size() - 1);
  return path.size() <= kLongestText && IsImportableKey(path) ? path : std::string_view{};
}

}  // namespace

bool IsImportableKey(std::string_view path) {
  std::size_t index = 0;
  for (std::size_t start = 0;; ++index) {
    const std::size_t end = std::min(path.find('\\', start), path.size());
    const std::string_view part = path.substr(start, end - start);
    if (part.empty() || part.find('\0') != std::string_view::npos) return false;
    if (index < 3 && !sameText(part, kServicesPath[index])) return false;
    if (index == 3 && !isDriverService(part)) return false;
    if (index > 3 && (sameText(part, "Enum") || sameText(part, "Security"))) return false;
    if (end == path.size()) break;
    start = end + 1;
  }
  return index >= 3;
}

ParsedConfigFile ParseConfigFile(std::string_view file) {
  ParsedConfigFile parsed;
  bool first = true;
  bool haveKey = false;
  std::string key;
  for (std::size_t start = 0; start < file.size();) {
    std::size_t end = file.find('\n', start);
    if (end == std::string_view::npos) end = file.size();
    std::string_view line = file.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first) {
      if (line != kHeader) return parsed;
      parsed.accepted = true;
      first = false;
      continue;
    }
    if (line.empty()) continue;
    if (line.front() == '[') {
      const std::string_view path = keyOfLine(line);
      haveKey = !path.empty();
      key = path;
      if (!haveKey) parsed.skipped = true;
    } else if (line.front() == '"') {
      ConfigValueWrite write{key, {}, 0, {}, 0};
      if (haveKey && line.find('\0') == std::string_view::npos && readValueLine(line, write)) {
        parsed.writes.push_back(std::move(write));
      } else {
        parsed.skipped = true;
      }
    }
  }
  return parsed;
}

}  // namespace tarnix
