#include "ini_batch.h"

#include <platform/host_files.h>

#include <cctype>
#include <cstdio>

namespace orvane::forms {
namespace {

std::string Trim(const std::string& s) {
  std::size_t a = 0, b = s.size();
  while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
  while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t')) --b;
  return s.substr(a, b - a);
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x < 128 && y < 128) {
      if (std::tolower(x) != std::tolower(y)) return false;
    } else if (x != y) {
      return false;
    }
  }
  return true;
}

// The section name of a header line, or nullopt for another line.
std::optional<std::string> Header(const std::string& line) {
  std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  std::size_t close = t.find(']');
  if (close == std::string::npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

}  // namespace

IniBatch::IniBatch(std::string path) : path_(std::move(path)) {
  // The path is the caller's (ANSI, maybe a drive path): it maps as the
  // profile calls map it.
  plat::CFile in = plat::OpenFile(path_.c_str(), "rb");
  exists_ = in != nullptr;
  if (!exists_) return;
  std::string text;
  char block[65536];
  std::size_t n = 0;
  while ((n = std::fread(block, 1, sizeof block, in.get())) > 0) text.append(block, n);
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t nl = text.find('\n', at);
    std::string line = text.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines_.push_back(std::move(line));
    if (nl == std::string::npos) break;
    at = nl + 1;
  }
}

long IniBatch::FindSection(const std::string& section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    auto h = Header(lines_[i]);
    if (h && SameName(*h, section)) return static_cast<long>(i);
  }
  return -1;
}

long IniBatch::SectionEnd(long header) const {
  std::size_t i = static_cast<std::size_t>(header) + 1;
  while (i < lines_.size() && !Header(lines_[i])) ++i;
  return static_cast<long>(i);
}

long IniBatch::FindKey(long header, const std::string& key) const {
  const long end = SectionEnd(header);
  for (long i = header + 1; i < end; ++i) {
    const std::string& line = lines_[static_cast<std::size_t>(i)];
    std::size_t eq = line.find('=');
    if (eq != std::string::npos && SameName(Trim(line.substr(0, eq)), key)) return i;
  }
  return -1;
}

std::optional<std::string> IniBatch::Read(const std::string& section, const std::string& key) const {
  const long header = FindSection(section);
  if (header < 0) return std::nullopt;
  const long at = FindKey(header, key);
  if (at < 0) return std::nullopt;
  const std::string& line = lines_[static_cast<std::size_t>(at)];
  std::string value = Trim(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && ((value.front() == '"' && value.back() == '"') || (value.front() == '\'' && value.back() == '\'')))
    value = value.substr(1, value.size() - 2);
  if (value.size() > 1023) value.resize(1023);
  return value;
}

void IniBatch::Write(const std::string& section, const std::string& key, const std::string& value) {
  dirty_ = true;
  const std::string line = key + "=" + value;
  long header = FindSection(section);
  if (header < 0) {
    lines_.push_back("[" + section + "]");
    lines_.push_back(line);
    return;
  }
  const long at = FindKey(header, key);
  if (at >= 0) {
    // The key keeps its spelling; only the value changes.
    std::string& existing = lines_[static_cast<std::size_t>(at)];
    existing = existing.substr(0, existing.find('=')) + "=" + value;
    return;
  }
  // After the section's last line that is not blank.
  long end = SectionEnd(header);
  while (end - 1 > header && Trim(lines_[static_cast<std::size_t>(end - 1)]).empty()) --end;
  lines_.insert(lines_.begin() + end, line);
}

bool IniBatch::Commit() {
  if (!dirty_) return true;
  std::string text;
  for (const std::string& line : lines_) {
    text += line;
    text += "\r\n";
  }
  if (!plat::WriteWholeFile(path_.c_str(), text.data(), text.size())) return false;
  dirty_ = false;
  exists_ = true;
  return true;
}

}  // namespace orvane::forms
