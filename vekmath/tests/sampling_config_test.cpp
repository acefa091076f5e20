#include <gtest/gtest.h>

#include <string>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "status/status_texts.h"
#include "vekmath.h"

using namespace vekmath;

namespace {

struct Params {
  LONG channels;
  LONG blockScans;
  LONG scanClockUs;
  LONG periodUs;
  LONG triggerChannel = 0;
  LONG code = 1;  // no back end
};

class SamplingConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    config().monitorSpan = 0;
    ring().length.store(0);
  }

  LONG run(const Params& s, LONG levelB = 0, LONG levelA = 0) {
    SelectBoard(s.code, 0, "Dev1");
    SHORT list[32] = {1, 2, 3};
    LONG status = -1;
    SetupSampling(s.channels, list, s.blockScans, s.scanClockUs, s.periodUs, 0, s.triggerChannel, levelB, levelA,
                  &status);
    EXPECT_EQ(status, config().lastStatus.load());
    return status;
  }
};

TEST_F(SamplingConfigTest, DerivesChunkAndRingLength) {
  struct Case {
    Params setup;
    int32_t chunk;
    int32_t ringLength;
  };
  const Case cases[] = {
      {{8, 1000, 10, 1000}, 100, 16000000},
      {{8, 1000, 10, 100}, 1000, 8000},
      {{8, 1000, 10, 20000}, 1, 8000},
      {{8, 1000, 10, 8000}, 15, 8000},
      {{6, 1000, 10, 1000, 3}, 100, 15999996},
      // 16,000,000 is no whole number of 3-channel scans: a wrap would
      // shift every channel.
      {{3, 1000, 10, 1000}, 100, 15999999},
  };
  for (const Case& c : cases) {
    SetUp();
    SCOPED_TRACE(c.setup.periodUs);
    EXPECT_EQ(run(c.setup), 0);
    EXPECT_EQ(config().chunk, c.chunk);
    EXPECT_EQ(ring().length.load(), c.ringLength);
    EXPECT_EQ(ring().length.load() % c.setup.channels, 0);
  }
}

TEST_F(SamplingConfigTest, BadInputGetsItsStatus) {
  struct Case {
    Params setup;
    int32_t status;
  };
  const Case cases[] = {
      {{33, 1000, 10, 1}, kStatusParameter},  // 30000 wins over the clock
      {{0xFFFF, 1000, 10, 1000}, kStatusParameter},  // low 16 bits: -1
      {{4, 1000, 10, 1000, 5}, kStatusParameter},    // trigger beyond the scan
      {{8, 1000, 10, 80}, kStatusClock},
      {{8, 1000, 10, 0}, kStatusClock},
      {{8, 1000, 10, -5}, kStatusClock},
      {{8, 1000, 10, 0, 0, 5}, kStatusClock},  // vendor B too: no division by 0
      {{8, 0, 10, 1000}, kStatusRingLength},
      {{8, 0, 10, 100}, kStatusRingLength},
      {{8, -3, 10, 100}, kStatusRingLength},
      {{32, 1000000, 1, 100}, kStatusRingLength},  // beyond the ring
  };
  for (const Case& c : cases) {
    SetUp();
    SCOPED_TRACE(c.setup.channels * 1000 + c.setup.periodUs);
    EXPECT_EQ(run(c.setup), c.status);
    EXPECT_EQ(ring().length.load(), 0);
    char code[16];
    std::snprintf(code, sizeof code, "%x\n", static_cast<unsigned>(c.status));
    EXPECT_NE(messageText().find(code), std::string::npos);
  }
}

TEST_F(SamplingConfigTest, VendorBSkipsTheClockCheck) {
  // No such device here, so the back end answers with its own code; the
  // point is that the clock check let the call reach it.
  const LONG vendorB = run({8, 1000, 10, 80, 0, 5});
  EXPECT_NE(vendorB, kStatusClock);
  EXPECT_NE(vendorB, 0);
  EXPECT_EQ(run({8, 1000, 10, 80, 0, 1}), kStatusClock);
}

TEST_F(SamplingConfigTest, ChannelCountComesFromTheLow16Bits) {
  EXPECT_EQ(run({0x10004, 1000, 10, 1000}), 0);
  EXPECT_EQ(config().channels, 4);
}

TEST_F(SamplingConfigTest, NoChannelsKeepsTheRingLength) {
  ring().length.store(1234);
  EXPECT_EQ(run({0, 1000, 10, 1000}), 0);
  EXPECT_EQ(ring().length.load(), 1234);
}

TEST_F(SamplingConfigTest, NegativeTriggerChannelMeansNone) {
  EXPECT_EQ(run({8, 1000, 10, 100, -7}), 0);
  EXPECT_EQ(config().triggerChannel, 0);
  EXPECT_EQ(ring().length.load(), 8000);
}

TEST_F(SamplingConfigTest, TriggerDirectionComparesSigned16BitLevels) {
  run({8, 1000, 10, 100}, 0xFFFF, 1);  // B = -1 < A = 1
  EXPECT_EQ(config().triggerDirection, 0);
  run({8, 1000, 10, 100}, 0x10002, 2);  // B = 2 >= A = 2
  EXPECT_EQ(config().triggerDirection, 1);
}

TEST_F(SamplingConfigTest, MonitorSpanTakesTheBlockLengthWhenUnset) {
  run({2, 500, 10, 100});
  EXPECT_EQ(config().monitorSpan, 500);
  run({2, 900, 10, 100});  // the span stays and sets the length
  EXPECT_EQ(ring().length.load(), 1000);
}

TEST_F(SamplingConfigTest, BoardRowSetsZeroAndResolution) {
  // Each row replaces what the board type before it left; a row without a
  // value leaves it alone.
  struct Case {
    LONG code;
    int32_t zero;
    int32_t bits;
  };
  const Case cases[] = {
      {-1, 32768, 16}, {32, 0, 13}, {34, 2048, 12}, {33, 0, 13}, {3, 32768, 13}, {0, 2048, 13}, {1, 2048, 13},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    const LONG status = run({8, 1000, 10, 100, 0, c.code});
    // No older library is installed here, and "Dev1" is no COM port: their
    // opens are refused, after the row.
    const BoardGroup group = groupOf(c.code);
    if (group != BoardGroup::OlderVendorA && group != BoardGroup::SerialA && group != BoardGroup::SerialB) {
      EXPECT_EQ(status, 0);
    }
    EXPECT_EQ(selection().zeroOffset, c.zero);
    EXPECT_EQ(selection().resolution, c.bits);
  }
}

TEST_F(SamplingConfigTest, SimulatedThenUnitAGivesZeroZero) {
  EXPECT_EQ(run({8, 1000, 10, 100, 0, -1}), 0);
  ASSERT_EQ(selection().zeroOffset, 32768);
  EXPECT_EQ(run({8, 1000, 10, 100, 0, 32}), kStatusComPort);  // "Dev1" is no port
  EXPECT_EQ(selection().zeroOffset, 0);
}

TEST_F(SamplingConfigTest, ChecksThatFailKeepTheEarlierZero) {
  EXPECT_EQ(run({8, 1000, 10, 100, 0, -1}), 0);
  EXPECT_EQ(run({8, 1000, 10, 80, 0, 32}), kStatusClock);
  EXPECT_EQ(selection().zeroOffset, 32768);
}

TEST_F(SamplingConfigTest, RefusedWhileARunIsOn) {
  ASSERT_EQ(run({2, 500, 10, 100, 0, -1}), 0);
  ASSERT_EQ(ring().length.load(), 1000);
  LONG status = -1;
  StartSampling(&status);
  ASSERT_EQ(status, 0);
  SHORT list[32] = {1, 2, 3, 4};
  status = -1;
  SetupSampling(4, list, 9000, 10, 1000, 0, 0, 0, 0, &status);
  EXPECT_EQ(status, 0);  // the run's own status, untouched
  EXPECT_EQ(config().channels, 2);
  EXPECT_EQ(config().blockScans, 500);
  EXPECT_EQ(config().periodUs, 100);
  EXPECT_EQ(ring().length.load(), 1000);
  EXPECT_EQ(StopSampling(&status), 0);

  // Stopped, the same call goes through.
  SetupSampling(4, list, 9000, 10, 100, 0, 0, 0, 0, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(config().channels, 4);
  CloseBoard(nullptr);
}

TEST_F(SamplingConfigTest, SideSettingsAndMissingArguments) {
  SelectBoard(1, 0, "");
  SetupSampling(8, nullptr, 1000, 10, 100, 0, 0, 0, 0, nullptr);
  EXPECT_EQ(config().lastStatus.load(), 0);

  LONG table[32] = {};
  table[31] = 1;
  LONG status = -1;
  SetupSampling2(table, 7, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(config().dataFormat[31], 1);
  SetupSampling2(nullptr, 0, nullptr);
  EXPECT_EQ(config().dataFormat[31], 1);

  SetupSampling3(1);
  EXPECT_EQ(config().detectTriggers, 1);
  SetupSampling3(0);
}

}  // namespace
