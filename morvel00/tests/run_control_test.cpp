// Open, stop and status over every kind of run.
#include <algorithm>
#include <chrono>

#include "handler_fixture.h"
#include "library_fixture.h"

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

// The library's notification thread may send the run's wait before the
// stop or after it. Either way the run stays stopped, and nothing is
// written into the caller's buffer once the stop has returned.
TEST_F(LibraryTest, AStopRightAfterABackgroundStartEndsTheRunAndItsWrites) {
  openGroupOf({morvel00test::DefaultBoard()});
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "StopAfterStartWindow";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  uint16_t list[1] = {2};
  std::vector<uint16_t> data(200, 0xAAAA);
  XanInpBackParams bp{data.data(), list, 1, 0, 200, 1, 2000};  // a scan every 2 ms
  ASSERT_EQ(XanInpBack(h_, 0, &bp, static_cast<XanWindow>(reinterpret_cast<uintptr_t>(window)), 0x401, 0, 0), 0);
  ASSERT_EQ(XanStop(h_), 0);
  uint16_t state = 99;
  uint32_t count = 99;
  EXPECT_EQ(XanSts(h_, &state, &count, nullptr), 0);
  EXPECT_EQ(state, XAN_STATE_STOPPED);
  std::fill(data.begin(), data.end(), 0x5555);

  // The wait is answered with the stop's state, whenever it came.
  bool answered = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!answered && std::chrono::steady_clock::now() < deadline) {
    MSG m{};
    while (PeekMessageA(&m, window, 0x401, 0x401, PM_REMOVE)) answered = answered || m.wParam == XAN_STATE_STOPPED;
    if (!answered) Sleep(1);
  }
  EXPECT_TRUE(answered);
  for (int step = 0; step < 500; ++step) plat::bus::Advance(1'000'000);  // longer than the whole run
  EXPECT_EQ(XanSts(h_, &state, &count, nullptr), 0);
  EXPECT_EQ(state, XAN_STATE_STOPPED);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(std::count(data.begin(), data.end(), 0x5555), 200);
  DestroyWindow(window);
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

namespace {

TEST_F(HandlerTest, ABackgroundOutputIsCheckedAndThenRefusedWithNothingKept) {
  static uint16_t data[8], list[1];
  const struct {
    int16_t mode;
    uint16_t samples, message;
    uint32_t repeat;
    int16_t result;
    uint16_t channel = 0;  // the board has one output channel
  } rows[] = {
      {6, 4, 0, 1, XAN_E_MODE},          {0, 0, 0, 1, XAN_E_OUT_SAMPLES},
      {0, 4, 0, 0x1000000, XAN_E_OUT_REPEAT}, {0, 4, 1023, 1, XAN_E_MESSAGE},
      {0, 4, 1024, 0xFFFFFFFF, XAN_E_NO_OUT}, {5, 4, 0, 1, XAN_E_NO_OUT},
      {0, 4, 0, 0xFFFFFF, XAN_E_NO_OUT},  {0, 4, 32767, 1, XAN_E_NO_OUT},
      {0, 4, 32768, 1, XAN_E_MESSAGE},    {0, 4, 0, 1, XAN_E_CHANNEL, 1},
  };
  writes();
  for (const auto& row : rows) {
    XanRequest r{};
    list[0] = row.channel;
    r.back.mode = row.mode;
    r.back.messageA = row.message;
    r.back.dataAddress = reinterpret_cast<uintptr_t>(data);
    r.back.channelListAddress = reinterpret_cast<uintptr_t>(list);
    r.back.count = 1;
    r.back.samplesPerChannel = row.samples;
    r.back.scansOrRepeat = row.repeat;
    r.back.timeBase = 1;
    r.back.clockCount = 10;
    EXPECT_EQ(request(XAN_OUT_BACK, r).back.result, row.result) << row.mode << " " << row.samples;
    EXPECT_EQ(rec_->kind, morvel00::kKindNone);
    EXPECT_EQ(rec_->state, XAN_STATE_FINISHED);
    EXPECT_TRUE(writes().empty());
  }
}

}  // namespace
