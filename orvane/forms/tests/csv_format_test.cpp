#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "csv_format.h"

namespace orvane::forms {
namespace {

// The exact road: seven digits by the library's rounding from 1 up to
// below 1e7 in magnitude, else the library's shortest text that reads back;
// the toolkit's "E" either way.
std::string Reference(float v) {
  if (v == 0.0f) return "0";
  char buf[32];
  const float mag = std::fabs(v);
  auto r = mag >= 1.0f && mag < 1e7f ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 7)
                                     : std::to_chars(buf, buf + sizeof buf, v);
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
  EXPECT_EQ(SingleText(123456.7f), "123456.7");
  EXPECT_EQ(SingleText(1234567.0f), "1234567");
  EXPECT_EQ(SingleText(9999999.0f), "9999999");
  EXPECT_EQ(SingleText(1e30f), "1E+30");
  EXPECT_EQ(SingleText(-10.0f), "-10");
  EXPECT_EQ(SingleText(100.0f), "100");
}

float FromBits(uint32_t b) {
  float v;
  std::memcpy(&v, &b, sizeof v);
  return v;
}

// Exact halves at the seventh digit go to the even neighbour, as the
// library rounds; just below a power of ten the digits stay nines.
TEST(SingleText, RoundsHalvesToEvenAndKeepsTheDecade) {
  EXPECT_EQ(SingleText(1000000.5f), "1000000");
  EXPECT_EQ(SingleText(1000001.5f), "1000002");
  EXPECT_EQ(SingleText(1048576.5f), "1048576");
  EXPECT_EQ(SingleText(-4194303.5f), "-4194304");
  EXPECT_EQ(SingleText(8388607.5f), "8388608");
  EXPECT_EQ(SingleText(999999.9375f), "999999.9");
  EXPECT_EQ(SingleText(-9.99999904f), "-9.999999");
  EXPECT_EQ(SingleText(9999999.0f), "9999999");
  EXPECT_EQ(SingleText(1e7f), "1E+07");
}

// Below 1 and from 1e7 on, seven digits would read back as another single:
// the shortest text that reads back, with its leading zero.
TEST(SingleText, SmallAndLargeValuesReadBackToTheSameSingle) {
  const struct {
    float value;
    const char* text;
  } kCases[] = {{0.045016076f, "0.045016076"}, {1.0f / 3.0f, "0.33333334"}, {0.1f, "0.1"},
                {-0.5f, "-0.5"},               {0.0999999940f, "0.099999994"}, {0.00012345f, "0.00012345"},
                {1e-5f, "1E-05"},              {1e-4f, "1E-04"},             {0.001f, "0.001"},
                {16777215.0f, "16777215"},     {-12345678.0f, "-12345678"},  {1.2345678e30f, "1.2345678E+30"},
                {1.17549435e-38f, "1.1754944E-38"}};
  for (const auto& c : kCases) EXPECT_EQ(SingleText(c.value), c.text) << c.text;
  std::mt19937 gen(5);
  std::uniform_int_distribution<uint32_t> bits;
  for (int i = 0; i < 100000; ++i) {
    const float v = FromBits(bits(gen));
    if (!std::isfinite(v) || (std::fabs(v) >= 1.0f && std::fabs(v) < 1e7f)) continue;
    ASSERT_EQ(std::strtof(SingleText(v).c_str(), nullptr), v) << SingleText(v);
  }
}

// The fast road must agree with the exact one on every value: random bit
// patterns (NaN, infinities, subnormals included), values as measured, every
// binary exponent around the fast range, and both sides of each power of
// ten.
TEST(SingleText, AgreesWithTheExactConversion) {
  std::mt19937 gen(7);
  std::uniform_int_distribution<uint32_t> bits;
  std::uniform_real_distribution<float> measured(-12.0f, 12.0f);
  std::vector<float> values;
  for (int i = 0; i < 100000; ++i) values.push_back(FromBits(bits(gen)));
  for (int i = 0; i < 100000; ++i) values.push_back(measured(gen));
  for (uint32_t biased = 100; biased <= 160; ++biased)
    for (int i = 0; i < 2000; ++i) values.push_back(FromBits(biased << 23 | (bits(gen) & 0x807FFFFFu)));
  for (int k = -6; k <= 9; ++k) {
    float up = std::pow(10.0f, static_cast<float>(k)), down = up;
    for (int step = 0; step < 8; ++step) {
      values.push_back(up);
      values.push_back(down);
      up = std::nextafter(up, std::numeric_limits<float>::infinity());
      down = std::nextafter(down, 0.0f);
    }
  }
  const float inf = std::numeric_limits<float>::infinity();
  for (float v : {inf, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::denorm_min(),
                  std::numeric_limits<float>::min(), std::numeric_limits<float>::max(), 16777215.0f, 0.00012345f})
    values.push_back(v);
  for (float v : values) {
    ASSERT_EQ(SingleText(v), Reference(v)) << "bits of " << v;
    ASSERT_EQ(SingleText(-v), Reference(-v)) << "bits of " << -v;
  }
}

TEST(CsvBlock, EveryValueEndsInACommaAndEveryScanInCrLf) {
  // Two channels, two scans, column-major: channel 0 = 1.25, 3; channel 1 = -2, 0.5.
  const float block[] = {1.25f, 3.0f, -2.0f, 0.5f};
  std::string text = "x";
  AppendCsvBlock(text, block, 2, 2);
  EXPECT_EQ(text, "x1.25,-2,\r\n3,0.5,\r\n");
}

// The longest texts, fast road and general road, in a buffer of exactly
// the bound (the sanitizer build sees any byte beyond); the block is the
// values' texts in scan order.
TEST(CsvBlock, LongestValuesStayWithinTheBound) {
  const int channels = 3, scans = 4;
  std::vector<float> block(channels * scans, -1.234567e-38f);
  block[1] = -0.0001234567f;
  block[scans + 2] = -123456.7f;
  block[2 * scans] = std::numeric_limits<float>::quiet_NaN();
  std::vector<char> out(CsvBlockBound(channels, scans));
  const std::size_t n = FormatCsvBlock(out.data(), block.data(), channels, scans);
  std::string expected;
  for (int j = 0; j < scans; ++j) {
    for (int c = 0; c < channels; ++c) expected += SingleText(block[j + scans * c]) + ",";
    expected += "\r\n";
  }
  EXPECT_EQ(std::string(out.data(), n), expected);
  std::string appended;
  AppendCsvBlock(appended, block.data(), channels, scans);
  EXPECT_EQ(appended, expected);
}

TEST(CsvBlock, BadCountsWriteNothing) {
  char out[64] = {};
  const float one[] = {1.0f};
  EXPECT_EQ(CsvBlockBound(0, 5), 0u);
  EXPECT_EQ(CsvBlockBound(3, -1), 0u);
  EXPECT_EQ(FormatCsvBlock(out, one, 1, 0), 0u);
  EXPECT_EQ(FormatCsvBlock(out, nullptr, 1, 1), 0u);
  EXPECT_EQ(FormatCsvBlock(nullptr, one, 1, 1), 0u);
  EXPECT_EQ(out[0], 0);

  const float block[] = {1.0f};
  std::string text;
  AppendCsvBlock(text, block, 0, 1);
  AppendCsvBlock(text, block, 1, -5);
  AppendCsvBlock(text, nullptr, 1, 1);
  EXPECT_TRUE(text.empty());
}

}  // namespace
}  // namespace orvane::forms
