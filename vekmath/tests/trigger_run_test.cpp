// The trigger events within a run's lifecycle.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "triggers/trigger_events.h"
#include "vekmath.h"

using namespace vekmath;

namespace {

// Leaves "rose through B" set and one completed event in the process lists.
void leaveCrossingState() {
  TriggerSettings s;
  s.channels = 1;
  s.triggerChannel = 1;
  s.levelA = 1000;
  s.levelB = 500;
  s.blockScans = 2;
  s.offsetScans = -2;
  TriggerEvents& events = triggerEvents();
  events.arm(s);
  std::vector<uint16_t> ring(100, 0);
  ring[5] = 2000;  // a whole event
  ring[7] = 600;   // then half of one
  events.detectAndComplete(ring.data(), 100, 0, 10, 10, false);
  ASSERT_EQ(events.completedCount(), 1);
  ASSERT_TRUE(events.flagsSnapshot().roseB);
}

class TriggerRunTest : public ::testing::Test {
 protected:
  void TearDown() override { CloseBoard(nullptr); }
};

TEST_F(TriggerRunTest, StartClearsCrossingsAndEventsOfTheLastRun) {
  leaveCrossingState();
  const SHORT list[32] = {1};
  LONG status = -1;
  SelectBoard(4, 0, "");  // no device: the thread fetches nothing
  SetupSampling(1, list, 100, 10, 100, 0, 1, 500, 1000, &status);
  ASSERT_EQ(status, 0);
  StartSampling(&status);
  ASSERT_EQ(status, 0);
  // A half crossing kept from the last run would complete an event early.
  TriggerFlags flags = triggerEvents().flagsSnapshot();
  EXPECT_FALSE(flags.roseB || flags.roseA || flags.fellA || flags.fellB);
  EXPECT_EQ(triggerEvents().completedCount(), 0);
  StopSampling(&status);
}

TEST_F(TriggerRunTest, SwitchingDetectionEmptiesTheLists) {
  leaveCrossingState();
  SetupSampling3(1);
  EXPECT_EQ(config().detectTriggers, 1);
  EXPECT_EQ(triggerEvents().completedCount(), 0);
  EXPECT_TRUE(triggerEvents().pendingSnapshot().empty());
  EXPECT_FALSE(triggerEvents().flagsSnapshot().roseB);
  EXPECT_FALSE(takeNextEventWindow(eventWindowBuffer(), kEventWindowCapacity).taken);
  SetupSampling3(0);
}

}  // namespace
