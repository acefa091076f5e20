#include <gtest/gtest.h>

#include <climits>

#include "core/waveform/waveform.h"

namespace orvane::core {
namespace {

std::vector<float> Ramp(int n, float from = 1.0f) {
  std::vector<float> v(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = from + static_cast<float>(i);
  return v;
}

WaveForm Sized(int capacity, int count) {
  WaveForm w;
  w.Allocate(capacity);
  w.SetCount(count);
  return w;
}

TEST(WaveFormBuffer, AllocateDefaultsAndSampleAccess) {
  WaveForm w;
  EXPECT_EQ(w.RangeUpper(), 100.0f);
  EXPECT_EQ(w.RangeLower(), -100.0f);
  EXPECT_EQ(w.DrawEnabled(), 1);
  EXPECT_FALSE(w.IsAllocated());
  w.Allocate(0);
  EXPECT_EQ(w.Capacity(), 300000);
  EXPECT_EQ(w.Count(), 0);
  EXPECT_EQ(w.DisplayWidth(), 300000);
  w.AllocateEx(10);
  EXPECT_EQ(w.Count(), 10);
  EXPECT_EQ(w.Sample(10), 0.0f);
  EXPECT_THROW(w.Sample(-1), std::out_of_range);
  EXPECT_THROW(w.SetSample(10, 1.0f), std::out_of_range);
}

// Position, count before, samples asked for -> samples copied, count after.
TEST(WaveFormBuffer, PutSamplesStaysInsideTheBuffer) {
  struct Case {
    int32_t point, countBefore, n, copied, countAfter;
  } cases[] = {
      {95, 0, 10, 5, 5},      // clipped at the end
      {0, 100, 10, 10, 100},  // overwriting a full buffer does not grow Count
      {150, 7, 10, 0, 7},     // past the end: nothing, Count unchanged
      {100, 7, 10, 0, 7},
  };
  for (const Case& c : cases) {
    WaveForm w = Sized(100, c.countBefore);
    w.PutSamples(Ramp(10), c.point, c.n);
    EXPECT_EQ(w.Count(), c.countAfter) << c.point;
    int copied = 0;
    for (int i = 0; i < 100; ++i) copied += w.Sample(i) != 0.0f;
    EXPECT_EQ(copied, c.copied) << c.point;
  }
  WaveForm w = Sized(100, 0);
  EXPECT_THROW(w.PutSamples(Ramp(10), -1, 10), std::out_of_range);
  EXPECT_THROW(w.PutSamples(Ramp(10), INT32_MAX, 10), std::overflow_error);
  EXPECT_THROW(w.PutSamples(Ramp(3), 0, 10), std::out_of_range);  // source shorter than asked
  EXPECT_EQ(w.Count(), 0);
}

TEST(WaveFormBuffer, WriteAndGetWriteBackTheClampedCount) {
  struct Case {
    int32_t start, number, countBefore, numberAfter, countAfter;
  } cases[] = {
      {5, 3, 0, 3, 8},     // empty buffer: Count = start + number
      {5, 3, 2, 3, 2},     // non-empty: unchanged
      {8, 5, 0, 2, 10},    // clipped, written back
      {12, 5, 4, 0, 4},    // past the end: nothing copied
  };
  for (const Case& c : cases) {
    WaveForm w = Sized(10, c.countBefore);
    int32_t start = c.start, number = c.number;
    w.WriteSamples(Ramp(5), start, number);
    EXPECT_EQ(number, c.numberAfter) << c.start;
    EXPECT_EQ(w.Count(), c.countAfter) << c.start;
  }
  WaveForm w = Sized(10, 10);
  w.SetSamples(Ramp(10));
  std::vector<float> out(5, 0.0f);
  int32_t n = 5;
  w.GetSamples(out, 7, n);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(out, (std::vector<float>{8, 9, 10, 0, 0}));
  n = 5;
  w.GetSamples(out, 20, n);
  EXPECT_EQ(n, 0);
  n = 5;
  std::vector<float> small(2);
  EXPECT_THROW(w.GetSamples(small, 0, n), std::out_of_range);
}

TEST(WaveFormBuffer, AppendSamplesChecksAlways) {
  WaveForm w = Sized(3000, 0);
  w.AppendSamples(Ramp(1000), 7, 3, 1000);
  EXPECT_EQ(w.Sample(1000), 1.0f);
  EXPECT_EQ(w.Sample(999), 0.0f);
  EXPECT_EQ(w.Count(), 0);

  WaveForm small = Sized(2000, 0);
  try {
    small.AppendSamples(Ramp(1500), 1, 3, 1500);
    ADD_FAILURE();
  } catch (const WaveCheckError& e) {
    EXPECT_EQ(e.Number(), 30000);
  }
  EXPECT_EQ(small.Sample(1500), 0.0f);
  try {
    small.AppendSamples(Ramp(10), 0, 3, 20);
    ADD_FAILURE();
  } catch (const WaveCheckError& e) {
    EXPECT_STREQ(e.what(), "sngWaveのサイズが、lAddPoint で指定されたサイズを下回るサイズしか確保されていません。");
  }
  EXPECT_THROW(small.AppendSamples(Ramp(10), 1, 0, 10), std::domain_error);
  EXPECT_THROW(small.AppendSamples(Ramp(10), 3, 4, INT32_MAX / 2), std::overflow_error);
}

TEST(WaveFormBuffer, CheckSwitchTestsTheCallersArray) {
  WaveForm w = Sized(10, 0);
  w.SetWaveCheckSwitch("1");
  std::vector<float> out(2);
  int32_t n = 3;
  try {
    w.GetSamples(out, 0, n);
    ADD_FAILURE();
  } catch (const WaveCheckError& e) {
    EXPECT_STREQ(e.what(), "sngWaveのサイズが、lGetPointで指定されたサイズを下回るサイズしか確保されていません。");
  }
  EXPECT_THROW(w.PutSamples(Ramp(10), 5, 10), WaveCheckError);
  EXPECT_EQ(w.Count(), 0);
}

TEST(WaveFormBuffer, LaneFractionsAndCopy) {
  WaveForm w;
  w.SetLaneIndex(1);
  w.SetLaneCount(4);
  EXPECT_EQ(w.LaneTop(), 0.5f);
  EXPECT_EQ(w.LaneBottom(), 0.25f);
  w.SetLaneCount(0);
  EXPECT_EQ(w.LaneTop(), 0.5f);
  w.SetLaneCount(4);
  w.SetTitle("ch1");
  w.SetSamples(Ramp(3));
  w.SetCount(3);

  WaveForm copy;  // its own lane index is 0
  w.CopyTo(copy);
  EXPECT_EQ(copy.LaneTop(), 0.5f);  // this wave's lane, not the copy's old one
  EXPECT_EQ(copy.LaneBottom(), 0.25f);
  EXPECT_EQ(copy.Samples(), Ramp(3));
  EXPECT_EQ(copy.Count(), 3);
  EXPECT_EQ(copy.Title(), "ch1");
}

TEST(WaveFormBuffer, ConcatenateFillsAnEmptySecondArray) {
  std::vector<float> second, out;
  WaveForm::Concatenate({1, 2}, second, out);
  EXPECT_EQ(second, (std::vector<float>{1, 2}));
  EXPECT_EQ(out, (std::vector<float>{1, 2, 1, 2}));
  second = {9};
  WaveForm::Concatenate({1, 2}, second, out);
  EXPECT_EQ(out, (std::vector<float>{9, 1, 2}));
}

}  // namespace
}  // namespace orvane::core
