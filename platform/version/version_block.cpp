#include "version/version_block.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>

namespace plat::ver {

namespace {

// Layout: magic, total size, translation count, the (language, code page)
// WORD pairs, then "key\0value\0" entries ended by an empty key.
constexpr DWORD kMagic = 0x52455648;  // "HVER"
constexpr size_t kHeader = 3 * sizeof(DWORD);

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalNoCase(const char* a, const char* b) {
  while (*a != '\0' && lowerAscii(*a) == lowerAscii(*b)) ++a, ++b;
  return *a == '\0' && *b == '\0';
}

// Pairs of hexadecimal WORDs; nullopt when any token is not one.
std::optional<std::vector<WORD>> parseTranslations(const std::string& text) {
  std::istringstream in(text);
  std::vector<WORD> words;
  std::string token;
  while (in >> token) {
    if (token.size() > 4) return std::nullopt;
    char* end = nullptr;
    unsigned long value = std::strtoul(token.c_str(), &end, 16);
    if (*end != '\0') return std::nullopt;
    words.push_back(static_cast<WORD>(value));
  }
  if (words.empty() || words.size() % 2 != 0) return std::nullopt;
  return words;
}

DWORD readDword(const BYTE* p) {
  DWORD value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

void appendDword(std::vector<BYTE>& out, DWORD value) {
  const BYTE* p = reinterpret_cast<const BYTE*>(&value);
  out.insert(out.end(), p, p + sizeof value);
}

// "<eight hex digits>\<key>" after "\StringFileInfo\"; false for another form.
bool splitStringPath(const char* rest, DWORD* languageAndCodePage, const char** key) {
  for (int i = 0; i < 8; ++i) {
    if (std::strchr("0123456789abcdefABCDEF", rest[i]) == nullptr || rest[i] == '\0') return false;
  }
  if (rest[8] != '\\' || rest[9] == '\0') return false;
  *languageAndCodePage = static_cast<DWORD>(std::strtoul(std::string(rest, 8).c_str(), nullptr, 16));
  *key = rest + 9;
  return true;
}

const char* afterPrefix(const char* text, const char* prefix) {
  size_t n = std::strlen(prefix);
  for (size_t i = 0; i < n; ++i) {
    if (lowerAscii(text[i]) != lowerAscii(prefix[i])) return nullptr;
  }
  return text + n;
}

}  // namespace

std::optional<std::vector<BYTE>> blockForFile(const std::string& linuxSidecarPath) {
  std::ifstream in(linuxSidecarPath, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<WORD> translations;
  std::vector<std::pair<std::string, std::string>> strings;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t equals = line.find('=');
    if (equals == std::string::npos || equals == 0) continue;
    std::string key = line.substr(0, equals);
    std::string value = line.substr(equals + 1);
    if (key.find('\\') != std::string::npos || key.find('\0') != std::string::npos) continue;
    if (equalNoCase(key.c_str(), "Translation")) {
      if (auto words = parseTranslations(value)) translations.insert(translations.end(), words->begin(), words->end());
    } else {
      strings.emplace_back(std::move(key), std::move(value));
    }
  }
  std::vector<BYTE> block;
  appendDword(block, kMagic);
  appendDword(block, 0);
  appendDword(block, static_cast<DWORD>(translations.size() / 2));
  const BYTE* words = reinterpret_cast<const BYTE*>(translations.data());
  block.insert(block.end(), words, words + translations.size() * sizeof(WORD));
  for (const auto& [key, value] : strings) {
    block.insert(block.end(), key.c_str(), key.c_str() + key.size() + 1);
    block.insert(block.end(), value.c_str(), value.c_str() + value.size() + 1);
  }
  block.push_back(0);
  DWORD size = static_cast<DWORD>(block.size());
  std::memcpy(block.data() + sizeof(DWORD), &size, sizeof size);
  return block;
}

bool queryBlock(const BYTE* block, const char* subBlock, void** value, UINT* length) {
  if (block == nullptr || subBlock == nullptr || value == nullptr || length == nullptr) return false;
  if (readDword(block) != kMagic) return false;
  const DWORD size = readDword(block + sizeof(DWORD));
  const DWORD count = readDword(block + 2 * sizeof(DWORD));
  const BYTE* pairs = block + kHeader;
  if (equalNoCase(subBlock, "\\VarFileInfo\\Translation") || equalNoCase(subBlock, "VarFileInfo\\Translation")) {
    if (count == 0) return false;
    *value = const_cast<BYTE*>(pairs);
    *length = count * 2 * sizeof(WORD);
    return true;
  }
  const char* rest = afterPrefix(subBlock, "\\StringFileInfo\\");
  if (rest == nullptr) rest = afterPrefix(subBlock, "StringFileInfo\\");
  DWORD wanted = 0;
  const char* key = nullptr;
  if (rest == nullptr || !splitStringPath(rest, &wanted, &key)) return false;
  bool known = false;
  for (DWORD i = 0; i < count && !known; ++i) {
    WORD pair[2];
    std::memcpy(pair, pairs + i * sizeof pair, sizeof pair);
    known = ((static_cast<DWORD>(pair[0]) << 16) | pair[1]) == wanted;
  }
  if (!known) return false;
  const char* entry = reinterpret_cast<const char*>(pairs + count * 2 * sizeof(WORD));
  const char* end = reinterpret_cast<const char*>(block + size);
  while (entry < end && *entry != '\0') {
    const char* text = entry + std::strlen(entry) + 1;
    size_t textLength = std::strlen(text);
    if (equalNoCase(entry, key)) {
      *value = const_cast<char*>(text);
      *length = static_cast<UINT>(textLength + 1);
      return true;
    }
    entry = text + textLength + 1;
  }
  return false;
}

}  // namespace plat::ver
