#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "vekmath.h"

namespace {

TEST(ArrayStatistics, SumMeanRmsAndTheirEmptyRules) {
  const float v[] = {1.0f, 2.0f, 3.0f, 4.0f};
  float sum = -1, mean = -1, rms = -1;
  ArraySum(&sum, v, 4);
  ArrayMean(&mean, v, 4);
  ArrayRms(&rms, v, 4);
  EXPECT_EQ(sum, 10.0f);
  EXPECT_EQ(mean, 2.5f);
  EXPECT_EQ(rms, static_cast<float>(std::sqrt(7.5)));

  sum = mean = rms = 9;
  ArraySum(&sum, v, 0);
  ArrayMean(&mean, v, 0);
  ArrayRms(&rms, v, -4);
  EXPECT_EQ(sum, 0.0f);
  EXPECT_EQ(mean, 9.0f);
  EXPECT_EQ(rms, 9.0f);

  // In single, adding 1 to 2^24 is lost each time; in double the ones add up.
  std::vector<float> big(1001, 1.0f);
  big[0] = 16777216.0f;
  ArraySum(&sum, big.data(), 1001);
  EXPECT_EQ(sum, 16778216.0f);
}

TEST(ArrayStatistics, SampleStandardDeviation) {
  const float v[] = {2, 4, 4, 4, 5, 5, 7, 9};
  float sd = 0;
  ArrayStdDev(&sd, v, 8);
  EXPECT_EQ(sd, static_cast<float>(std::sqrt(32.0 / 7.0)));  // about 2.138
  for (LONG n : {1, 0, -1}) {
    sd = 9;
    ArrayStdDev(&sd, v, n);
    EXPECT_EQ(sd, 0.0f) << n;
  }
}

TEST(ArrayStatistics, StandardDeviationTakesMoreThanAMillionValuesOnAnyThread) {
  std::vector<float> v(1500000);
  for (size_t i = 0; i < v.size(); ++i) v[i] = (i % 2 == 0) ? 1.0f : -1.0f;
  const LONG n = static_cast<LONG>(v.size());
  // Mean 0, every square 1: sqrt(n / (n - 1)).
  const float expected = static_cast<float>(std::sqrt(static_cast<double>(n) / (n - 1)));
  float results[4] = {};
  std::vector<std::thread> threads;
  for (float& out : results) threads.emplace_back([&v, n, &out] { ArrayStdDev(&out, v.data(), n); });
  for (std::thread& t : threads) t.join();
  for (float r : results) EXPECT_EQ(r, expected);
}

TEST(ArrayStatistics, MaxMin) {
  const float v[] = {3.0f, -7.5f, 12.0f, 0.0f};
  float hi = 0, lo = 0;
  ArrayMaxMin(&hi, &lo, v, 4);
  EXPECT_EQ(hi, 12.0f);
  EXPECT_EQ(lo, -7.5f);
  // An empty count still reports the first element; no array, nothing.
  ArrayMaxMin(&hi, &lo, v, 0);
  EXPECT_EQ(hi, 3.0f);
  EXPECT_EQ(lo, 3.0f);
  ArrayMaxMin(&hi, &lo, nullptr, 0);
  EXPECT_EQ(hi, 3.0f);
}

TEST(ArrayStatistics, IndexIsWrittenOnlyWhenALaterElementWins) {
  LONG index = -99;
  float value = 0;
  const float firstIsLargest[] = {5, 1, 3};
  ArrayMaxIndex(&value, &index, firstIsLargest, 3);
  EXPECT_EQ(value, 5.0f);
  EXPECT_EQ(index, -99);

  const float tie[] = {1, 5, 5};
  ArrayMaxIndex(&value, &index, tie, 3);
  EXPECT_EQ(value, 5.0f);
  EXPECT_EQ(index, 1);

  index = -99;
  const float mins[] = {4, 2, std::numeric_limits<float>::quiet_NaN(), -1, -1};
  ArrayMinIndex(&value, &index, mins, 5);
  EXPECT_EQ(value, -1.0f);
  EXPECT_EQ(index, 3);

  index = -99;
  ArrayMinIndex(&value, &index, mins, 0);
  EXPECT_EQ(value, 4.0f);
  EXPECT_EQ(index, -99);
  ArrayMaxIndex(&value, &index, nullptr, 3);
  EXPECT_EQ(index, -99);
}

}  // namespace
