#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <functional>
#include <limits>

#include "core/vekmath_calls.h"
#include "core/waveform/waveform.h"

namespace orvane::core {
namespace {

WaveForm Holding(std::vector<float> samples) {
  WaveForm w;
  w.SetCount(static_cast<int32_t>(samples.size()));
  w.SetSamples(std::move(samples));
  return w;
}

class WaveFormAnalysis : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(LoadedVekmath().DetectLevelEvents, nullptr) << MissingVekmathEntries(); }
};

TEST_F(WaveFormAnalysis, StatisticsTexts) {
  using Stat = std::function<std::string(WaveForm&, int32_t&)>;
  struct Case {
    std::vector<float> samples;
    int32_t width, widthAfter;
    Stat stat;
    std::string text;
  } cases[] = {
      {{1, 5, 3}, -1, 3, [](WaveForm& w, int32_t& n) { return w.MaxText(0, n); }, "5,1"},
      {{4, 1, 3}, 9, 3, [](WaveForm& w, int32_t& n) { return w.MinText(0, n); }, "1,1"},
      {{2, 2, 1}, 3, 3, [](WaveForm& w, int32_t& n) { return w.MaxMinText(0, n); }, "2,0,1,2"},
      {{1, -2, 3}, 3, 3, [](WaveForm& w, int32_t& n) { return w.SumBySign(0, n, 0.5f); }, "2,-1,3,1"},
      {{1, -2, 3}, 3, 3, [](WaveForm& w, int32_t& n) { return w.SumScaled(0, n, int16_t{3}); }, "6"},
      {{1, 2, 3, 6}, 4, 4, [](WaveForm& w, int32_t& n) { return w.Mean(0, n); }, "3"},
      {{1, 2, 3, 6}, 2, 2, [](WaveForm& w, int32_t& n) { return w.Sum(2, n); }, "9"},
      {{3, 4}, 2, 2, [](WaveForm& w, int32_t& n) { return w.Rms(0, n); }, "3.535534"},
      {{3, 4}, 0, 0, [](WaveForm& w, int32_t& n) { return w.Rms(0, n); }, "0"},
  };
  for (Case& c : cases) {
    WaveForm w = Holding(c.samples);
    int32_t width = c.width;
    EXPECT_EQ(c.stat(w, width), c.text);
    EXPECT_EQ(width, c.widthAfter) << c.text;
  }
}

TEST_F(WaveFormAnalysis, ArithmeticOnASegment) {
  using Op = std::function<void(WaveForm&)>;
  struct Case {
    Op op;
    std::vector<float> expected;
  } cases[] = {
      {[](WaveForm& w) { w.MulConst(2, 1, 2); }, {1, 4, 6, 4}},
      {[](WaveForm& w) { w.DivConst(2, 0, 4); }, {0.5f, 1, 1.5f, 2}},
      {[](WaveForm& w) { w.SubConst(1, 3, 1); }, {1, 2, 3, 3}},
      {[](WaveForm& w) { w.ShiftLevel(-1, 0, 2); }, {0, 1, 3, 4}},
      {[](WaveForm& w) { w.FillValue(7, 2, 2); }, {1, 2, 7, 7}},
      {[](WaveForm& w) { w.RemoveMean(0, 4); }, {-1.5f, -0.5f, 0.5f, 1.5f}},
      {[](WaveForm& w) {
         WaveForm other = Holding({10, 20, 30});
         other.SetDisplayWidth(2);
         w.AddWave(other);
       },
       {11, 22, 3, 4}},
      {[](WaveForm& w) { w.MulConst(-1, 0, 4), w.AbsAll(); }, {1, 2, 3, 4}},
  };
  for (Case& c : cases) {
    WaveForm w = Holding({1, 2, 3, 4});
    c.op(w);
    EXPECT_EQ(w.Samples(), c.expected);
  }
}

// A segment that leaves the buffer is refused before the library sees it.
TEST_F(WaveFormAnalysis, SegmentsPastTheBufferAreRefused) {
  WaveForm w = Holding({1, 2, 3, 4});
  EXPECT_THROW(w.MulConst(2, 2, 5), std::out_of_range);
  EXPECT_THROW(w.FillValue(0, -1, 2), std::out_of_range);
  EXPECT_THROW(w.AddConst(1, 1, INT32_MAX), std::overflow_error);
  w.SetCount(10);  // Count may be set past the buffer
  int32_t width = 10;
  EXPECT_THROW(w.Mean(0, width), std::out_of_range);
  EXPECT_THROW(w.AbsAll(), std::out_of_range);
  EXPECT_EQ(w.Samples(), (std::vector<float>{1, 2, 3, 4}));
}

TEST_F(WaveFormAnalysis, EveryNaNIsInvalid) {
  struct Case {
    uint32_t bits;
    const char* message;  // nullptr: accepted
  } cases[] = {
      {0xFFC00000u, "データ中に-1.#INDが含まれています。原因を調べてください。"},
      {0xFFC00001u, "データ中に-1.#QNANが含まれています。原因を調べてください。"},
      {0x7FC00000u, "データ中に-1.#QNANが含まれています。原因を調べてください。"},
      {0x7F800001u, "データ中に-1.#QNANが含まれています。原因を調べてください。"},
      {0x7F800000u, nullptr},  // infinity
      {0xFF800000u, nullptr},
  };
  for (const Case& c : cases) {
    WaveForm w = Holding({1, std::bit_cast<float>(c.bits), 3});
    w.SetCount(1);  // the scan covers the whole buffer, not only Count
    if (c.message == nullptr) {
      EXPECT_TRUE(w.CheckInvalidNumbers());
      continue;
    }
    try {
      w.CheckInvalidNumbers();
      ADD_FAILURE() << std::hex << c.bits;
    } catch (const WaveCheckError& e) {
      EXPECT_EQ(e.Number(), 30000);
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST_F(WaveFormAnalysis, ShiftSamples) {
  struct Case {
    int32_t shift;
    bool fill;
    std::vector<float> samples;
    int32_t count;
  } cases[] = {
      {-2, true, {3, 4, 4, 4}, 4},
      {-2, false, {3, 4, 0, 0}, 2},
      {2, true, {1, 1, 1, 2}, 4},
      {2, false, {0, 0, 1, 2}, 4},
      {-6, false, {0, 0, 0, 0}, 0},
      {0, true, {1, 2, 3, 4}, 4},
  };
  for (const Case& c : cases) {
    WaveForm w = Holding({1, 2, 3, 4});
    w.ShiftSamples(c.shift, c.fill);
    EXPECT_EQ(w.Samples(), c.samples) << c.shift << c.fill;
    EXPECT_EQ(w.Count(), c.count) << c.shift << c.fill;
  }
}

TEST_F(WaveFormAnalysis, Filters) {
  using Filter = std::function<std::vector<float>(WaveForm&)>;
  struct Case {
    const char* name;
    std::vector<float> samples;
    Filter filter;
    std::vector<float> expected;
  } cases[] = {
      {"moving average", {0, 3, 6, 3, 0},
       [](WaveForm& w) { return w.MovingAverage(3, 1), w.Samples(); }, {1.5f, 3, 4, 3, 1.5f}},
      {"difference", {1, 4, 9},
       [](WaveForm& w) { std::vector<float> o; return w.DifferenceCopy(o), o; }, {3, 5, 0}},
      {"smoothed difference", {1, 4, 9},
       [](WaveForm& w) { return w.SmoothedDifferenceInPlace(3, 1), w.Samples(); }, {4, 8.0f / 3, 2.5f}},
      {"high pass without passes", {1, 2, 3},
       [](WaveForm& w) { std::vector<float> o; return w.HighPass(3, 0, o), w.Samples(); }, {0, 0, 0}},
      {"high pass", {0, 3, 6, 3, 0},
       [](WaveForm& w) { std::vector<float> o; return w.HighPass(3, 1, o), w.Samples(); },
       {-1.5f, 0, 2, 0, -1.5f}},
      {"envelope", {1, 5, 2, 0},
       [](WaveForm& w) { std::vector<float> o; int32_t n = 2; return w.Envelope(n, o), o; }, {5, 0}},
  };
  for (Case& c : cases) {
    WaveForm w = Holding(c.samples);
    std::vector<float> got = c.filter(w);
    ASSERT_EQ(got.size(), c.expected.size()) << c.name;
    for (size_t i = 0; i < got.size(); ++i) EXPECT_FLOAT_EQ(got[i], c.expected[i]) << c.name << " " << i;
  }
}

// A ramp of slope 1 per 1 ms interval is 1000 per second everywhere, and
// the smoothing keeps a constant.
TEST_F(WaveFormAnalysis, DifferenceScaledWorksOnTheSeries) {
  std::vector<float> ramp(20);
  for (int i = 0; i < 20; ++i) ramp[static_cast<size_t>(i)] = static_cast<float>(i);
  WaveForm w = Holding(ramp);
  std::vector<float> x = ramp;
  w.DifferenceScaled(x, 1000);
  ASSERT_EQ(x.size(), 20u);
  for (float v : x) EXPECT_NEAR(v, 1000.0f, 1e-2f);
}

TEST_F(WaveFormAnalysis, EnvelopeLimitsThePointsToCount) {
  WaveForm w = Holding({1, 5, 2});
  std::vector<float> out;
  int32_t n = 8;
  w.Envelope(n, out);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(out, (std::vector<float>{1, 5, 5}));  // one bucket: min, max, the last repeated
}

TEST_F(WaveFormAnalysis, Detections) {
  WaveForm w = Holding({0, 0, 5, 5, 0, 0, 5, 5, 0, 0});
  int32_t start = -5, width = 10, ups = -1, downs = -1;
  std::vector<float> up, down;
  w.FindLevelEventsChecked(start, width, 2.5f, 1, 100, -100, ups, up, downs, down);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(ups, 2);
  EXPECT_EQ(up, (std::vector<float>{2, 6}));
  EXPECT_EQ(downs, 2);
  EXPECT_EQ(down, (std::vector<float>{4, 8}));

  width = 20;  // limited to Count
  w.FindLevelEvents(0, width, 2.5f, 1, 100, -100, ups, downs, up, down);
  EXPECT_EQ(width, 10);
  EXPECT_EQ(ups, 2);
  EXPECT_EQ(up.size(), 10u);

  // The rise from sample 0 is the first swing (its start is no valley);
  // the last valley is still pending at the end.
  WaveForm peaks = Holding({0, 5, 0, 5, 0});
  std::vector<int32_t> upCount, downCount;
  width = 5;
  peaks.FindPeaks(0, width, 1, upCount, downCount, up, down);
  ASSERT_EQ(up.size(), 5u);
  EXPECT_EQ(upCount[0], 2);
  EXPECT_EQ(up[0], 1);
  EXPECT_EQ(up[1], 3);
  EXPECT_EQ(downCount[0], 1);
  EXPECT_EQ(down[0], 2);
}

}  // namespace
}  // namespace orvane::core
