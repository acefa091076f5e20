#include "csv_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace orvane::forms {
namespace {

// Powers of ten up to 1e10: each holds at most 24 significant bits, so its
// product with a single's 24 is exact in a double.
constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};

// The fast road takes 1e-4 <= |v| < 1e7, where the general form is fixed
// notation: the bit patterns of the least and the first single beyond.
constexpr uint32_t kFastFirst = 0x38D1B718u;  // 1.0000000475e-4
constexpr uint32_t kFastEnd = 0x4B189680u;    // 1e7

// Per binary exponent of the fast range (2^-14 up to 2^23, biased 113 to
// 150): the decimal exponent of its least value (never below -4, where the
// range starts), the power of ten of the next decade, and the scales that
// bring a value of either decade to seven whole digits.
struct Decade {
  int exponent;
  double next;
  double scale;
  double scaleNext;
};
constexpr int kFirstBinary = 113;
constexpr auto kDecades = [] {
  std::array<Decade, 38> table{};
  for (int i = 0; i < static_cast<int>(table.size()); ++i) {
    const int e2 = kFirstBinary + i - 127;
    const int e = std::max((e2 * 78913) >> 18, -4);  // floor(e2 * log10(2))
    // 1 / 10^k is the double nearest 10^-k: the quotient is rounded once.
    const double next = e + 1 >= 0 ? kPow10[e + 1] : 1.0 / kPow10[-(e + 1)];
    table[i] = {e, next, kPow10[6 - e], kPow10[std::max(5 - e, 0)]};
  }
  return table;
}();

// The eight digit characters of d < 1e8, first digit in the lowest byte:
// the halves, quarters and digits split in parallel lanes of one word.
inline uint64_t DigitWord(uint32_t d) {
  const uint64_t halves = (d / 10000) | static_cast<uint64_t>(d % 10000) << 32;
  const uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007Full;
  const uint64_t quarters = hundreds | (halves - hundreds * 100) << 16;
  const uint64_t tens = ((quarters * 103) >> 10) & 0x000F000F000F000Full;
  const uint64_t digits = tens | (quarters - tens * 10) << 8;
  return digits + 0x3030303030303030ull;
}

inline void Store(char* at, uint64_t word) { std::memcpy(at, &word, 8); }

// The general road: the library's rounding of the exact value, then the
// toolkit's spelling of the exponent ("E+30", two digits at least).
[[gnu::noinline]] std::size_t FormatSlow(float value, char* out) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
  std::size_t n = 0;
  for (char* p = buf; p < res.ptr; ++p) out[n++] = (*p == 'e') ? 'E' : *p;
  return n;
}

// Inlined into the block loop; the rare values go the general road.
[[gnu::always_inline]] inline std::size_t FormatFast(float value, char* out) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const uint32_t magBits = bits & 0x7FFFFFFFu;
  // Zero, NaN and infinities fall outside too.
  if (magBits - kFastFirst >= kFastEnd - kFastFirst) {
    if (magBits == 0) {
      out[0] = '0';
      return 1;
    }
    return FormatSlow(value, out);
  }
  // Decimal exponent of the leading digit: a binary exponent spans at most
  // two decades.
  const double mag = std::fabs(static_cast<double>(value));
  const Decade& decade = kDecades[(magBits >> 23) - kFirstBinary];
  const bool nextDecade = mag >= decade.next;
  int e = decade.exponent + (nextDecade ? 1 : 0);
  // The product is exact, and adding and taking away 2^52 rounds it to a
  // whole number half to even, as the library rounds the exact value.
  const double scaled = mag * (nextDecade ? decade.scaleNext : decade.scale);
  uint32_t digits = static_cast<uint32_t>((scaled + 0x1p52) - 0x1p52);
  if (digits >= 10000000) {  // rounding carried into an eighth digit
    digits /= 10;
    ++e;
    if (e >= 7) return FormatSlow(value, out);
  }
  // The seven digit characters in one word (byte i = digit i), stored with
  // whole-word writes: the buffers have the room.
  const uint64_t word = DigitWord(digits) >> 8;  // seven digits, the leading zero dropped
  // Last significant digit: the highest digit byte that is not '0' (the
  // first digit never is).
  const uint64_t nonZero = (word ^ 0x0030303030303030ull) & 0x00FFFFFFFFFFFFFFull;
  const int last = (63 - __builtin_clzll(nonZero)) >> 3;
  // e >= 0: integer digits, ".", the rest (left out when there is none);
  // e < 0: "0.", -e - 1 zeros, the digits.
  const bool whole = e >= 0;
  const uint64_t head = whole ? word : 0x3030303030302E30ull;  // "0.000000"
  const uint64_t tail = whole ? word >> (8 * std::max(e + 1, 0)) : word;
  const int dot = whole ? e + 1 : 1;
  const int tailAt = whole ? e + 2 : 1 - e;
  const int length = whole ? (last > e ? last + 2 : e + 1) : 2 - e + last;
  out[0] = '-';
  char* p = out + (bits >> 31);
  Store(p, head);
  p[dot] = '.';
  Store(p + tailAt, tail);
  return static_cast<std::size_t>(p - out) + static_cast<std::size_t>(length);
}

}  // namespace

std::size_t FormatSingle(float value, char* out) { return FormatFast(value, out); }

std::string SingleText(float value) {
  char buf[kSingleTextMax];
  return std::string(buf, FormatSingle(value, buf));
}

std::size_t CsvBlockBound(int channels, int scans) {
  if (channels <= 0 || scans <= 0) return 0;
  return static_cast<std::size_t>(scans) * (static_cast<std::size_t>(channels) * (kSingleTextMax + 1) + 2);
}

std::size_t FormatCsvBlock(char* out, const float* data, int channels, int scans) {
  if (out == nullptr || data == nullptr || CsvBlockBound(channels, scans) == 0) return 0;
  const std::size_t stride = static_cast<std::size_t>(scans);
  char* p = out;
  for (std::size_t j = 0; j < stride; ++j) {
    const float* value = data + j;
    for (int c = 0; c < channels; ++c, value += stride) {
      p += FormatFast(*value, p);
      *p++ = ',';
    }
    *p++ = '\r';
    *p++ = '\n';
  }
  return static_cast<std::size_t>(p - out);
}

void AppendCsvBlock(std::string& text, const float* data, int channels, int scans) {
  const std::size_t bound = CsvBlockBound(channels, scans);
  if (data == nullptr || bound == 0) return;
  const std::size_t at = text.size();
  text.resize(at + bound);
  text.resize(at + FormatCsvBlock(text.data() + at, data, channels, scans));
}

}  // namespace orvane::forms
