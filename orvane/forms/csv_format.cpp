#include "csv_format.h"

#include <charconv>
#include <cstdint>
#include <cmath>
#include <algorithm>
#include <cstring>

namespace orvane::forms {
namespace {

// Powers of ten a double holds exactly over the range the fast road takes.
constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12};

constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

inline uint16_t Pair(uint32_t v) {
  uint16_t p;
  std::memcpy(&p, kPairs + 2 * v, 2);
  return p;
}

inline void Store(char* at, uint64_t word) { std::memcpy(at, &word, 8); }

// The general road: the library's rounding of the exact value, then the
// toolkit's spelling of the exponent ("E+30", two digits at least).
std::size_t FormatSlow(float value, char* out) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
  std::size_t n = 0;
  for (char* p = buf; p < res.ptr; ++p) out[n++] = (*p == 'e') ? 'E' : *p;
  return n;
}

}  // namespace

std::size_t FormatSingle(float value, char* out) {
  if (value == 0.0f) {
    out[0] = '0';
    return 1;
  }
  if (!std::isfinite(value)) return FormatSlow(value, out);
  const double mag = std::fabs(static_cast<double>(value));
  // Fast road for 1e-4 <= |v| < 1e7, where the general form is fixed
  // notation: seven significant digits as an integer.
  if (mag < 1e-4 || mag >= 1e7) return FormatSlow(value, out);
  // Decimal exponent of the leading digit, from the binary one (at most one
  // too small; the product tells). Selects rather than branches: the
  // exponents of measured values are as good as random.
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const int e2 = static_cast<int>((bits >> 23) & 0xFF) - 127;  // |v| = 1.m x 2^e2 (normal here)
  int e = std::max((e2 * 78913) >> 18, -4);                    // floor(e2 * log10(2))
  const double low = mag * kPow10[6 - e];
  const bool up = low >= 1e7;
  const double scaled = up ? mag * kPow10[std::max(5 - e, 0)] : low;
  e += up ? 1 : 0;
  const double whole = std::floor(scaled);
  const double frac = scaled - whole;
  // Near a half the product may have rounded the wrong way: let the exact
  // conversion decide.
  if (std::fabs(frac - 0.5) < 1e-6) return FormatSlow(value, out);
  uint32_t digits = static_cast<uint32_t>(whole) + (frac > 0.5 ? 1 : 0);
  if (digits >= 10000000) {  // rounding carried into an eighth digit
    digits /= 10;
    ++e;
    if (e >= 7) return FormatSlow(value, out);
  }
  if (digits < 1000000) return FormatSlow(value, out);
  // The seven digit characters in one word (byte i = digit i), stored with
  // whole-word writes: the buffers have the room.
  const uint32_t rest = digits % 1000000;
  const uint64_t word = static_cast<uint64_t>('0' + digits / 1000000) | static_cast<uint64_t>(Pair(rest / 10000)) << 8 |
                        static_cast<uint64_t>(Pair(rest / 100 % 100)) << 24 |
                        static_cast<uint64_t>(Pair(rest % 100)) << 40;
  // Last significant digit: the highest digit byte that is not '0'.
  const uint64_t nonZero = (word ^ 0x0030303030303030ull) & 0x00FFFFFFFFFFFFFFull;
  const int last = (63 - __builtin_clzll(nonZero)) >> 3;
  // e >= 0: integer digits, ".", the rest (left out when there is none);
  // e < 0: "0.", e - 1 zeros, the digits.
  const bool whole1 = e >= 0;
  const uint64_t head = whole1 ? word : 0x3030303030302E30ull;  // "0.000000"
  const uint64_t tail = whole1 ? word >> (8 * std::max(e + 1, 0)) : word;
  const int dot = whole1 ? e + 1 : 1;
  const int tailAt = whole1 ? e + 2 : 1 - e;
  const int length = whole1 ? (last > e ? last + 2 : e + 1) : 2 - e + last;
  out[0] = '-';
  char* p = out + (std::signbit(value) ? 1 : 0);
  Store(p, head);
  p[dot] = '.';
  Store(p + tailAt, tail);
  const std::size_t n = static_cast<std::size_t>(p - out) + static_cast<std::size_t>(length);
  return n;
}

std::string SingleText(float value) {
  char buf[kSingleTextMax];
  return std::string(buf, FormatSingle(value, buf));
}

void AppendCsvBlock(std::string& text, const float* data, int channels, int scans) {
  if (data == nullptr || channels <= 0 || scans <= 0) return;
  std::size_t at = text.size();
  text.resize(at + static_cast<std::size_t>(scans) * (static_cast<std::size_t>(channels) * (kSingleTextMax + 1) + 2));
  char* p = text.data() + at;
  for (int j = 0; j < scans; ++j) {
    for (int c = 0; c < channels; ++c) {
      p += FormatSingle(data[j + static_cast<std::size_t>(scans) * c], p);
      *p++ = ',';
    }
    *p++ = '\r';
    *p++ = '\n';
  }
  text.resize(static_cast<std::size_t>(p - text.data()));
}

}  // namespace orvane::forms
