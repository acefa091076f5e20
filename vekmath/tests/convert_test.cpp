#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "vekmath.h"

namespace {

// The formula as written, one value at a time.
float reference(SHORT r, const CalibrationRecord& k) {
  const double span = static_cast<double>(k.calValue) - k.baseValue;
  return static_cast<float>((static_cast<double>(r) - k.baseAd) * span / k.calAd + k.baseValue);
}

TEST(ConvertBlock, TwoPointFormulaAndChannelColumns) {
  // Bases of neither channel 0, and each base value apart from its base
  // count, so that no base can stand in for another.
  CalibrationRecord k[2] = {{12.0f, 2.0f, 2000.0f, 500.0f}, {5.0f, -5.0f, 65535.0f, -32768.0f}};
  // Scans interleaved: a0 b0 a1 b1 a2 b2; the result in channel columns.
  const SHORT raw[] = {1000, -32768, -1000, 32767, 2000, 0};
  float out[6] = {};
  ConvertBlock(out, raw, 2, 3, k);
  const float expected[] = {4.5f, -5.5f, 9.5f, -5.0f, 5.0f, reference(0, k[1])};
  for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(out[i], expected[i]) << i;
}

// Every channel count and tile edge against the formula bit for bit: the
// fast paths take eight channels by eight scans, tiles of 256 scans, and
// leave odd channels and scans to the plain loop.
TEST(ConvertBlock, EveryShapeMatchesTheFormulaExactly) {
  for (int channels = 1; channels <= 32; ++channels) {
    std::vector<CalibrationRecord> records;
    for (int c = 0; c < channels; ++c) records.push_back({10.0f + 0.37f * c, -2.5f + 0.11f * c, 2000.0f + 13 * c, -7.0f * c});
    for (int scans : {1, 7, 8, 9, 255, 256, 257, 1000}) {
      std::vector<SHORT> raw(static_cast<size_t>(channels) * scans);
      for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<SHORT>((i * 40503u) & 0xFFFF);
      // One spare value on each side shows a write out of bounds.
      std::vector<float> out(raw.size() + 2, -12345.0f);
      ConvertBlock(out.data() + 1, raw.data(), static_cast<SHORT>(channels), scans, records.data());
      ASSERT_EQ(out.front(), -12345.0f);
      ASSERT_EQ(out.back(), -12345.0f);
      for (int c = 0; c < channels; ++c) {
        for (int j = 0; j < scans; ++j) {
          ASSERT_EQ(out[1 + static_cast<size_t>(c) * scans + j], reference(raw[j * channels + c], records[c]))
              << "channels " << channels << " scans " << scans << " c " << c << " j " << j;
        }
      }
    }
  }
}

TEST(ConvertBlock, ZeroCalAdGivesTheIeeeResult) {
  CalibrationRecord k{1.0f, 0.0f, 0.0f, 0.0f};
  const SHORT raw[] = {5, -5, 0};
  float out[3];
  ConvertBlock(out, raw, 1, 3, &k);
  EXPECT_TRUE(std::isinf(out[0]) && out[0] > 0);
  EXPECT_TRUE(std::isinf(out[1]) && out[1] < 0);
  EXPECT_TRUE(std::isnan(out[2]));
}

TEST(ConvertBlock, BadCountsAndNullsWriteNothing) {
  std::vector<CalibrationRecord> records(32, CalibrationRecord{1, 0, 1, 0});
  std::vector<SHORT> raw(33 * 4, 100);
  std::vector<float> out(33 * 4, 7.0f);
  // A calibration set has 32 channels; a 33rd has no record to read.
  for (SHORT channels : {0, -3, 33}) ConvertBlock(out.data(), raw.data(), channels, 4, records.data());
  for (LONG scans : {0, -1}) ConvertBlock(out.data(), raw.data(), 2, scans, records.data());
  ConvertBlock(nullptr, raw.data(), 2, 4, records.data());
  ConvertBlock(out.data(), nullptr, 2, 4, records.data());
  ConvertBlock(out.data(), raw.data(), 2, 4, nullptr);
  for (float v : out) ASSERT_EQ(v, 7.0f);
}

}  // namespace
