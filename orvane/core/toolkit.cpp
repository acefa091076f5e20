#include "toolkit.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

namespace orvane::core {

ToolkitError::ToolkitError(int number, const std::string& description)
    : std::runtime_error(description), number_(number) {}

void CheckSubscript(int64_t index, int64_t first, int64_t last) {
  if (index < first || index > last) throw ToolkitError(kErrSubscriptOutOfRange, "Subscript out of range");
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "&H1F" and "&O17": the toolkit reads up to four digits as a 16-bit and up
// to eight as a 32-bit two's-complement value; nothing past 64 bits.
std::optional<double> RadixValue(std::string_view digits, int radix) {
  uint64_t value = 0;
  size_t count = 0;
  for (char c : digits) {
    int d = -1;
    if (IsDigit(c))
      d = c - '0';
    else if (radix == 16 && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (radix == 16 && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    if (d < 0 || d >= radix) break;
    if (value > (UINT64_MAX >> 4)) return std::nullopt;
    value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(d);
    ++count;
  }
  if (value <= 0xFFFF && count <= (radix == 16 ? 4u : 6u)) return static_cast<int16_t>(static_cast<uint16_t>(value));
  if (value <= 0xFFFFFFFFu) return static_cast<int32_t>(static_cast<uint32_t>(value));
  return static_cast<double>(value);
}

// The decimal number at the start of text (blanks inside dropped), copied
// into a plain form strtod reads; the count of characters it took.
std::string LeadingNumber(std::string_view text, size_t* taken) {
  std::string out;
  size_t i = 0;
  auto skip = [&] {
    while (i < text.size() && IsBlank(text[i])) ++i;
  };
  skip();
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) out += text[i++];
  bool digits = false;
  for (skip(); i < text.size() && IsDigit(text[i]); skip()) out += text[i++], digits = true;
  if (i < text.size() && text[i] == '.') {
    out += text[i++];
    for (skip(); i < text.size() && IsDigit(text[i]); skip()) out += text[i++], digits = true;
  }
  if (digits && i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    size_t mark = i;
    std::string exponent = "E";
    ++i;
    skip();
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) exponent += text[i++];
    bool expDigits = false;
    for (skip(); i < text.size() && IsDigit(text[i]); skip()) exponent += text[i++], expDigits = true;
    if (expDigits)
      out += exponent;
    else
      i = mark;
  }
  if (taken != nullptr) *taken = digits ? i : 0;
  return digits ? out : std::string();
}

// Nothing for a number beyond the double range.
std::optional<double> ParseDecimal(const std::string& number) {
  if (number.empty()) return 0.0;
  errno = 0;
  double value = std::strtod(number.c_str(), nullptr);
  if (errno == ERANGE && std::isinf(value)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<double> ValIfInRange(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i + 1 < text.size() && text[i] == '&') {
    char r = text[i + 1];
    if (r == 'H' || r == 'h') return RadixValue(text.substr(i + 2), 16);
    if (r == 'O' || r == 'o') return RadixValue(text.substr(i + 2), 8);
  }
  return ParseDecimal(LeadingNumber(text, nullptr));
}

double Val(std::string_view text) {
  const std::optional<double> value = ValIfInRange(text);
  if (!value) throw ToolkitError(kErrOverflow, "Overflow");
  return *value;
}

bool IsNumeric(std::string_view text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return false;
  size_t last = text.find_last_not_of(" \t");
  std::string_view core = text.substr(first, last - first + 1);
  // A number too large for the toolkit converts to nothing, as letters do.
  if (core.size() > 2 && core[0] == '&' && (core[1] == 'H' || core[1] == 'h')) {
    return core.substr(2).find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos &&
           ValIfInRange(core).has_value();
  }
  if (core.find_first_of(" \t\r\n") != std::string_view::npos) return false;
  size_t taken = 0;
  LeadingNumber(core, &taken);
  return taken == core.size() && ValIfInRange(core).has_value();
}

namespace {

template <class Int>
Int RoundTo(double value) {
  double r = std::nearbyint(value);  // the default rounding mode: half to even
  if (!(r >= static_cast<double>(std::numeric_limits<Int>::min()) &&
        r <= static_cast<double>(std::numeric_limits<Int>::max()))) {
    throw ToolkitError(kErrOverflow, "Overflow");
  }
  return static_cast<Int>(r);
}

}  // namespace

int32_t CLng(double value) { return RoundTo<int32_t>(value); }
int16_t CInt(double value) { return RoundTo<int16_t>(value); }

float CSng(double value) {
  if (std::isfinite(value) && std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max())) {
    throw ToolkitError(kErrOverflow, "Overflow");
  }
  return static_cast<float>(value);
}

}  // namespace orvane::core
