// The WDM back end's set-up through a recording Halvik: the calls in order
// with their arguments, and the first refusal ending it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "status/message.h"
#include "support/halvik_double.h"
#include "vekmath.h"

using namespace vekmath;
using namespace wdmtest;
using Calls = std::vector<std::string>;

namespace {

// "エラーコード = " and "エラー内容 = "
const std::string kCodeLine = "\x83\x47\x83\x89\x81\x5b\x83\x52\x81\x5b\x83\x68\x20\x3d\x20";
const std::string kDetail = "\x83\x47\x83\x89\x81\x5b\x93\xe0\x97\x65\x20\x3d\x20";

struct Params {
  LONG code;
  LONG scanClock;
  LONG period;
  LONG trigger = 0;
  LONG offset = 0;
  LONG levelB = 0;
  LONG levelA = 0;
};

class WdmSetup : public ::testing::Test {
 protected:
  void TearDown() override { CloseBoard(nullptr); }

  LONG setUp(const Params& s, const char* device = "XAN001") {
    SelectBoard(s.code, 0, device);
    const SHORT list[32] = {3, 5};
    LONG status = -1;
    SetupSampling(2, list, 1000, s.scanClock, s.period, s.offset, s.trigger, s.levelB, s.levelA, &status);
    return status;
  }

  HalvikDouble halvik_;
};

Calls concat(std::initializer_list<Calls> parts) {
  Calls all;
  for (const Calls& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

const Calls kOpen = {"XanInit(XAN001)", "XanResetDevice(1)", "XanSetAiChannels(1,2)"};
const Calls kSequence = {"XanSetAiChannelSequence(1,0,2)", "XanSetAiChannelSequence(1,1,4)"};
const Calls kTypes = {"XanSetAiMemoryType(1,0)", "XanSetAiClockType(1,0)"};
const Calls kTail = {"XanSetAiEvent(1,0,458912)", "XanSetAiRepeatTimes(1,1)", "XanResetAiMemory(1)"};
const Calls kStopByCommand = {"XanSetAiStopTrigger(1,4)"};

// Run in order: the negative trigger channel follows a level-triggered set-up
// and must not keep its sampling mode.
TEST_F(WdmSetup, CallsInOrderPerCodeAndTrigger) {
  struct Case {
    Params setup;
    Calls calls;
    int32_t mode;
    int32_t scanClock;
  };
  const Case cases[] = {
      {{7, 1, 1000},
       concat({kOpen, kTypes,
               {"XanSetAiSamplingClock(1,1000)", "XanSetAiScanClock(1,2)", "XanSetAiStartTrigger(1,0)"},
               kStopByCommand, kTail}),
       0, 2},
      {{10, 5000, 20000, 2, -100, 100, 50},
       concat({kOpen, kSequence, kTypes,
               {"XanSetAiSamplingClock(1,20000)", "XanSetAiScanClock(1,1638)", "XanSetAiStartTrigger(1,0)",
                "XanSetAiStopLevel(1,1,32868,2)", "XanSetAiStopTimes(1,1001)", "XanSetAiStopDelayTimes(1,901)",
                "XanSetAiStopTrigger(1,3)"},
               kTail}),
       1, 1638},
      {{21, 10, 1000, -1, 0, -200, 0},
       concat({kOpen, kSequence, kTypes,
               {"XanSetAiSamplingClock(1,1000)", "XanSetAiScanClock(1,10)", "XanSetAiStartTrigger(1,0)"},
               kStopByCommand, kTail}),
       0, 10},
      {{11, 10, 1000, 1, 0, -200, 0},
       concat({kOpen, kSequence, kTypes,
               {"XanSetAiSamplingClock(1,1000)", "XanSetAiScanClock(1,10)", "XanSetAiStartTrigger(1,0)",
                "XanSetAiStopLevel(1,0,32568,1)", "XanSetAiStopTimes(1,1000)", "XanSetAiStopDelayTimes(1,1000)",
                "XanSetAiStopTrigger(1,3)"},
               kTail}),
       1, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setup.code);
    CloseBoard(nullptr);
    halvik_.clearCalls();
    ASSERT_EQ(setUp(c.setup), 0) << messageText();
    EXPECT_EQ(halvik_.calls(), c.calls);
    EXPECT_EQ(config().samplingMode, c.mode);
    EXPECT_EQ(config().scanClockUs, c.scanClock);
    EXPECT_EQ(selection().zeroOffset, 32768);
  }
}

TEST_F(WdmSetup, FirstRefusalEndsSetUpWithItsCodeAndText) {
  struct Case {
    const char* failing;
    LONG code;
    const char* hex;
  };
  const Case cases[] = {
      {"XanInit", 10004, "2714"},
      {"XanSetAiChannelSequence", 11020, "2b0c"},
      {"XanSetAiScanClock", 11120, "2b70"},
      {"XanResetAiMemory", 11400, "2c88"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failing);
    CloseBoard(nullptr);
    halvik_.script().failing = c.failing;
    halvik_.script().failCode = c.code;
    halvik_.clearCalls();
    EXPECT_EQ(setUp({10, 10, 1000}), c.code);
    EXPECT_EQ(config().lastStatus.load(), c.code);
    const Calls calls = halvik_.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().substr(0, calls.back().find('(')), c.failing);
    EXPECT_EQ(messageText(), kCodeLine + c.hex + "\n" + kDetail + textOf(c.code));
  }
  // A device that does not open is not closed, and a stop touches nothing.
  halvik_.script().failing.clear();
  EXPECT_EQ(setUp({10, 10, 1000}, "XAN009"), kUnknownDevice);
  halvik_.clearCalls();
  StopSampling(nullptr);
  CloseBoard(nullptr);
  EXPECT_EQ(halvik_.calls(), Calls{});
}

// Halvik's opens nest: each set-up's open is closed once, the earlier one
// before the device is opened again.
TEST_F(WdmSetup, OpensNestNoDeeperThanOne) {
  ASSERT_EQ(setUp({10, 10, 1000}), 0);
  halvik_.clearCalls();
  ASSERT_EQ(setUp({10, 10, 1000}), 0);
  const Calls again = halvik_.calls();
  ASSERT_GE(again.size(), 2u);
  EXPECT_EQ(again[0], "XanExit(1)");
  EXPECT_EQ(again[1], "XanInit(XAN001)");
  halvik_.clearCalls();
  CloseBoard(nullptr);
  CloseBoard(nullptr);
  EXPECT_EQ(halvik_.calls(), Calls{"XanExit(1)"});
}

}  // namespace
