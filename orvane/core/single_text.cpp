#include "single_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace orvane::core {
namespace {

constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};

// The seven-digit road takes 1 <= |v| < 1e7: the bit patterns of 1 and of
// the first single beyond.
constexpr uint32_t kSevenFirst = 0x3F800000u;  // 1
constexpr uint32_t kSevenEnd = 0x4B189680u;    // 1e7

// Per binary exponent of that range (2^0 up to 2^23, biased 127 to 150):
// the decimal exponent of its least value, the power of ten of the next
// decade, and the scales that bring a value of either decade to seven whole
// digits. Each scale holds at most 24 significant bits, so its product with
// a single's 24 is exact in a double.
struct Decade {
  int exponent;
  double next;
  double scale;
  double scaleNext;
};
constexpr int kFirstBinary = 127;
constexpr auto kDecades = [] {
  std::array<Decade, 24> table{};
  for (int i = 0; i < static_cast<int>(table.size()); ++i) {
    const int e = (i * 78913) >> 18;  // floor(i * log10(2))
    table[i] = {e, kPow10[e + 1], kPow10[6 - e], kPow10[e < 6 ? 5 - e : 0]};
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

std::size_t WithToolkitExponent(char* out, const char* text, const char* end) {
  std::size_t n = 0;
  for (const char* p = text; p < end; ++p) out[n++] = (*p == 'e') ? 'E' : *p;
  return n;
}

// Values that seven digits would not bring back: the library's shortest
// text that reads back to the same single (fixed or exponent form,
// whichever is shorter), NaN and the infinities as it spells them.
[[gnu::noinline]] std::size_t FormatShortest(float value, char* out) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  return WithToolkitExponent(out, buf, res.ptr);
}

// Seven digits by the library's rounding of the exact value.
[[gnu::noinline]] std::size_t FormatSevenDigits(float value, char* out) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
  return WithToolkitExponent(out, buf, res.ptr);
}

}  // namespace

std::size_t FormatSingle(float value, char* out) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const uint32_t magBits = bits & 0x7FFFFFFFu;
  if (magBits - kSevenFirst >= kSevenEnd - kSevenFirst) {
    if (magBits == 0) {
      out[0] = '0';
      return 1;
    }
    return FormatShortest(value, out);
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
    if (e >= 7) return FormatSevenDigits(value, out);
  }
  // The seven digit characters in one word (byte i = digit i), stored with
  // whole-word writes: the buffers have the room.
  const uint64_t word = DigitWord(digits) >> 8;  // seven digits, the leading zero dropped
  // Last significant digit: the highest digit byte that is not '0' (the
  // first digit never is).
  const uint64_t nonZero = (word ^ 0x0030303030303030ull) & 0x00FFFFFFFFFFFFFFull;
  const int last = (63 - __builtin_clzll(nonZero)) >> 3;
  // The integer digits, ".", the rest (left out when there is none).
  out[0] = '-';
  char* p = out + (bits >> 31);
  Store(p, word);
  p[e + 1] = '.';
  Store(p + e + 2, word >> (8 * (e + 1)));
  const int length = last > e ? last + 2 : e + 1;
  return static_cast<std::size_t>(p - out) + static_cast<std::size_t>(length);
}

std::string SingleText(float value) {
  char buf[kSingleTextMax];
  return std::string(buf, FormatSingle(value, buf));
}

}  // namespace orvane::core
