// A level stop trigger set as the processing library sets it: the run ends
// by itself its delay after the crossing, and the stop-trigger count and the
// data tell where the crossing was.
#include <gtest/gtest.h>
#include <halvik.h>
#include <halviksim.h>

#include <vector>

#include "installed_halvik.h"

namespace {

class AnalogInputTriggerTest : public InstalledHalvik {};

TEST_F(AnalogInputTriggerTest, ALevelStopEndsTheRunItsDelayAfterTheCrossing) {
  install();
  open();
  constexpr LONG kBlock = 100, kOffset = -10;
  constexpr LONG kLevel = 768;      // channel 1 reads 256 + s: crossed rising at scan 512
  constexpr LONG kCrossing = 512;
  constexpr LONG kTaken = kCrossing + 1 + kBlock + kOffset + 1;
  for (const char* road : {"HVA1", "HVU00"}) {
    SCOPED_TRACE(road);
    ASSERT_TRUE(halviksim::SetAiClock(road, halviksim::AiClock::Virtual));
    short id = -1;
    ASSERT_EQ(entry<decltype(&XanInit)>("XanInit")(road, &id), 0);
    ASSERT_EQ(entry<decltype(&XanSetAiChannels)>("XanSetAiChannels")(id, 2), 0);
    ASSERT_EQ(entry<decltype(&XanSetAiSamplingClock)>("XanSetAiSamplingClock")(id, 10.0f), 0);
    ASSERT_EQ(entry<decltype(&XanSetAiStopLevel)>("XanSetAiStopLevel")(id, 1, kLevel, 2), 0);
    ASSERT_EQ(entry<decltype(&XanSetAiStopTimes)>("XanSetAiStopTimes")(id, kBlock + 1), 0);
    ASSERT_EQ(entry<decltype(&XanSetAiStopDelayTimes)>("XanSetAiStopDelayTimes")(id, kBlock + kOffset + 1), 0);
    ASSERT_EQ(entry<decltype(&XanSetAiStopTrigger)>("XanSetAiStopTrigger")(id, 3), 0);
    ASSERT_EQ(entry<decltype(&XanStartAi)>("XanStartAi")(id), 0);
    ASSERT_TRUE(halviksim::AdvanceTime(road, 100'000));

    LONG status = -1, count = -1, stopCount = -1;
    ASSERT_EQ(entry<decltype(&XanGetAiStatus)>("XanGetAiStatus")(id, &status), 0);
    EXPECT_EQ(status & 1, 0) << "ended by itself";
    ASSERT_EQ(entry<decltype(&XanGetAiStopTriggerCount)>("XanGetAiStopTriggerCount")(id, &stopCount), 0);
    EXPECT_EQ(stopCount, kCrossing + 1);
    ASSERT_EQ(entry<decltype(&XanGetAiSamplingCount)>("XanGetAiSamplingCount")(id, &count), 0);
    ASSERT_EQ(count, kTaken) << "not the stop times";
    std::vector<LONG> values(static_cast<size_t>(count) * 2, -1);
    ASSERT_EQ(entry<decltype(&XanGetAiSamplingData)>("XanGetAiSamplingData")(id, &count, values.data()), 0);
    EXPECT_EQ(values[2 * kCrossing + 1], kLevel);
    EXPECT_EQ(values[2 * kCrossing - 1], kLevel - 1);
    EXPECT_EQ(entry<decltype(&XanStopAi)>("XanStopAi")(id), 0);
    EXPECT_EQ(entry<decltype(&XanExit)>("XanExit")(id), 0);
  }
}

}  // namespace
