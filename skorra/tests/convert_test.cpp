// Clock, converter and level conversions, and the control-code table.
#include <gtest/gtest.h>
#include <skorra.h>

#include "codes.h"
#include "convert.h"
#include "worker.h"

namespace skorra {
namespace {

TEST(SkorraLibClock, FixedClockCodesByExactValue) {
  struct Case {
    float f;
    uint32_t code;
  } cases[] = {{1000000.0f, 3}, {999999.0f, 255}, {0.0f, 254}, {8e6f, 0}, {78125.0f, 23}, {20e6f, 24}};
  for (const Case& c : cases) EXPECT_EQ(frequencyToClockCode(c.f), c.code) << c.f;
}

TEST(SkorraLibClock, DividersByKindAndTheirEdges) {
  EXPECT_EQ(frequencyToDivider(1000.0f, 0), 8000u);
  EXPECT_EQ(frequencyToDivider(1000.0f, 2), 20000u);
  for (uint32_t kind = 0; kind <= 7; ++kind) {
    EXPECT_EQ(frequencyToDivider(-1.0f, kind), 0xFFFFFFFFu);
    EXPECT_EQ(frequencyToDivider(0.0f, kind), 0u);
    // Faster than any oscillator: the divider never reaches 0.
    if (kind >= 3) {
      EXPECT_NE(frequencyToDivider(1e9f, kind) & 0xFFFFFF, 0u) << kind;
    }
    // Other negative values are not converted.
    EXPECT_EQ(frequencyToDivider(-5.0f, kind), 0u);
  }
  EXPECT_EQ(frequencyToDivider(0.001f, 4), 0xFFFFFFu);
  EXPECT_EQ(frequencyToDivider(0.001f, 7), 0x1FFFFFFu);
  // Kind 3 takes 2.4576 MHz only when it is strictly better.
  EXPECT_EQ(frequencyToDivider(9600.0f, 3), 256u | 0x1000000u);
  EXPECT_EQ(frequencyToDivider(1000.0f, 3), 8000u);
  EXPECT_FLOAT_EQ(dividerToFrequency(8000, kDivOsc8M), 1000.0f);
  EXPECT_FLOAT_EQ(dividerToFrequency(256 | 0x1000000u, kDivOsc2_4576M), 9600.0f);
  EXPECT_EQ(dividerToFrequency(5, 9), 0.0f);
  EXPECT_EQ(dividerToFrequency(0xFFFFFFFFu, kDivOsc8M), -1.0f);
}

TEST(SkorraLibClock, TwoStagePairTakesTheFirstExactDivisor) {
  EXPECT_EQ(findClockDividerPair(1000.0f), (4000u << 16) | 2u);
  EXPECT_EQ(findClockDividerPair(0.0f), 0u);
  uint32_t code = findClockDividerPair(3.0f);  // 8e6 / 3 needs a large first stage
  uint32_t q = code & 0xFFFF, quotient = code >> 16;
  ASSERT_NE(q * quotient, 0u);
  EXPECT_NEAR(8e6 / (double(q) * quotient), 3.0, 0.01);
  // Faster than 8 MHz: the smallest pair, never a zero product.
  code = findClockDividerPair(16e6f);
  EXPECT_NE((code & 0xFFFF) * (code >> 16), 0u);
}

TEST(SkorraLibClock, BaseOscillatorsNumberedFromOne) {
  EXPECT_EQ(baseOscToDivider(1000.0f, 1), 8000u);
  EXPECT_EQ(baseOscToDivider(1000.0f, 2), 20000u);
  EXPECT_EQ(baseOscToDivider(-1.0f, 3), 0xFFFFFFFFu);
  EXPECT_FLOAT_EQ(baseOscDividerToFrequency(8000, 1), 1000.0f);
  EXPECT_FLOAT_EQ(baseOscDividerToFrequency(0x1000000u | 12288, 7), 1000.0f);
}

TEST(SkorraLibLevels, VoltToCodeStaysInsideTheScale) {
  // +-10 V on 12 bits.
  EXPECT_EQ(voltToCode(0.0f, 0x80000, 2, 12, 4591), 2048u);
  EXPECT_EQ(voltToCode(10.0f, 0x80000, 2, 12, 4591), 4095u);   // top of span: the top code, as 4096 needs 13 bits
  EXPECT_EQ(voltToCode(-10.0f, 0x80000, 2, 12, 4591), 0u);
  EXPECT_EQ(voltToCode(-11.0f, 0x80000, 2, 12, 4591), 0u);     // below: 0, not the top
  EXPECT_EQ(voltToCode(11.0f, 0x80000, 2, 12, 4591), 4095u);
  EXPECT_EQ(voltToCode(5.0f, 0x40000080, 1, 16, 4591), voltToCode(5.0f, 0x80, 1, 16, 4591));
  // Mode 8 always 12 bits; 4638 16 bits in mode 1.
  EXPECT_EQ(voltToCode(10.0f, 0x80000, 8, 16, 4591), 4095u);
  EXPECT_EQ(voltToCode(0.0f, 0x80000, 1, 12, 4638), 32768u);
  // 4518 in mode 2.
  EXPECT_EQ(voltToCode(0.0f, 0, 2, 12, 4518), 2048u);
  EXPECT_EQ(voltToCode(12.0f, 0, 2, 12, 4518), 4095u);
  EXPECT_EQ(voltToCode(-12.0f, 0, 2, 12, 4518), 0u);
}

TEST(SkorraLibLevels, CurrentRangesAreTakenInMilliamperesForCheckAndCode) {
  EXPECT_EQ(checkTriggerLevel(0x1000, 10.0f), 0u);
  EXPECT_EQ(checkTriggerLevel(0x2000, 3.0f), SK_E_INVALID_CONFIG);
  // A level that passes lands mid-scale, not at the clamp.
  EXPECT_EQ(voltToCode(10.0f, 0x1000, 2, 12, 4591), 2048u);
  EXPECT_EQ(voltToCode(12.0f, 0x2000, 2, 12, 4591), 2048u);
}

TEST(SkorraLibLevels, HysteresisCodesAndTheirBounds) {
  EXPECT_EQ(voltToCodeSpan(1.0f, 0x80000, 2, 12, 4591), 26u);  // 1 / (20/4096) / 8
  EXPECT_EQ(voltToCodeSpan(1.0f, 0x80000, 1, 12, 4591), 0u);
  EXPECT_EQ(voltToCodeSpan(1.0f, 0x4000000, 2, 12, 4591), 255u);  // counted as no span
  EXPECT_EQ(voltToCodeSpan(1.0f, 0x400, 2, 12, 4591), 255u);      // unknown range: no span
  EXPECT_EQ(voltToCodeSpan(100.0f, 0x80000, 4, 12, 4591), 255u);
  EXPECT_EQ(bmCheckTriggerLevel(0x80000, 5.0f, 10.0f), 0u);
  EXPECT_EQ(bmCheckTriggerLevel(0x80000, 5.0f, 10.5f), SK_E_INVALID_CONFIG);
  EXPECT_EQ(bmCheckTriggerLevel(0x8, 11.0f, 1.0f), SK_E_INVALID_CONFIG);
  EXPECT_EQ(bmCheckTriggerLevel(0x80000000u, 0.0f, 0.0f), 0u);
  EXPECT_EQ(bmCheckTriggerLevel(0x80000000u, 0.1f, 0.0f), SK_E_INVALID_CONFIG);
  EXPECT_FLOAT_EQ(codeToVoltConfig(2048, 0x80000, 12), 0.0f);
  EXPECT_FLOAT_EQ(codeToVoltConfig2(26, 0x80000, 12, 8), 26 * 20.0f * 8 / 4096);
}

TEST(SkorraLibLevels, FrequencyLimitsByMode) {
  const uint32_t periods[4] = {1000, 2000, 0, 4000};
  EXPECT_EQ(checkMaxFrequency(1e6f, 1, 1, 8, periods), 0u);
  EXPECT_EQ(checkMaxFrequency(1e6f, 1, 2, 8, periods), SK_E_INVALID_CONFIG);
  EXPECT_EQ(checkMaxFrequency(500000.0f, 1, 2, 0, periods), 0u);
  EXPECT_EQ(checkMaxFrequency(62500.0f, 2, 2, 4, periods), 0u);
  EXPECT_EQ(checkMaxFrequency(62501.0f, 2, 2, 4, periods), SK_E_INVALID_CONFIG);
  EXPECT_EQ(checkMaxFrequency(1e12f, 4, 2, 4, periods), 0u);
}

TEST(SkorraLibCodes, ControlCodesForBothPlatformFamilies) {
  EXPECT_EQ(controlCode(0xAFB, true), 0x8CE42BEEu);
  EXPECT_EQ(controlCode(0xB0C, true), 0x8CE42C31u);
  EXPECT_EQ(controlCode(0x901, true), 0x8CE42404u);
  EXPECT_EQ(controlCode(0x901, false), 0x901u);
  EXPECT_EQ(controlCode(0xAD0, false), 0u);
  EXPECT_EQ(controlCode(0xB14, false), 0u);
  EXPECT_EQ(controlCode(0xAF0, true), 0u);
  int functions = 0;
  for (uint32_t fn = 0x900; fn <= 0xB14; ++fn) functions += isDriverFunction(fn);
  EXPECT_EQ(functions, 97);
}

TEST(SkorraLibCodes, SystemErrorsOfFailedCalls) {
  struct Case {
    DWORD error;
    uint32_t result;
  } cases[] = {{5, SK_E_UNKNOWN_HANDLE}, {6, SK_E_UNKNOWN_HANDLE}, {21, SK_E_NOT_READY},
               {87, SK_E_INVALID_ARGUMENT}, {122, SK_E_NO_RESOURCES}, {998, SK_E_NO_RESOURCES},
               {1450, SK_E_NO_RESOURCES}, {1453, SK_E_NO_RESOURCES}, {170, SK_E_BUSY}, {31, 31},
               {0, SK_E_NOT_READY}};
  for (const Case& c : cases) EXPECT_EQ(mapSystemError(c.error), c.result) << c.error;
}

TEST(SkorraLibMessages, MessageWordFromFlagsAndMask) {
  WPARAM w = 0;
  EXPECT_FALSE(messageWord(0x7F, 0, 5, w));
  ASSERT_TRUE(messageWord(0x41, 0x41, 3, w));
  EXPECT_EQ(w, (WPARAM)((3u << 16) + 1));
  ASSERT_TRUE(messageWord(0x40, 0x7F, 3, w));
  EXPECT_EQ(w, (WPARAM)0x40);
  EXPECT_FALSE(messageWord(0x80, 0xFF, 0, w));
  // The word is 32 bits wide: a high word above 16 bits loses its top.
  ASSERT_TRUE(messageWord(1, 1, 0xFFFFFu, w));
  EXPECT_EQ(w, (WPARAM)0xFFFF0001u);
}

}  // namespace
}  // namespace skorra
