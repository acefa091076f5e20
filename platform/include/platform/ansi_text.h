// Helpers over the code-page calls for libraries that keep their texts as
// UTF-8 in the source and hand them out in the ANSI code page (CP932).
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace plat {

// The ANSI bytes of a UTF-8 text; a character the code page lacks becomes
// its default character.
inline std::string Utf8ToAnsi(const char* utf8) {
  int wide = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (wide <= 0) return {};
  std::u16string buffer(static_cast<std::size_t>(wide), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, buffer.data(), wide);
  int bytes = WideCharToMultiByte(CP_ACP, 0, buffer.data(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, buffer.data(), -1, out.data(), bytes, nullptr, nullptr);
  out.pop_back();  // the terminator
  return out;
}

// The longest prefix of an ANSI text, at most limit bytes, that ends on a
// character boundary; a lead byte cut off by the end of the text is no
// character either.
inline std::size_t AnsiPrefixLength(std::string_view text, std::size_t limit) {
  std::size_t end = 0;
  while (end < text.size()) {
    std::size_t width = IsDBCSLeadByte(static_cast<BYTE>(text[end])) ? 2 : 1;
    if (end + width > limit || end + width > text.size()) break;
    end += width;
  }
  return end;
}

}  // namespace plat
