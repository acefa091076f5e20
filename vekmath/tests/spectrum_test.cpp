#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "vekmath.h"

namespace {

using V = std::vector<float>;

void expectNear(const V& got, const V& want, float tolerance = 1e-6f) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], tolerance) << "element " << i;
}

struct Spectrum {
  V re, im;
};

Spectrum forward(const V& src) {
  Spectrum s{V(src.size(), 99), V(src.size(), 99)};
  FftForward(s.re.data(), s.im.data(), src.data(), static_cast<LONG>(src.size()));
  return s;
}

TEST(FftForward, SmallKnownSignals) {
  V cosine(8);
  for (int k = 0; k < 8; ++k) cosine[k] = static_cast<float>(std::cos(2 * std::numbers::pi * k / 8));
  struct Case {
    V src, re, im;
  } cases[] = {
      {V(8, 1.0f), {1, 0, 0, 0, 0, 0, 0, 0}, V(8, 0.0f)},
      {{1, 0, 0, 0}, {0.25f, 0.25f, 0.25f, 0.25f}, V(4, 0.0f)},
      {{1, 2, 3, 4}, {2.5f, -0.5f, -0.5f, -0.5f}, {0, 0.5f, 0, -0.5f}},
      {cosine, {0, 0.5f, 0, 0, 0, 0, 0, 0.5f}, V(8, 0.0f)},
      // Only the first four of six points are transformed; the rest keep the
      // input divided by six.
      {{1, 2, 3, 4, 6, 12}, {10 / 6.0f, -2 / 6.0f, -2 / 6.0f, -2 / 6.0f, 1, 2}, {0, 2 / 6.0f, 0, -2 / 6.0f, 0, 0}},
      {{7}, {7}, {0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.src.size());
    Spectrum s = forward(c.src);
    expectNear(s.re, c.re);
    expectNear(s.im, c.im);
  }
}

TEST(FftInverse, GivesBackWhatWentForward) {
  for (int n : {1, 2, 8, 1024}) {
    V src(n);
    for (int k = 0; k < n; ++k) src[k] = static_cast<float>(std::sin(0.37 * k) + 0.25 * k);
    Spectrum s = forward(src);
    V back(n, 99);
    FftInverse(back.data(), s.re.data(), s.im.data(), n);
    expectNear(back, src, 1e-3f);
  }
}

TEST(FftForward, CountBelowOneWritesNothingAndLargeCountsWork) {
  V re(2, 99), im(2, 99), src{1, 2};
  FftForward(re.data(), im.data(), src.data(), 0);
  FftInverse(re.data(), src.data(), src.data(), -1);
  EXPECT_EQ(re, (V{99, 99}));
  EXPECT_EQ(im, (V{99, 99}));

  // Beyond the 32,768 points of a fixed working space: a tone at bin 5.
  const int n = 1 << 16;
  V tone(n);
  for (int k = 0; k < n; ++k) tone[k] = static_cast<float>(std::cos(2 * std::numbers::pi * 5 * k / n));
  Spectrum s = forward(tone);
  EXPECT_NEAR(s.re[5], 0.5f, 1e-4f);
  EXPECT_NEAR(s.re[n - 5], 0.5f, 1e-4f);
  EXPECT_NEAR(s.re[6], 0.0f, 1e-4f);
}

TEST(MovingWindows, HandComputedResults) {
  const V ramp{1, 2, 3, 4};
  const V ones{1, 1, 1};
  const V three{1, 2, 3};
  V out(4, 99);
  ArrayMovingAverage(out.data(), ramp.data(), 3, 4);
  expectNear(out, {1.5f, 2, 3, 3.5f});
  out.assign(4, 99);
  ArrayMovingAverage(out.data(), ramp.data(), 2, 4);
  expectNear(out, {1.5f, 2, 3, 3.5f});
  for (LONG w : {0, -3}) {
    out.assign(4, 99);
    ArrayMovingAverage(out.data(), ramp.data(), w, 4);
    ArrayMovingAverage0(out.data(), ramp.data(), w, 4, ones.data());
    EXPECT_EQ(out, V(4, 99));
  }
  V out3(3, 99);
  ArrayMovingAverage0(out3.data(), three.data(), 3, 3, ones.data());
  expectNear(out3, {4, 6, 8});
  ArrayMovingAverage2(out3.data(), three.data(), 3, 3, ones.data());
  expectNear(out3, {3, 6, 5});
}

TEST(Resample, LinearUpsampling) {
  V out(3, 99);
  ResampleLinear(out.data(), V{0, 10}.data(), 2, 3);
  expectNear(out, {0, 5, 10});
  out.assign(3, 99);
  ResampleLinear(out.data(), V{1, 2, 3}.data(), 3, 3);
  EXPECT_EQ(out, V(3, 99));
  ResampleLinear(out.data(), V{4}.data(), 1, 3);
  EXPECT_EQ(out, V(3, 4));
  out.assign(3, 99);
  ResampleLinear(out.data(), V{4}.data(), 0, 3);
  EXPECT_EQ(out, V(3, 99));
  // k * ratio may round up to the last index: its neighbour is past the end.
  V src(7), many(64);
  for (int k = 0; k < 7; ++k) src[k] = static_cast<float>(k);
  ResampleLinear(many.data(), src.data(), 7, 64);
  for (int k = 0; k < 64; ++k) EXPECT_NEAR(many[k], k * 6.0 / 63, 1e-5) << k;
}

TEST(Resample, AreaAveraging) {
  struct Case {
    V src;
    LONG m;
    V want;
  } cases[] = {
      {{1, 2, 3, 4}, 2, {1.5f, 3.5f}},
      {{0, 3, 6}, 2, {1, 5}},
      {{2, 4, 6, 8, 10, 12}, 3, {3, 7, 11}},
      {{1, 2, 3}, 3, {1, 2, 3}},
  };
  for (const Case& c : cases) {
    V out(c.m, 99);
    ResampleAverage(out.data(), c.src.data(), static_cast<LONG>(c.src.size()), c.m);
    expectNear(out, c.want);
  }
  V out(3, 99);
  ResampleAverage(out.data(), V{1, 2}.data(), 2, 3);
  EXPECT_EQ(out, V(3, 99));
}

TEST(Resample, AreaAveragingNeverReadsPastTheInput) {
  // 8 / 7 rounds up in single precision, so the last output ends past 8.
  std::vector<float> src(9, 1.0f);
  src[8] = std::nanf("");  // would poison the last output if it were read
  V out(7, 99);
  ResampleAverage(out.data(), src.data(), 8, 7);
  for (float v : out) EXPECT_NEAR(v, 1.0f, 1e-5f);
}

}  // namespace
