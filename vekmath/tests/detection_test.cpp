#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "arrays/detection.h"
#include "vekmath.h"

namespace {

struct Found {
  std::vector<float> first, second;
};

Found peaksOf(const std::vector<float>& data, float h) {
  const size_t room = data.size() + 1;
  std::vector<float> peaks(room, -1), valleys(room, -1);
  LONG np = -1, nv = -1;
  DetectPeaks(&np, peaks.data(), &nv, valleys.data(), data.data(), static_cast<LONG>(data.size()), h);
  return {{peaks.begin(), peaks.begin() + np}, {valleys.begin(), valleys.begin() + nv}};
}

Found levelEventsOf(const std::vector<float>& data, float level, float width, float upper, float lower) {
  const size_t room = data.size() + 1;
  std::vector<float> ups(room, -1), downs(room, -1);
  LONG nu = -1, nd = -1;
  DetectLevelEvents(&nu, ups.data(), &nd, downs.data(), data.data(), static_cast<LONG>(data.size()), level, width,
                    upper, lower);
  return {{ups.begin(), ups.begin() + nu}, {downs.begin(), downs.begin() + nd}};
}

using V = std::vector<float>;

TEST(DetectPeaks, HandComputedTraces) {
  struct Case {
    V data;
    float h;
    V peaks, valleys;
  } cases[] = {
      {{0, 10, 0, 10, 0}, 5, {1, 3}, {2}},
      {{0, 10, 0, 10, 0}, -5, {1, 3}, {2}},
      {{0, 10, 0, 10, 0}, 11, {}, {}},
      {{0, 1, 2, 3}, 1, {}, {}},
      // A trace that only falls: both candidates are still sample 0.
      {{3, 2, 1, 0}, 1, {}, {}},
      {{0, 5, 5, 0}, 1, {1}, {}},
      // Within one swing the higher maximum wins, not the later one.
      {{0, 10, 8, 9, 0, 6}, 5, {1}, {4}},
      {{7}, 1, {}, {}},
  };
  for (const Case& c : cases) {
    Found f = peaksOf(c.data, c.h);
    EXPECT_EQ(f.first, c.peaks) << "h " << c.h << " n " << c.data.size();
    EXPECT_EQ(f.second, c.valleys) << "h " << c.h << " n " << c.data.size();
  }
}

TEST(DetectPeaks, NoSamplesReadsNothing) {
  LONG np = -1, nv = -1;
  float p = 0, v = 0;
  DetectPeaks(&np, &p, &nv, &v, nullptr, 0, 1);
  EXPECT_EQ(np, 0);
  EXPECT_EQ(nv, 0);
}

TEST(DetectPeaks, BoundedListKeepsWithinItsCapacity) {
  std::vector<float> zigzag;
  for (int i = 0; i < 40; ++i) zigzag.push_back(i % 2 ? 10.0f : 0.0f);
  float peaks[3] = {}, valleys[3] = {};
  vekmath::PositionList p{peaks, 2}, v{valleys, 2};
  vekmath::detectPeaks(p, v, zigzag.data(), 40, 5);
  EXPECT_EQ(p.stored(), 2);
  EXPECT_EQ(peaks[2], 0.0f);
  EXPECT_EQ(valleys[2], 0.0f);
  EXPECT_EQ(peaks[1], 3.0f);
}

TEST(DetectLevelEvents, HandComputedTraces) {
  struct Case {
    V data;
    float upper, lower;
    V ups, downs;
  } cases[] = {
      {{0, -2, 2, -2}, 10, -10, {2}, {3}},
      // The swing to 2 lies above upper: both events it touched go.
      {{0, -2, 2, -2}, 1, -10, {}, {}},
      // Entering inside the band records nothing until the far side is reached.
      {{0, 0.5f, -0.5f, 0.5f, 2}, 10, -10, {}, {}},
      // The event is at the first sample past the level, not where the band ends.
      {{-2, -0.5f, 0.5f, 2, -2}, 10, -10, {2}, {4}},
      // The swing below lower cancels the up event that ends it and the down
      // event that began it.
      {{-2, 2, -12, 2}, 10, -10, {1}, {}},
      {{5}, 10, -10, {}, {}},
  };
  for (const Case& c : cases) {
    Found f = levelEventsOf(c.data, 0, 2, c.upper, c.lower);
    EXPECT_EQ(f.first, c.ups) << "n " << c.data.size() << " upper " << c.upper;
    EXPECT_EQ(f.second, c.downs) << "n " << c.data.size() << " upper " << c.upper;
  }
}

TEST(DetectLevelEvents, ValueNoBandHoldsKeepsThePreviousBand) {
  const float inf = std::numeric_limits<float>::infinity();
  Found f = levelEventsOf({-2, inf, 2, -2}, 0, 2, 10, -10);
  EXPECT_EQ(f.first, V{2});
  EXPECT_EQ(f.second, V{3});
}

}  // namespace
