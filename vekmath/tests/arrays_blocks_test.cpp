#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "vekmath.h"

namespace {

std::vector<int32_t> ramp(int n) {
  std::vector<int32_t> v(n);
  for (int i = 0; i < n; ++i) v[i] = i;
  return v;
}

struct ShiftCase {
  LONG start, count, offset;
  std::vector<int32_t> expected;
};

TEST(ArrayShift, MovesTheBlockAndClearsWhatItLeft) {
  const ShiftCase cases[] = {
      {2, 3, 2, {0, 1, 0, 0, 2, 3, 4, 7, 8, 9}},
      {2, 3, -2, {2, 3, 4, 0, 0, 5, 6, 7, 8, 9}},
      {2, 3, 0, ramp(10)},
      // Further than its own length: the gap is cleared too.
      {0, 2, 5, {0, 0, 0, 0, 0, 0, 1, 7, 8, 9}},
      {6, 2, -5, {0, 6, 7, 0, 0, 0, 0, 0, 8, 9}},
      // Up to the very ends of the buffer.
      {5, 5, -5, {5, 6, 7, 8, 9, 0, 0, 0, 0, 0}},
      {0, 5, 5, {0, 0, 0, 0, 0, 0, 1, 2, 3, 4}},
  };
  for (const ShiftCase& c : cases) {
    std::vector<int32_t> v = ramp(10);
    ArrayShift(v.data(), c.start, c.count, c.offset, 10);
    EXPECT_EQ(v, c.expected) << c.start << " " << c.count << " " << c.offset;
  }
}

TEST(ArrayShift, BlocksThatWouldLeaveTheBufferChangeNothing) {
  const ShiftCase refused[] = {
      {6, 3, 2, {}},   // would end past length
      {1, 3, -2, {}},  // would begin before 0
      {-1, 3, 2, {}},  // starts before 0
      {8, 4, -3, {}},  // its source runs past length though its new place fits
      {2, 0, 2, {}},  {2, -3, 2, {}},
      // Sums that overflow 32 bits.
      {2, 3, INT32_MAX, {}}, {INT32_MAX, 3, 2, {}}, {2, INT32_MAX, -2, {}},
  };
  for (const ShiftCase& c : refused) {
    // Guard cells around the buffer catch a read or write past it.
    std::vector<int32_t> v = ramp(12);
    ArrayShift(v.data() + 1, c.start, c.count, c.offset, 10);
    EXPECT_EQ(v, ramp(12)) << c.start << " " << c.count << " " << c.offset;
  }
  std::vector<int32_t> v = ramp(10);
  ArrayShift(v.data(), 2, 3, 2, -1);
  ArrayShift(nullptr, 2, 3, 2, 10);
  EXPECT_EQ(v, ramp(10));
}

TEST(ArrayDecimate, CopiesEveryStepthElement) {
  const std::vector<int32_t> src = ramp(10);
  std::vector<int32_t> dst(5, -1);
  EXPECT_EQ(ArrayDecimate(dst.data(), src.data(), 3, 10), 12);
  EXPECT_EQ(dst, (std::vector<int32_t>{0, 3, 6, 9, -1}));
  EXPECT_EQ(ArrayDecimate(dst.data(), src.data(), 2, 10), 10);
  EXPECT_EQ(dst, (std::vector<int32_t>{0, 2, 4, 6, 8}));
  EXPECT_EQ(ArrayDecimate(dst.data(), src.data(), 50, 10), 50);

  std::vector<int32_t> same = ramp(10);
  EXPECT_EQ(ArrayDecimate(same.data(), same.data(), 4, 10), 12);
  EXPECT_EQ(same[1], 4);
  EXPECT_EQ(same[2], 8);
}

TEST(ArrayDecimate, BadStepsAndCountsCopyNothing) {
  const std::vector<int32_t> src = ramp(10);
  std::vector<int32_t> dst(10, -1);
  for (LONG step : {0, -2}) EXPECT_EQ(ArrayDecimate(dst.data(), src.data(), step, 10), 0);
  for (LONG n : {0, -5}) EXPECT_EQ(ArrayDecimate(dst.data(), src.data(), 3, n), 0);
  EXPECT_EQ(ArrayDecimate(nullptr, src.data(), 3, 10), 0);
  EXPECT_EQ(ArrayDecimate(dst.data(), nullptr, 3, 10), 0);
  EXPECT_EQ(dst, std::vector<int32_t>(10, -1));
}

}  // namespace
