#include "convert.h"

#include <cmath>

#include <skorra.h>

namespace skorra {
namespace {

using ld = long double;

constexpr uint32_t kClampDivider = 0xFFFFFF;

struct RangeRow {
  uint32_t code;
  double low, high;
};

constexpr RangeRow kRanges[] = {
    {0x1, 0, 1},           {0x2, 0, 2.5},          {0x4, 0, 5},
    {0x8, 0, 10},          {0x10, 1, 5},           {0x20, 0, 2},
    {0x40, 0, 0.125},      {0x80, 0, 1.25},        {0x100, 0, 0.625},
    {0x200, 0, 0.15625},   {0x1000, 0, 20},        {0x2000, 4, 20},
    {0x10000, -1, 1},      {0x20000, -2.5, 2.5},   {0x40000, -5, 5},
    {0x80000, -10, 10},    {0x100000, -20, 20},    {0x200000, -50, 50},
    {0x400000, -0.125, 0.125}, {0x800000, -1.25, 1.25}, {0x4000000, -1.25, 1.25},
    {0x1000000, -0.625, 0.625}, {0x8000000, -0.625, 0.625},
    {0x2000000, -0.15625, 0.15625}, {0x10000000, -0.15625, 0.15625},
    {0x80000000u, 0, 0},
};

const RangeRow* findRange(uint32_t range) {
  range &= ~SK_RANGE_FLAG;
  for (const RangeRow& r : kRanges)
    if (r.code == range) return &r;
  return nullptr;
}

// Round as the driver expects: add 0.5 and truncate. Values outside u32
// (negative, huge, NaN) give 0 or the top, never undefined behaviour.
uint32_t roundU32(ld v) {
  if (!(v >= 0)) return 0;
  v += 0.5L;
  if (v >= 4294967295.0L) return 0xFFFFFFFFu;
  return static_cast<uint32_t>(v);
}

uint32_t truncU32(ld v) {
  if (!(v >= 0)) return 0;
  if (v >= 4294967295.0L) return 0xFFFFFFFFu;
  return static_cast<uint32_t>(v);
}

// One oscillator with a 24-bit divider: n rounded, clamped, and n - 1
// when it is no worse (better if strict). n stays at least 1.
uint32_t oscDivider(ld base, ld f, bool strictlyBetter, bool guardAboveTwo) {
  uint32_t n = roundU32(base / f);
  if (n > kClampDivider - 1) return kClampDivider;
  if (n < 1) n = 1;
  bool mayLower = guardAboveTwo ? n > 2 : n > 1;
  if (mayLower) {
    ld e0 = std::fabs(base / n - f), e1 = std::fabs(base / (n - 1) - f);
    if (strictlyBetter ? e1 < e0 : e1 <= e0) --n;
  }
  return n;
}

ld oscError(ld base, uint32_t n, ld f) { return n == 0 ? 1e30L : std::fabs(base / n - f); }

uint32_t dualOsc(ld base1, ld base2, ld f) {
  uint32_t a = oscDivider(base1, f, false, false);
  uint32_t b = oscDivider(base2, f, false, false);
  return oscError(base2, b, f) < oscError(base1, a, f) ? (b | 0x1000000u) : a;
}

}  // namespace

Span rangeSpan(uint32_t range) {
  const RangeRow* r = findRange(range);
  return r ? Span{r->low, r->high} : Span{0, 0};
}

uint32_t findClockDividerPair(float frequency) {
  if (frequency == 0.0f) return 0;
  if (!(frequency > 0.0f)) return 0;
  ld base = 8e6L, N = base / frequency;
  uint32_t best = 0;
  ld bestErr = 0;
  bool have = false;
  for (int k = 0; k < 3; ++k) {
    uint32_t n = truncU32(N + k);
    uint32_t q = 2, quotient = n, bestQ = 2, bestRem = n;
    if (n < 2) {
      // Too fast for two stages: the smallest pair there is.
      bestQ = 1;
      quotient = 2;
    } else {
      bool found = false;
      for (q = 2; q < 0xFFFF; ++q) {
        uint32_t rem = n % q;
        if (rem < bestRem && n / q < 0x10000u) {
          bestRem = rem;
          bestQ = q;
          found = true;
          if (rem == 0) break;
        }
      }
      if (!found) bestQ = 2;
      quotient = n / bestQ;
      if (quotient < 2) {
        quotient *= 2;
        bestQ /= 2;
        if (bestQ == 0) bestQ = 1;
        if (quotient == 0) quotient = 2;
      }
    }
    uint64_t product = static_cast<uint64_t>(bestQ) * quotient;
    ld err = product == 0 ? 1e30L : std::fabs(base / product - frequency);
    if (!have || err < bestErr) {
      have = true;
      bestErr = err;
      best = ((quotient & 0xFFFFu) << 16) | (bestQ & 0xFFFFu);
    }
  }
  return best;
}

uint32_t frequencyToClockCode(float frequency) {
  struct Row { float f; uint32_t code; };
  static constexpr Row kFixed[] = {
      {8e6f, 0}, {4e6f, 1}, {2e6f, 2}, {1e6f, 3}, {5e5f, 4}, {2.5e5f, 5}, {1.25e5f, 6}, {62500.0f, 7},
      {16e6f, 8}, {10e6f, 16}, {5e6f, 17}, {2.5e6f, 18}, {1.25e6f, 19}, {625000.0f, 20}, {312500.0f, 21},
      {156250.0f, 22}, {78125.0f, 23}, {20e6f, 24},
  };
  if (frequency == 0.0f) return 254;
  for (const Row& r : kFixed)
    if (r.f == frequency) return r.code;
  return 255;
}

uint32_t frequencyToDivider(float frequency, uint32_t kind) {
  if (frequency == 0.0f) return 0;
  if (frequency == -1.0f) return 0xFFFFFFFFu;
  if (!(frequency > 0.0f)) return 0;
  ld f = frequency;
  switch (kind) {
    case 0:
    case 1:
      return roundU32(8e6L / f);
    case 2:
      return roundU32(2e7L / f);
    case 3:
      return dualOsc(8e6L, 2.4576e6L, f);
    case 4:
      return oscDivider(12.288e6L, f, false, true);
    case 5:
      return dualOsc(40e6L, 24.576e6L, f);
    case 6:
      return oscDivider(36e6L, f, false, true);
    case 7: {
      uint32_t n = oscDivider(2.4576e6L, f, false, true);
      return n | 0x1000000u;
    }
    default:
      return 0;
  }
}

float dividerToFrequency(uint32_t code, uint32_t oscillator) {
  if (code == 0) return 0.0f;
  if (code == 0xFFFFFFFFu) return -1.0f;
  ld base;
  uint32_t div = code;
  switch (oscillator) {
    case kDivOsc8M: base = 8e6L; break;
    case kDivOsc20M: base = 2e7L; break;
    case kDivOsc2_4576M: base = 2.4576e6L; div &= 0xFFFFFF; break;
    case kDivOsc40M: base = 4e7L; break;
    case kDivOsc24_576M: base = 24.576e6L; div &= 0xFFFFFF; break;
    case kDivOsc36M: base = 36e6L; div &= 0xFFFFFF; break;
    case kDivOsc12_288M: base = 12.288e6L; div &= 0xFFFFFF; break;
    default: return 0.0f;
  }
  if (div == 0) return 0.0f;
  return static_cast<float>(base / div);
}

namespace {
// Base oscillators of SkSetBaseOsc / SkGetBaseOsc, numbered from 1.
constexpr ld kBaseOsc[8] = {0, 8e6L, 2e7L, 2.4576e6L, 4e7L, 24.576e6L, 36e6L, 12.288e6L};
}  // namespace

uint32_t baseOscToDivider(float frequency, uint32_t oscillator) {
  if (frequency == 0.0f) return 0;
  if (frequency == -1.0f) return 0xFFFFFFFFu;
  if (oscillator < 1 || oscillator > 7 || !(frequency > 0.0f)) return 0;
  if (oscillator == 2) return roundU32(kBaseOsc[2] / frequency);
  return oscDivider(kBaseOsc[oscillator], frequency, true, false);
}

float baseOscDividerToFrequency(uint32_t divider, uint32_t oscillator) {
  if (divider == 0) return 0.0f;
  if (divider == 0xFFFFFFFFu) return -1.0f;
  if (oscillator < 1 || oscillator > 7) return 0.0f;
  uint32_t d = divider & 0xFFFFFF;
  if (d == 0) return 0.0f;
  return static_cast<float>(kBaseOsc[oscillator] / d);
}

uint32_t voltToCode(float volts, uint32_t range, uint32_t mode, uint32_t bits, uint32_t model) {
  if ((model == 4518 || model == 4520) && mode == 2) {
    if (volts > 10.0f) return 4095;
    if (volts < -10.0f) return 0;
    ld v = volts * 1000.0L / 4.8828L + 2048.0L;
    uint32_t code = truncU32(v);
    return code >= 4096 ? 4095 : code;
  }
  if (model == 4518 || model == 4520 || model == 4611) {
    // the given resolution
  } else if (model == 4638 || model == 4639 || model == 5065 || model == 5066) {
    bits = mode == 1 ? 16 : 12;
  } else if (mode == 8) {
    bits = 12;
  }
  if (bits == 0 || bits > 31) return 0;
  Span s = rangeSpan(range);
  ld full = static_cast<ld>(1u << bits);
  ld step = (s.high - s.low) / full;
  if (step == 0) return 0;
  // Below the span gives 0, at or above its top the top code 2^bits - 1: a
  // level code is `bits` wide, so 2^bits itself (the span's high end) would
  // not fit it and would reach the driver as a different level.
  uint32_t code = roundU32((volts - s.low) / step);
  uint32_t top = (1u << bits) - 1;
  return code > top ? top : code;
}

uint32_t voltToCodeSpan(float hysteresis, uint32_t range, uint32_t mode, uint32_t, uint32_t model) {
  uint32_t masked = range & ~SK_RANGE_FLAG;
  Span s = rangeSpan(range);
  ld span = masked > 0x2000000u ? 0 : s.high - s.low;
  ld h = hysteresis, v;
  if (mode == 8) {
    v = model == 4611 ? h / (span / 16777216.0L) / 32 : h / (span / 4096.0L) / 8;
  } else if (mode == 2) {
    v = h / (span / 4096.0L) / 8;
  } else if (mode == 4) {
    v = h / (span / 1024.0L) / 2;
  } else {
    return 0;
  }
  if (span == 0) return 255;
  uint32_t code = roundU32(v);
  return code > 255 ? 255 : code;
}

float codeToVoltConfig(uint32_t code, uint32_t range, uint32_t bits) {
  if (bits > 31) return 0.0f;
  Span s = rangeSpan(range);
  return static_cast<float>(s.low + code * ((s.high - s.low) / static_cast<ld>(1ull << bits)));
}

float codeToVoltConfig2(uint32_t code, uint32_t range, uint32_t bits, uint32_t mode) {
  Span s = rangeSpan(range);
  ld span = s.high - s.low;
  if (mode == 4) return static_cast<float>(code * span * 2 / 1024.0L);
  if (bits > 31) return 0.0f;
  ld full = static_cast<ld>(1ull << bits);
  return static_cast<float>(code * span * (bits == 24 ? 32 : 8) / full);
}

float codeToVoltRange(uint32_t code, uint32_t bits, uint32_t range) { return codeToVoltConfig(code, range, bits); }

uint32_t checkMaxFrequency(float frequency, uint32_t mode, uint32_t clockType, uint32_t channels,
                           const uint32_t periods[4]) {
  auto per = [](uint32_t ns) -> ld { return ns == 0 ? 1e30L : 1e9L / ns; };
  ld limit;
  switch (mode) {
    case 1:
      if (clockType == 1 || channels == 1) limit = per(periods[0]);
      else if (channels == 0) limit = per(periods[1]);
      else limit = per(periods[1]) / channels;
      break;
    case 2:
      limit = channels == 1 ? per(periods[0]) : per(periods[3]) / (channels == 0 ? 1 : channels);
      break;
    case 8:
      limit = (clockType == 1 || channels == 1) ? per(periods[0]) : per(periods[1]) / (channels == 0 ? 1 : channels);
      break;
    default:
      return 0;
  }
  return limit < frequency ? SK_E_INVALID_CONFIG : 0;
}

uint32_t checkTriggerLevel(uint32_t range, float level) {
  uint32_t masked = range & ~SK_RANGE_FLAG;
  if (masked == 0x80000000u) return level <= 0.0f ? 0 : SK_E_INVALID_CONFIG;
  const RangeRow* r = findRange(range);
  if (r == nullptr) return 0;
  return (level >= r->low && level <= r->high) ? 0 : SK_E_INVALID_CONFIG;
}

uint32_t bmCheckTriggerLevel(uint32_t range, float level, float hysteresis) {
  uint32_t masked = range & ~SK_RANGE_FLAG;
  if (masked == 0x80000000u) return (level <= 0.0f && hysteresis <= 0.0f) ? 0 : SK_E_INVALID_CONFIG;
  struct Bound { uint32_t code; double bound; };
  static constexpr Bound kBounds[] = {
      {0x1, 0.5}, {0x2, 1.25}, {0x4, 2.5}, {0x8, 5}, {0x10, 2}, {0x20, 1}, {0x1000, 10}, {0x2000, 8},
      {0x10000, 1}, {0x20000, 2.5}, {0x40000, 5}, {0x80000, 10}, {0x100000, 20}, {0x200000, 50}, {0x800000, 1.25},
  };
  for (const Bound& b : kBounds) {
    if (b.code != masked) continue;
    const RangeRow* r = findRange(masked);
    if (!(level >= r->low && level <= r->high)) return SK_E_INVALID_CONFIG;
    return hysteresis <= b.bound ? 0 : SK_E_INVALID_CONFIG;
  }
  return 0;
}

}  // namespace skorra
