#include "core/utility.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/toolkit.h"
#include "support/core_fixture.h"

namespace orvane::core {
namespace {

int ErrorOf(auto&& call) {
  try {
    call();
  } catch (const ToolkitError& e) {
    return e.Number();
  }
  return 0;
}

// The mean of the 2h + 1 samples around each one, ends repeated, / w.
std::vector<float> Expected(const std::vector<float>& a, int w) {
  int n = static_cast<int>(a.size());
  int h = static_cast<int>(std::nearbyint((w - 1) / 2.0));
  std::vector<float> out(a.size());
  for (int j = 0; j < n; ++j) {
    double s = 0;
    for (int i = j - h; i <= j + h; ++i) s += a[static_cast<size_t>(std::clamp(i, 0, n - 1))];
    out[static_cast<size_t>(j)] = static_cast<float>(s / w);
  }
  return out;
}

TEST(CoreMovingAverage, OddWidthOnFourSamples) {
  std::vector<float> a{1, 2, 3, 4};
  MovingAverage(a, 3, 4);
  EXPECT_FLOAT_EQ(a[0], 4.0f / 3);
  EXPECT_FLOAT_EQ(a[1], 2.0f);
  EXPECT_FLOAT_EQ(a[2], 3.0f);
  EXPECT_FLOAT_EQ(a[3], 11.0f / 3);
}

TEST(CoreMovingAverage, EveryWidthMatchesTheCentredMean) {
  std::vector<float> input;
  for (int i = 0; i < 40; ++i) input.push_back(static_cast<float>((i * 7) % 11) - 3.0f);
  // Widths that are multiples of 4 are the ones whose window used to be
  // one output short.
  for (int w : {1, 2, 3, 4, 5, 6, 8, 9, 12, 16}) {
    std::vector<float> a = input;
    ASSERT_NO_THROW(MovingAverage(a, w, 40)) << w;
    std::vector<float> want = Expected(input, w);
    for (size_t j = 0; j < a.size(); ++j) EXPECT_NEAR(a[j], want[j], 1e-5) << "w " << w << " j " << j;
  }
}

TEST(CoreMovingAverage, BadArgumentsRaiseAndLeaveTheColumn) {
  const std::vector<float> input{1, 2, 3};
  std::vector<float> a = input;
  EXPECT_EQ(ErrorOf([&] { MovingAverage(a, 0, 3); }), kErrDivisionByZero);
  EXPECT_EQ(ErrorOf([&] { MovingAverage(a, -3, 3); }), kErrSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([&] { MovingAverage(a, 3, 4); }), kErrSubscriptOutOfRange);  // past the column
  EXPECT_EQ(ErrorOf([&] { MovingAverage(a, 7, 3); }), kErrSubscriptOutOfRange);  // window past the data
  EXPECT_EQ(ErrorOf([&] { MovingAverage(a, 3, 0); }), kErrSubscriptOutOfRange);
  EXPECT_EQ(a, input);
}

TEST(CorePickFields, RangesOfFields) {
  EXPECT_EQ(PickFields("a,b,c", 2, 3, ","), "b,c");
  EXPECT_EQ(PickFields("a,b,c", 2, 0, ","), "b");
  EXPECT_EQ(PickFields("a,b,c", 3, 2, ","), "");
  EXPECT_EQ(PickFields("a,b,c", -1, 2, ","), "");
  EXPECT_EQ(PickFields("", 1, 1, ","), "");
  EXPECT_EQ(PickFields("a::b::c", 1, 2, "::"), "a::b");
  EXPECT_EQ(PickFields("a,,c", 2, 3, ","), ",c");
  EXPECT_EQ(ErrorOf([] { PickFields("a,b", 0, 1, ","); }), kErrSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([] { PickFields("a,b", 2, 3, ","); }), kErrSubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([] { PickFields("a,b", 3, 0, ","); }), kErrSubscriptOutOfRange);
}

TEST(CoreSmallRoutines, SafeUBoundAndCutAtNul) {
  EXPECT_EQ(SafeUBound(std::vector<int>{}), -1);
  EXPECT_EQ(SafeUBound(std::vector<int>(10)), 9);
  EXPECT_EQ(SafeUBound(std::vector<int>(10), 2), -1);
  std::string buffer(512, '\0');
  buffer.replace(0, 8, "/tmp/a/b");
  EXPECT_EQ(CutAtNul(buffer), "/tmp/a/b");
  EXPECT_EQ(CutAtNul("plain"), "plain");
}

class CoreFindFileTest : public testing::CoreTest {};

TEST_F(CoreFindFileTest, AbsolutePathsFoldersIncluded) {
  WriteFile(dir_ + "/data/a.txt", "x");
  EXPECT_EQ(FindFileOnPath(dir_ + "/data/a.txt"), dir_ + "/data/a.txt");
  EXPECT_FALSE(FindFileOnPath(dir_ + "/data/").empty());
  EXPECT_FALSE(FindFileOnPath(dir_ + "/data").empty());
  EXPECT_EQ(FindFileOnPath(dir_ + "/data/none.txt"), "");
  EXPECT_EQ(FindFileOnPath("no_such_file_anywhere_9f3.xyz"), "");
  EXPECT_EQ(FindFileOnPath(""), "");
  EXPECT_EQ(FindFileOnPath(dir_ + "/data/*.txt", 0), "a.txt");  // directory-entry mode
}

}  // namespace
}  // namespace orvane::core
