#include "range_codes.h"

#include <gtest/gtest.h>
#include <halvik.h>

namespace {

using namespace halvik;

TEST(RangeCodes, CodeToLimitsAndBack) {
  const struct {
    short code;
    float max, min;
  } known[] = {{0, 10, -10}, {10, 0.1f, -0.1f}, {13, 0.0125f, -0.0125f}, {14, 0.01f, -0.01f}, {52, 4.095f, 0},
               {62, 0.01f, 0},  {100, 20, 0},            {101, 20, 4},         {150, 5, 1}};
  for (const auto& c : known) {
    float max = -1, min = -1;
    EXPECT_EQ(XanGetRangeValue(c.code, &max, &min), 0);
    EXPECT_EQ(max, c.max) << c.code;
    EXPECT_EQ(min, c.min) << c.code;
    short code = -1;
    EXPECT_EQ(XanGetRangeData(c.max, c.min, &code), 0);
    EXPECT_EQ(code, c.code);
  }
  float max = -1, min = -1;
  EXPECT_EQ(XanGetRangeValue(15, &max, &min), 0);
  EXPECT_EQ(max, 0.0f);
  EXPECT_EQ(min, 0.0f);
  EXPECT_EQ(GetRangeLimits(0, nullptr, &min), 0);
  EXPECT_EQ(min, 0.0f) << "nothing written";

  short code = 77;
  EXPECT_EQ(XanGetRangeData(3.0f, 3.0f, &code), 0);
  EXPECT_EQ(code, 77) << "an unknown pair leaves the code";
  EXPECT_EQ(XanGetRangeData(0.1f, -0.1f, nullptr), 0);
  EXPECT_EQ(XanGetRangeValue(1, nullptr, nullptr), 0);
}

TEST(RangeCodes, CountsAndValues) {
  const struct {
    float max, min;
    short bits;
    int count;
    float value;
  } toValue[] = {{10, -10, 16, 0, -10.0f},   {10, -10, 16, 32768, 0.0f}, {10, -10, 16, 65535, 9.999695f},
                 {10, -10, 12, 1024, -5.0f}, {10, -10, 14, 1024, -5.0f}, {20, 4, 16, 16384, 8.0f}};
  for (const auto& c : toValue) EXPECT_FLOAT_EQ(CountToValue(c.max, c.min, c.bits, c.count), c.value) << c.count;

  const struct {
    float max, min;
    short bits;
    float value;
    int count;
  } toCount[] = {{10, -10, 12, 10.0f, 4095}, {10, -10, 12, -11.0f, 0}, {10, -10, 14, 0.0f, 2048},
                 {10, -10, 16, 0.0f, 32768}, {10, -10, 16, 20.0f, 65535}, {5, 5, 16, 5.0f, 0},
                 {10, 0, 12, 2.4999f, 1023}};
  for (const auto& c : toCount) EXPECT_EQ(ValueToCount(c.max, c.min, c.bits, c.value), c.count) << c.value;
}

}  // namespace
