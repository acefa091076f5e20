#include "single_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace orvane::core {
namespace {

constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12};

// The seven-digit road takes 1 <= |v| < 1e7: the bit patterns of 1 and of
// the first single beyond.
constexpr uint32_t kSevenFirst = 0x3F800000u;  // 1
constexpr uint32_t kSevenEnd = 0x4B189680u;    // 1e7
// The road of the shortest fixed text takes 1e-4 < |v| < 1, where a
// measured value mostly lies.
constexpr uint32_t kBelowOneFirst = 0x38D1B718u;  // 1.0000000475e-4

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

// The shortest text that reads back to the single of these bits (1e-4 <
// v < 1) in fixed form, or 0 where the exponent form is shorter. The reals
// that read back to v lie within half the gap to either neighbour (ends
// included when v's last bit is 0); the shortest text is the decimal in
// that interval with the fewest digits, the nearest to v among equals.
// With at most 12 decimals after the point every product below is exact:
// a power of ten up to 1e12 has at most 28 significant bits, an end of the
// interval 25.
std::size_t ShortestBelowOne(uint32_t bits, char* out) {
  float single;
  std::memcpy(&single, &bits, sizeof single);
  const double v = single;
  const uint32_t fraction = bits & 0x7FFFFFu;
  const uint64_t halfBits = static_cast<uint64_t>((bits >> 23) - 127 - 24 + 1023) << 52;
  double half;  // half the gap to the next single up
  std::memcpy(&half, &halfBits, sizeof half);
  const double hi = v + half;
  const double lo = v - (fraction == 0 ? half / 2 : half);  // below a power of two the gap halves
  const bool endsIn = (fraction & 1) == 0;
  const int e = v >= 1e-1 ? -1 : v >= 1e-2 ? -2 : v >= 1e-3 ? -3 : -4;  // exponent of the first digit
  // The decimals with p digits after the point in the interval: nLo..nHi.
  int64_t nLo = 0, nHi = 0;
  auto within = [&](int p) {
    const double l = lo * kPow10[p], h = hi * kPow10[p];
    nLo = static_cast<int64_t>(l);
    if (static_cast<double>(nLo) < l || (!endsIn && static_cast<double>(nLo) == l)) ++nLo;
    nHi = static_cast<int64_t>(h);
    if (!endsIn && static_cast<double>(nHi) == h) --nHi;
    return nLo <= nHi;
  };
  auto nearest = [&](int p) {
    const int64_t n = static_cast<int64_t>((v * kPow10[p] + 0x1p52) - 0x1p52);
    return n < nLo ? nLo : n > nHi ? nHi : n;
  };
  // Seven significant digits: the interval is narrower than 1.2 of their
  // steps, so it holds at most two, and any shorter text is one of them
  // with trailing zeros. Fewer than seven never hold one alone.
  int p = 6 - e;
  int64_t n;
  if (within(p)) {
    n = nearest(p);
    if (nLo != nHi) {
      const int64_t other = n == nLo ? nHi : nLo;
      for (int64_t step = 10; step <= 1000000; step *= 10) {
        if (n % step != 0 && other % step == 0) n = other;
        if (n % step != 0) break;
      }
    }
  } else {
    p = 7 - e;  // eight digits, else nine, which always do
    if (!within(p)) within(++p);
    n = nearest(p);
  }
  while (n % 10 == 0) {
    n /= 10;
    --p;
  }
  if (p == 4 && n < 10) return 0;  // "1E-04" is shorter than "0.0001"
  // "0.", then the p digits of n with its leading zeros.
  char field[32];
  Store(field, DigitWord(static_cast<uint32_t>(n / 100000000)));
  Store(field + 8, DigitWord(static_cast<uint32_t>(n % 100000000)));
  Store(field + 16, 0);
  Store(field + 24, 0);
  out[0] = '0';
  out[1] = '.';
  std::memcpy(out + 2, field + 16 - p, 16);
  return static_cast<std::size_t>(p) + 2;
}

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
    if (magBits - kBelowOneFirst < kSevenFirst - kBelowOneFirst) {
      out[0] = '-';
      const std::size_t sign = bits >> 31;
      if (const std::size_t n = ShortestBelowOne(magBits, out + sign)) return sign + n;
    }
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
