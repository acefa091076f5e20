#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <random>
#include <string>

#include "core/toolkit.h"
#include "csv_format.h"

namespace orvane::forms {
namespace {

// The exact road: the library's seven-digit rounding with the toolkit's "E".
std::string Reference(float v) {
  if (v == 0.0f) return "0";
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 7);
  std::string s(buf, r.ptr);
  for (char& c : s)
    if (c == 'e') c = 'E';
  return s;
}

TEST(SingleText, WritesTheToolkitForm) {
  EXPECT_EQ(SingleText(3.0f), "3");
  EXPECT_EQ(SingleText(1.5f), "1.5");
  EXPECT_EQ(SingleText(-2.0f), "-2");
  EXPECT_EQ(SingleText(1.25f), "1.25");
  EXPECT_EQ(SingleText(0.0f), "0");
  EXPECT_EQ(SingleText(-0.0f), "0");
  EXPECT_EQ(SingleText(0.1f), "0.1");
  EXPECT_EQ(SingleText(1.0f / 3.0f), "0.3333333");
  EXPECT_EQ(SingleText(123456.7f), "123456.7");
  EXPECT_EQ(SingleText(1234567.0f), "1234567");
  EXPECT_EQ(SingleText(9999999.0f), "9999999");
  EXPECT_EQ(SingleText(1e30f), "1E+30");
  EXPECT_EQ(SingleText(0.00001f), "1E-05");
  EXPECT_EQ(SingleText(0.00012345f), "0.00012345");
  EXPECT_EQ(SingleText(-10.0f), "-10");
  EXPECT_EQ(SingleText(100.0f), "100");
}

// The fast road must agree with the exact one on every value it takes:
// digits, rounding carries (9.9999996 -> 10), the switch to exponents.
TEST(SingleText, AgreesWithTheExactConversion) {
  std::mt19937 gen(7);
  std::uniform_int_distribution<uint32_t> bits;
  std::uniform_real_distribution<float> small(-12.0f, 12.0f);
  for (int i = 0; i < 200000; ++i) {
    float v;
    if (i % 2) {
      uint32_t b = bits(gen);
      std::memcpy(&v, &b, sizeof v);
      if (!std::isfinite(v)) continue;
    } else {
      v = small(gen);
    }
    ASSERT_EQ(SingleText(v), Reference(v)) << "bits of " << v;
  }
  for (float v : {9.9999996f, 99999.996f, 0.99999996f, 0.0001f, 0.000099999f, 9999999.5f, 1e7f, 1048576.5f,
                  16777215.0f, 0.00010000001f}) {
    EXPECT_EQ(SingleText(v), Reference(v)) << v;
    EXPECT_EQ(SingleText(-v), Reference(-v)) << -v;
  }
}

// The CSV file and the live boxes spell a number as the rest of the monitor
// does.
TEST(SingleText, SpellsNumbersAsTheCoreToolkit) {
  std::mt19937 gen(11);
  std::uniform_int_distribution<uint32_t> bits;
  for (int i = 0; i < 50000; ++i) {
    uint32_t b = bits(gen);
    float v;
    std::memcpy(&v, &b, sizeof v);
    if (!std::isfinite(v)) continue;
    ASSERT_EQ(SingleText(v), core::SingleText(v)) << v;
  }
  for (float v : {0.0f, -0.0f, 3.0f, 1.5f, 1e-5f, 0.0001f, 1e7f, 1e30f, -123.4567f})
    EXPECT_EQ(SingleText(v), core::SingleText(v)) << v;
}

TEST(CsvBlock, EveryValueEndsInACommaAndEveryScanInCrLf) {
  // Two channels, two scans, column-major: channel 0 = 1.25, 3; channel 1 = -2, 0.5.
  const float block[] = {1.25f, 3.0f, -2.0f, 0.5f};
  std::string text = "x";
  AppendCsvBlock(text, block, 2, 2);
  EXPECT_EQ(text, "x1.25,-2,\r\n3,0.5,\r\n");
}

TEST(CsvBlock, BadCountsWriteNothing) {
  const float block[] = {1.0f};
  std::string text;
  AppendCsvBlock(text, block, 0, 1);
  AppendCsvBlock(text, block, 1, -5);
  AppendCsvBlock(text, nullptr, 1, 1);
  EXPECT_TRUE(text.empty());
}

}  // namespace
}  // namespace orvane::forms
