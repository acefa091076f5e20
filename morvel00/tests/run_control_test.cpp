// Open, stop and status over every kind of run.
#include "handler_fixture.h"

namespace {

TEST_F(DriverTest, AnOpenAfterAFailedBoardTestLeavesTheGroupFreeForTheNextTry) {
  ASSERT_EQ(startOneBoard(), STATUS_SUCCESS);
  HANDLE h = open();
  boards_.at(0)->SetFaults({.statusAllOnes = true});
  EXPECT_EQ(openGroup(h, 1), XAN_E_BOARD);
  boards_.at(0)->SetFaults({});
  EXPECT_EQ(openGroup(h, 1), XAN_OK);
}

TEST_F(HandlerTest, StopEndsOnlyWhatRunsAndCompletesItsWait) {
  Wait idle;
  ASSERT_TRUE(pend(idle, XAN_WAIT_BACK));
  EXPECT_EQ(request(XAN_STOP).stop.result, XAN_E_NOT_RUNNING);
  EXPECT_FALSE(idle.done()) << "a stop with nothing running completes nothing";

  rec_->state = XAN_STATE_RUNNING;
  rec_->kind = morvel00::kKindBackgroundInput;
  rec_->windowA = 77;
  rec_->messageA = 1024;
  rec_->reserved = 0xABCD;
  rec_->triggerSource = 7;
  const XanStopRecord stop = request(XAN_STOP).stop;
  EXPECT_EQ(stop.result, XAN_OK);
  EXPECT_EQ(stop.state, XAN_STATE_STOPPED);
  EXPECT_EQ(stop.windowA, 77u);
  EXPECT_EQ(stop.messageA, 1024);
  EXPECT_EQ(stop.reserved, 0xABCDu);
  EXPECT_EQ(stop.triggerSource, 7);
  EXPECT_TRUE(idle.done());
}

TEST_F(HandlerTest, StatusOfABoardMemoryRunReadsTheBoardsCount) {
  rec_->kind = morvel00::kKindBoardMemory;
  rec_->state = XAN_STATE_STARTED;
  rec_->triggerSource = 1;  // followed by the interrupt path, not by status
  rec_->memorySamples = 0;
  boards_.at(0)->SetFaults({.writeAddressScript = {40, 40, 40}});
  const XanStsRecord sts = request(XAN_STS).sts;
  EXPECT_EQ(sts.result, XAN_OK);
  EXPECT_EQ(sts.count, 40u);
  EXPECT_EQ(sts.state, XAN_STATE_STARTED);
}

}  // namespace
