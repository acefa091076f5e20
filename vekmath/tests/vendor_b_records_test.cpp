// What the configuration writes into vendor B's records.
#include <gtest/gtest.h>

#include "backends/vendor_b/vendor_b_backend.h"
#include "status/status_texts.h"

using namespace vekmath;

namespace {

void configure(SamplingConfig& cfg, int32_t channels, int32_t block, int32_t rate) {
  cfg.channels = channels;
  for (int32_t i = 0; i < channels; ++i) cfg.channelList[i] = static_cast<int16_t>(i + 1);
  cfg.blockScans = block;
  cfg.rate = rate;
  cfg.periodUs = rate > 0 ? 1000000 / rate : 0;
}

TEST(VendorBDivisorSearch, FindsTheSmallestDivisorOrNone) {
  EXPECT_EQ(smallestDivisorFrom(4000, kVendorBMasterClock), 4000);
  EXPECT_EQ(smallestDivisorFrom(3, kVendorBMasterClock), 4);
  EXPECT_EQ(smallestDivisorFrom(0, kVendorBMasterClock), 1);
  EXPECT_EQ(smallestDivisorFrom(kVendorBMasterClock + 1, kVendorBMasterClock), -1);
  EXPECT_EQ(smallestDivisorFrom(4000001, kVendorBMasterClock), kVendorBMasterClock);
}

TEST(VendorBNormalRecord, EventCountStaysWithinOneAndTheSampleCount) {
  SamplingConfig cfg;
  SkSamplingConfig rec{};
  configure(cfg, 1, 1000, 10);
  fillNormalRecord(rec, cfg, *boardInfo(5), 32768);
  EXPECT_EQ(rec.eventCount, 1u);
  configure(cfg, 1, 1000, 100000);
  fillNormalRecord(rec, cfg, *boardInfo(5), 32768);
  EXPECT_EQ(rec.eventCount, 1000u);
}

TEST(VendorBNormalRecord, TriggeredBlockUsesLevelAInVolts) {
  SamplingConfig cfg;
  configure(cfg, 2, 400, 1000);
  cfg.samplingMode = 1;
  cfg.triggerChannel = 1;
  cfg.levelA = 1000;
  cfg.levelB = 1200;
  cfg.eventOffset = -100;
  SkSamplingConfig rec{};
  fillNormalRecord(rec, cfg, *boardInfo(8), 2048);
  EXPECT_FLOAT_EQ(rec.level1, 2.44140625f);
  EXPECT_EQ(rec.triggerMode, 5u);
  EXPECT_EQ(rec.sampleCount, 400u);
  EXPECT_EQ(rec.triggerPoint, 2u);
  EXPECT_EQ(rec.delay, 300);

  cfg.levelB = 900;
  cfg.eventOffset = 50;
  fillNormalRecord(rec, cfg, *boardInfo(8), 2048);
  EXPECT_EQ(rec.triggerMode, 4u);
  EXPECT_EQ(rec.triggerPoint, 1u);
  EXPECT_EQ(rec.delay, 50);
  cfg.levelB = 1000;
  fillNormalRecord(rec, cfg, *boardInfo(8), 2048);
  EXPECT_EQ(rec.triggerMode, 6u);
}

TEST(VendorBBusMasterRecord, ScanFrequencyDividesTheMasterClock) {
  SamplingConfig cfg;
  SkBmSamplingConfig rec{};
  configure(cfg, 4, 1000, 1000);
  ASSERT_EQ(fillBmRecord(rec, cfg, 32768), 0);
  EXPECT_EQ(rec.secondClock, 4000.0f);
  EXPECT_EQ(rec.sampleCount, 1000000u);
  // 4 x 10 lies below the least of 200 per channel.
  configure(cfg, 4, 1000, 10);
  ASSERT_EQ(fillBmRecord(rec, cfg, 32768), 0);
  EXPECT_EQ(rec.secondClock, 800.0f);
  // 3 x 3000 = 9000 is no divisor of 8 MHz; 10000 is the next.
  configure(cfg, 3, 1000, 3000);
  ASSERT_EQ(fillBmRecord(rec, cfg, 32768), 0);
  EXPECT_EQ(rec.secondClock, 10000.0f);
}

TEST(VendorBBusMasterRecord, UnreachableScanFrequencyChangesNothing) {
  SamplingConfig cfg;
  SkBmSamplingConfig rec{};
  rec.channelCount = 77;
  configure(cfg, 32, 1000, 250001);
  EXPECT_EQ(fillBmRecord(rec, cfg, 32768), kStatusClock);
  EXPECT_EQ(rec.channelCount, 77u);
}

TEST(VendorBBusMasterRecord, LongBlocksDoNotWrapTheSampleCount) {
  SamplingConfig cfg;
  SkBmSamplingConfig rec{};
  configure(cfg, 1, 3000000, 1000);
  ASSERT_EQ(fillBmRecord(rec, cfg, 32768), 0);
  EXPECT_EQ(rec.sampleCount, 0x40000000u);
  configure(cfg, 1, 0, 1000);
  ASSERT_EQ(fillBmRecord(rec, cfg, 32768), 0);
  EXPECT_EQ(rec.sampleCount, 1u);
  EXPECT_EQ(rec.eventCount, 1u);
}

TEST(VendorBBusMasterRecord, TriggeredBlockUsesLevelBOnBothTriggers) {
  SamplingConfig cfg;
  SkBmSamplingConfig rec{};
  configure(cfg, 2, 400, 1000);
  cfg.samplingMode = 1;
  cfg.triggerChannel = 2;
  cfg.levelA = 100;
  cfg.levelB = -2048;
  cfg.eventOffset = 100;
  ASSERT_EQ(fillBmRecord(rec, cfg, 2048), 0);
  EXPECT_EQ(rec.startCondition, 0x10u);
  EXPECT_EQ(rec.stopTriggerChannel, 2u);
  EXPECT_FLOAT_EQ(rec.startLevel, -10.0f);
  EXPECT_FLOAT_EQ(rec.stopLevel, -10.0f);
  EXPECT_EQ(rec.sampleCount, 500u);
  EXPECT_EQ(rec.startDelay, 0u);
  cfg.eventOffset = -100;
  ASSERT_EQ(fillBmRecord(rec, cfg, 2048), 0);
  EXPECT_EQ(rec.startDelay, 300u);
  EXPECT_EQ(rec.sampleCount, 400u);
}

}  // namespace
