// The last XanExit and the two resets: what runs is stopped, every step of
// the close is taken, and "not on this device" ends nothing.
#include <halvik.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "event_threads.h"
#include "support/devices_fixture.h"

namespace devices_test {
namespace {

namespace drv = halvikdrv;
using halvik::DeviceRecord;

class ExitTest : public DevicesTest {
 protected:
  short open(DWORD busKind) {
    addDevice("0000", "XAN000", 3, busKind == 0 ? "HVA-1632PE" : "Demo", busKind);
    scan();
    short id = -1;
    EXPECT_EQ(XanInit("XAN000", &id), 0);
    return id;
  }
};

TEST_F(ExitTest, TheLastCloseTakesEveryStepAndGivesTheFirstFailure) {
  struct Case {
    const char* what;
    DWORD bus;
    std::function<void()> arrange;
    LONG status;
    std::function<int()> counted;  // a request that must have gone out
    int times;
  } const cases[] = {
      {"input status refused", 0, [] { Driver().status[drv::kAiStatus] = 12345; }, 12345,
       [] { return Driver().count(drv::kClose); }, 1},
      {"release refused", 0, [] { Driver().status[drv::kClose] = 777; }, 777,
       [] { return Driver().count(drv::kClose); }, 1},
      {"another process holds the device", 0, [] { Driver().status[drv::kOwnership] = 20003; }, 0,
       [] { return Driver().count(drv::kAiStatus) + 10 * Driver().count(drv::kClose); }, 10},
      // No event thread to hand the mutex over: the stop goes out at once.
      {"input runs without its thread", 0, [] { Driver().bits[drv::kAiStatus] = 1; }, 0,
       [] { return Driver().count(drv::kAiStop); }, 1},
      {"counters run", 0, [] { Driver().bits[drv::kCntStatus] = 1; }, 0,
       [] { return Driver().count(drv::kCntStop); }, 2},
      {"only the time counters run", 0,
       [] { Driver().bits[drv::kTmStatus] = drv::tm::kRunning | drv::tm::kTimeCountRunning; }, 0,
       [] { return Driver().count(drv::kTmStopCount); }, 2},
      {"virtual status read fails", halvik::kBusVirtual, [] { VirtualBus().callResult[drv::kCmdAiStatus] = 30000; },
       30000, [] { return VirtualBus().count(drv::kCmdClose) + 10 * VirtualBus().closes; }, 11},
      {"virtual interval timer runs", halvik::kBusVirtual,
       [] { VirtualBus().bits[drv::kCmdTmStatus] = drv::tm::kRunning | drv::tm::kIntervalRunning; }, 20001,
       [] { return VirtualBus().count(drv::kCmdClose) + 10 * VirtualBus().closes; }, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    halvik::DeviceTable().clear();
    Driver() = FakeDriver{};
    VirtualBus() = FakeBus{};
    short id = open(c.bus);
    DeviceRecord& r = record("XAN000");
    c.arrange();
    EXPECT_EQ(XanExit(id), c.status);
    EXPECT_EQ(c.counted(), c.times);
    EXPECT_EQ(r.OpenCount, 0);
    EXPECT_EQ(r.Handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(XanExit(id), 10002);
  }
}

struct Worker {
  std::atomic<uint8_t>* run;
  std::atomic<bool> ended{false};
};

DWORD WINAPI workerMain(LPVOID param) {
  auto* w = static_cast<Worker*>(param);
  while (w->run->load() != 0) Sleep(1);
  w->ended = true;
  return 0;
}

TEST_F(ExitTest, EveryEventThreadEndsAtTheLastClose) {
  short id = open(0);
  DeviceRecord& r = record("XAN000");
  auto slots = halvik::ThreadSlotsOf(r);
  Worker workers[halvik::kThreadSlotCount];
  for (int i = 0; i < halvik::kThreadSlotCount; ++i) {
    workers[i].run = slots[i].run;
    slots[i].run->store(1);
    *slots[i].thread = CreateThread(nullptr, 0, workerMain, &workers[i], 0, nullptr);
    ASSERT_NE(*slots[i].thread, nullptr);
  }
  EXPECT_EQ(XanExit(id), 0);
  for (int i = 0; i < halvik::kThreadSlotCount; ++i) {
    EXPECT_TRUE(workers[i].ended) << i;
    EXPECT_EQ(*slots[i].thread, INVALID_HANDLE_VALUE) << i;
  }
}

// A thread ended by the close has closed its objects; their values must not
// stay in the record, where a later reset would wait on whatever reuses them.
TEST_F(ExitTest, AnEndedThreadLeavesNoClosedHandleInTheRecord) {
  short id = open(0);
  DeviceRecord& r = record("XAN000");
  HANDLE left = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // stands for the objects the thread closed
  HANDLE* fields[] = {&r.MutexA[halvik::kSlotAi], &r.MutexB[halvik::kSlotAi], &r.DoneEvent[halvik::kSlotAi],
                      &r.AiWaitEvent, &r.AiMutexC, &r.AiPollWaitEvent};
  for (HANDLE* field : fields) *field = left;
  Worker workers[2];
  workers[0].run = &r.ThreadRun[halvik::kSlotAi];
  workers[1].run = &r.AiPollRun;
  HANDLE* threads[] = {&r.EventThread[halvik::kSlotAi], &r.AiPollThread};
  for (int i = 0; i < 2; ++i) {
    workers[i].run->store(1);
    *threads[i] = CreateThread(nullptr, 0, workerMain, &workers[i], 0, nullptr);
  }
  EXPECT_EQ(XanExit(id), 0);
  for (HANDLE* field : fields) EXPECT_EQ(*field, INVALID_HANDLE_VALUE);
  CloseHandle(left);
}

TEST_F(ExitTest, ResetProcessGoesOnPastCountersAndTimersTheDeviceLacks) {
  short id = open(0);
  Driver().counterChannels = 3;
  Driver().status[drv::kCntStop] = drv::kStatusNoSuchCounter;
  Driver().status[drv::kTmStop] = drv::kStatusNoSuchTimer;
  EXPECT_EQ(XanResetProcess(id), 0);
  EXPECT_EQ(Driver().count(drv::kReleaseOwnership), 1);
  EXPECT_EQ(Driver().count(drv::kCntStop), 3);
  EXPECT_EQ(Driver().count(drv::kTmStop), 3);
  Driver().status[drv::kAoStop] = 555;
  EXPECT_EQ(XanResetProcess(id), 555);
  EXPECT_EQ(XanResetProcess(-1), 10001);
}

}  // namespace
}  // namespace devices_test
