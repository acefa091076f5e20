// The older boards' set-up: the clock counts, the board-memory records the
// library is given, and the open and range calls with their refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquisition/sampling_config.h"
#include "backends/older_vendor_a/older_backend.h"
#include "backends/older_vendor_a/records.h"
#include "backends/older_vendor_a/status_texts.h"
#include "status/message.h"
#include "support/morvel_double.h"
#include "vekmath.h"

using namespace vekmath;
using namespace oldertest;
using Calls = std::vector<std::string>;

namespace {

TEST(OlderClockCounts, SixteenBitScanClockNeitherWrapsNorDropsBelowTheBoardsMinimum) {
  struct Case {
    int32_t us;
    uint16_t count;
  };
  // 1,639 us and more would wrap into a far faster clock.
  const Case cases[] = {{1, 39}, {0, 0xFFFF}, {-3, 0xFFFF}, {1638, 65519}, {1639, 0xFFFF}, {100000, 0xFFFF}};
  for (const Case& c : cases) EXPECT_EQ(scanClockCount(c.us), c.count) << c.us;
  EXPECT_EQ(samplingClockCount(1000), 39999);
  EXPECT_EQ(samplingClockCount(INT32_MAX), INT32_MAX);
}

void setLevel(SamplingConfig& cfg, int32_t offset) {
  cfg.channels = 2;
  cfg.blockScans = 1000;
  cfg.eventOffset = offset;
  cfg.triggerChannel = 2;
  cfg.levelB = -100;
  cfg.levelA = 200;
  cfg.scanClockUs = 0;
  cfg.periodUs = 1000;
}

TEST(OlderRecords, LevelRecordSplitsTheBlockAtTheTrigger) {
  struct Case {
    int32_t offset;
    int32_t samples;
    int32_t delay;
  };
  const Case cases[] = {{-10, 11, 989}, {0, 1000, 0}, {25, 1000, 25}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    SamplingConfig cfg;
    setLevel(cfg, c.offset);
    const XanInpBdMemParamsModes23 r = levelRecord(cfg, 2048);
    EXPECT_EQ(r.samplesPerChannel, c.samples);
    EXPECT_EQ(r.delayCount, c.delay);
    EXPECT_EQ(r.channelList, reinterpret_cast<uintptr_t>(cfg.channelList));
    EXPECT_EQ(r.channelCount, 2);
    EXPECT_EQ(r.triggerChannel, 1);
    EXPECT_EQ(r.firstLevel, 1948);
    EXPECT_EQ(r.secondLevel, 2248);
    EXPECT_EQ(r.scanClock, 0xFFFF);  // no minimum here
    EXPECT_EQ(r.samplingClock, 39999);
    EXPECT_EQ(r.clockSource + r.triggerDirection + r.memoryRing + r.triggerSource, 0);
  }
}

class OlderSetup : public ::testing::Test {
 protected:
  void TearDown() override { CloseBoard(nullptr); }

  LONG setUp(LONG trigger, LONG offset = 0, const char* device = "2", LONG group = 1) {
    SelectBoard(3, group, device);
    const SHORT list[32] = {4, 1};
    LONG status = -1;
    SetupSampling(2, list, 1000, 1, 1000, offset, trigger, 0, 0, &status);
    return status;
  }

  static std::string textOf(int32_t code) {
    setOlderVendorAStatusText(code);
    return messageText();
  }

  MorvelDouble morvel_;
};

TEST_F(OlderSetup, OpensSetsTheRangeAndFillsTheRecordOfItsMode) {
  const uint32_t h = handleOf({2, 1});
  struct Case {
    LONG trigger;
    LONG offset;
    uint16_t mode;
    int32_t samplingMode;
  };
  const Case cases[] = {{0, 0, 4, 0}, {1, 5, 2, 1}, {1, -10, 3, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    const std::size_t before = morvel_.calls().size();
    ASSERT_EQ(setUp(c.trigger, c.offset), 0) << messageText();
    EXPECT_EQ(olderBoardRecords().mode, c.mode);
    EXPECT_EQ(config().samplingMode, c.samplingMode);
    EXPECT_EQ(config().channelList[0], 3);  // 0-based
    EXPECT_EQ(config().channelList[1], 0);
    EXPECT_EQ(olderBoardRecords().read.firstPosition, 0);
    CloseBoard(nullptr);
    const Calls calls = morvel_.calls();
    EXPECT_EQ(Calls(calls.begin() + static_cast<std::ptrdiff_t>(before), calls.end()),
              (Calls{"XanOpen(2,1)", "XanSetRange(" + std::to_string(h) + ",0,0,0,0)",
                     "XanClose(" + std::to_string(h) + ")"}));
  }
  const XanInpBdMemParamsAbove3& r = olderBoardRecords().freeRun;
  EXPECT_EQ(r.channelList, reinterpret_cast<uintptr_t>(config().channelList));
  EXPECT_EQ(r.channelCount, 2);
  EXPECT_EQ(r.samplesPerChannel, -1);
  EXPECT_EQ(r.scanClock, 39);
  EXPECT_EQ(r.samplingClock, 39999);
  EXPECT_EQ(r.clockSource + r.memoryRing + r.triggerSource, 0);
}

// A refusal ends the set-up with the library's code and text; a board
// already open is closed again, and nothing is left open.
TEST_F(OlderSetup, RefusalsEndTheSetupWithTheLibrarysText) {
  struct Case {
    const char* device;
    LONG group;
    std::string failing;
    LONG code;
  };
  const Case cases[] = {
      {"56", 1, "", 1}, {"65538", 1, "", 1},  // beyond 16 bits: not board 2
      {"2", 0, "", 3},  {"2", 65537, "", 3}, {"7", 1, "", 2}, {"2", 1, "XanSetRange", 10003},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.device) + "/" + std::to_string(c.group) + c.failing);
    morvel_.script().failing = c.failing;
    morvel_.script().failCode = c.code;
    const std::string expected = textOf(c.code);
    EXPECT_EQ(setUp(0, 0, c.device, c.group), c.code);
    EXPECT_EQ(messageText(), expected);
    EXPECT_EQ(morvel_.openBoards(), 0);
    LONG status = -1;
    StartSampling(&status);
    EXPECT_EQ(status, c.code);
  }
}

// Without the library the board types still answer with a status and
// text, and nothing is called.
TEST_F(OlderSetup, MissingLibraryRefusesTheSetup) {
  morvel_.uninstall();
  const std::string expected = textOf(2);
  for (LONG code : {0, 3}) {
    SelectBoard(code, 1, "2");
    const SHORT list[32] = {1};
    LONG status = -1;
    SetupSampling(1, list, 1000, 1, 1000, 0, 0, 0, 0, &status);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(messageText(), expected);
    StartSampling(&status);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(StopSampling(&status), 2);
    CloseBoard(&status);
  }
  EXPECT_TRUE(morvel_.calls().empty());
}

}  // namespace
