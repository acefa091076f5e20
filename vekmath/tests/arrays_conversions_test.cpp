#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "vekmath.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(ArrayConversions, FloatToIntegersTruncateTowardZero) {
  const float src[] = {2.7f, -2.7f, -0.5f, 2147483520.0f, -2147483648.0f, 40000.0f, -1.5f, 65541.0f, -40000.0f};
  LONG wide[9];
  SHORT low[9];
  FloatToInt32(wide, src, 9);
  FloatToInt16(low, src, 9);
  const LONG wideExpected[] = {2, -2, 0, 2147483520, INT32_MIN, 40000, -1, 65541, -40000};
  // The low 16 bits: values outside the 16-bit range wrap.
  const SHORT lowExpected[] = {2, -2, 0, -128, 0, -25536, -1, 5, 25536};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(wide[i], wideExpected[i]) << i;
    EXPECT_EQ(low[i], lowExpected[i]) << i;
  }
}

TEST(ArrayConversions, UnrepresentableValuesGiveIntegerIndefinite) {
  const float src[] = {std::numeric_limits<float>::quiet_NaN(), kInf, -kInf, 2147483648.0f, -2147483904.0f};
  LONG wide[5];
  SHORT low[5];
  FloatToInt32(wide, src, 5);
  FloatToInt16(low, src, 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(wide[i], INT32_MIN) << i;
    EXPECT_EQ(low[i], 0) << i;
  }
}

TEST(ArrayConversions, ToAndFromFloat) {
  const double d[] = {0.1, 1e300, -2.5};
  float f[3];
  DoubleToFloat(f, d, 3);
  EXPECT_EQ(f[0], 0.1f);
  EXPECT_EQ(f[1], kInf);
  EXPECT_EQ(f[2], -2.5f);

  const SHORT s[] = {-32768, 32767};
  Int16ToFloat(f, s, 2);
  EXPECT_EQ(f[0], -32768.0f);
  EXPECT_EQ(f[1], 32767.0f);

  // 2^24 + 1 is no single; it rounds to even.
  const LONG i[] = {16777217, INT32_MAX};
  Int32ToFloat(f, i, 2);
  EXPECT_EQ(f[0], 16777216.0f);
  EXPECT_EQ(f[1], 2147483648.0f);

  const float back[] = {0.1f, -0.0f};
  double wide[2];
  FloatToDouble(wide, back, 2);
  EXPECT_EQ(wide[0], static_cast<double>(0.1f));
  EXPECT_TRUE(std::signbit(wide[1]));

  LONG untouched[1] = {77};
  FloatToInt32(untouched, back, 0);
  FloatToInt32(untouched, nullptr, 1);
  EXPECT_EQ(untouched[0], 77);
}

}  // namespace
