// Parsing and editing of INI files line by line.
#include "kernel32/profile_document.h"

#include <winbase.h>

namespace plat::ini {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr const char* kNewLine = "\r\n";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// The byte after a CP932 lead byte is part of the same character.
bool isLeadByte(char c) { return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE; }

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The part of a line that Windows reads: up to a NUL byte, without a byte
// order mark at the very start of the file.
std::string_view readablePart(const std::string& text, bool firstLine) {
  std::string_view view(text);
  view = view.substr(0, view.find('\0'));
  if (firstLine && view.substr(0, kUtf8Bom.size()) == kUtf8Bom) view.remove_prefix(kUtf8Bom.size());
  return view;
}

// The first ']' that is a character of its own, or the end of the text.
size_t closingBracket(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ']') return i;
    i += isLeadByte(text[i]) ? 2 : 1;
  }
  return text.size();
}

void classify(Line& line, bool firstLine) {
  line.kind = LineKind::Other;
  line.name.clear();
  line.rawValue.clear();
  std::string_view text = trim(readablePart(line.text, firstLine));
  if (text.empty()) return;
  if (text.front() == ';') {
    line.kind = LineKind::Comment;
    return;
  }
  if (text.front() == '[') {
    text.remove_prefix(1);
    line.kind = LineKind::Section;
    line.name = trim(text.substr(0, closingBracket(text)));
    return;
  }
  // '=' is below the range of second bytes, so the first one is the delimiter.
  size_t equals = text.find('=');
  if (equals == std::string_view::npos) {
    line.kind = LineKind::NameOnly;
    line.name = text;
    return;
  }
  line.kind = LineKind::Key;
  line.name = trim(text.substr(0, equals));
  line.rawValue = trim(text.substr(equals + 1));
}

Line makeLine(std::string text) {
  Line line;
  line.text = std::move(text);
  line.end = kNewLine;
  classify(line, false);
  return line;
}

std::string unquote(const std::string& raw) {
  if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') return raw.substr(1, raw.size() - 2);
  return raw;
}

}  // namespace

std::vector<Line> splitLines(std::string_view bytes) {
  std::vector<Line> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t stop = bytes.find_first_of("\r\n", start);
    Line line;
    if (stop == std::string_view::npos) {
      line.text = bytes.substr(start);
      start = bytes.size();
    } else {
      size_t endLength = (bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n') ? 2 : 1;
      line.text = bytes.substr(start, stop - start);
      line.end = bytes.substr(stop, endLength);
      start = stop + endLength;
    }
    classify(line, lines.empty());
    lines.push_back(std::move(line));
  }
  return lines;
}

bool equalNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (isLeadByte(a[i])) {
      if (a[i] != b[i]) return false;
      if (++i < a.size() && a[i] != b[i]) return false;
      continue;
    }
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

Document::Document(std::string_view bytes) : lines_(splitLines(bytes)) {}

std::string Document::serialize() const {
  std::string out;
  size_t total = 0;
  for (const Line& line : lines_) total += line.text.size() + line.end.size();
  out.reserve(total);
  for (const Line& line : lines_) {
    out += line.text;
    out += line.end;
  }
  return out;
}

size_t Document::findSection(std::string_view section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == LineKind::Section && equalNoCase(lines_[i].name, section)) return i;
  }
  return npos;
}

size_t Document::sectionEnd(size_t header) const {
  size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != LineKind::Section) ++i;
  return i;
}

size_t Document::findKey(size_t header, std::string_view key) const {
  for (size_t i = header + 1, end = sectionEnd(header); i < end; ++i) {
    if (lines_[i].kind == LineKind::Key && equalNoCase(lines_[i].name, key)) return i;
  }
  return npos;
}

std::vector<std::string> Document::sectionNames() const {
  std::vector<std::string> names;
  for (const Line& line : lines_) {
    if (line.kind == LineKind::Section && !line.name.empty()) names.push_back(line.name);
  }
  return names;
}

std::vector<std::string> Document::keyNames(std::string_view section) const {
  std::vector<std::string> names;
  size_t header = findSection(section);
  if (header == npos) return names;
  for (size_t i = header + 1, end = sectionEnd(header); i < end; ++i) {
    if (lines_[i].kind == LineKind::Key && !lines_[i].name.empty()) names.push_back(lines_[i].name);
  }
  return names;
}

std::vector<std::string> Document::sectionEntries(std::string_view section) const {
  std::vector<std::string> entries;
  size_t header = findSection(section);
  if (header == npos) return entries;
  for (size_t i = header + 1, end = sectionEnd(header); i < end; ++i) {
    if (lines_[i].kind == LineKind::Key) entries.push_back(lines_[i].name + "=" + lines_[i].rawValue);
    if (lines_[i].kind == LineKind::NameOnly) entries.push_back(lines_[i].name);
  }
  return entries;
}

std::optional<std::string> Document::value(std::string_view section, std::string_view key) const {
  size_t header = findSection(section);
  if (header == npos) return std::nullopt;
  size_t line = findKey(header, key);
  if (line == npos) return std::nullopt;
  return unquote(lines_[line].rawValue);
}

void Document::ensureEnded(size_t index) {
  if (index < lines_.size() && lines_[index].end.empty()) lines_[index].end = kNewLine;
}

bool Document::setValue(std::string_view section, std::string_view key, std::string_view value) {
  std::string keyLine = std::string(key) + "=" + std::string(value);
  size_t header = findSection(section);
  if (header == npos) {
    if (!lines_.empty()) ensureEnded(lines_.size() - 1);
    lines_.push_back(makeLine("[" + std::string(section) + "]"));
    lines_.push_back(makeLine(std::move(keyLine)));
    return true;
  }
  if (size_t existing = findKey(header, key); existing != npos) {
    // Everything up to the '=' stays as written; only the value changes.
    Line& line = lines_[existing];
    size_t equals = line.text.find('=');
    std::string text = line.text.substr(0, equals + 1) + std::string(value);
    if (text == line.text) return false;
    line.text = std::move(text);
    classify(line, false);
    return true;
  }
  // A new key goes after the last key of the section, before the blank
  // lines and comments that usually separate it from the next one.
  size_t insertAt = header + 1;
  for (size_t i = header + 1, end = sectionEnd(header); i < end; ++i) {
    if (lines_[i].kind == LineKind::Key) insertAt = i + 1;
  }
  ensureEnded(insertAt - 1);
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), makeLine(std::move(keyLine)));
  return true;
}

bool Document::removeKey(std::string_view section, std::string_view key) {
  size_t header = findSection(section);
  if (header == npos) return false;
  size_t line = findKey(header, key);
  if (line == npos) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(line));
  return true;
}

bool Document::removeSection(std::string_view section) {
  size_t header = findSection(section);
  if (header == npos) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
               lines_.begin() + static_cast<std::ptrdiff_t>(sectionEnd(header)));
  return true;
}

}  // namespace plat::ini
