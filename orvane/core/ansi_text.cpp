#include "ansi_text.h"

#include <winbase.h>

#include <climits>

namespace orvane::core {
namespace {

std::u16string Widen(UINT codePage, std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  int n = static_cast<int>(text.size());
  int units = MultiByteToWideChar(codePage, 0, text.data(), n, nullptr, 0);
  if (units <= 0) return {};
  std::u16string wide(static_cast<size_t>(units), u'\0');
  MultiByteToWideChar(codePage, 0, text.data(), n, wide.data(), units);
  return wide;
}

std::string Narrow(UINT codePage, const std::u16string& wide) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  int n = static_cast<int>(wide.size());
  int bytes = WideCharToMultiByte(codePage, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), n, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace

std::string ToAnsi(std::string_view utf8) { return Narrow(CP_ACP, Widen(CP_UTF8, utf8)); }

std::string FromAnsi(std::string_view ansi) { return Narrow(CP_UTF8, Widen(CP_ACP, ansi)); }

std::size_t WholeCharacterPrefix(std::string_view ansi, std::size_t n) {
  std::size_t i = 0;
  while (i < ansi.size() && i < n) {
    std::size_t width = IsDBCSLeadByte(static_cast<BYTE>(ansi[i])) && i + 1 < ansi.size() ? 2 : 1;
    if (i + width > n) break;
    i += width;
  }
  return i;
}

}  // namespace orvane::core
