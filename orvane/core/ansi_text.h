// The classes keep their texts as UTF-8, as the forms show them; INI files,
// the processing library and calibration fields take the ANSI code page
// (CP932). These convert at those calls.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace orvane::core {

// UTF-8 to CP932 bytes; a character CP932 lacks becomes "?".
std::string ToAnsi(std::string_view utf8);
// CP932 bytes to UTF-8; a byte that starts no character becomes U+30FB.
std::string FromAnsi(std::string_view ansi);

}  // namespace orvane::core

namespace orvane::core {

// The length of the longest prefix of ansi, at most n bytes, that cuts no
// double-byte character in half.
std::size_t WholeCharacterPrefix(std::string_view ansi, std::size_t n);

}  // namespace orvane::core
