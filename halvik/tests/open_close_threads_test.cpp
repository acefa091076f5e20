// Opening and closing one device from several application threads, and
// closing it from inside its own event callback.
#include <gtest/gtest.h>
#include <halvik.h>
#include <halviksim.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "installed_halvik.h"

namespace {

class OpenCloseThreadsTest : public InstalledHalvik {
 protected:
  void SetUp() override {
    InstalledHalvik::SetUp();
    install();
    open();
    init = entry<decltype(&XanInit)>("XanInit");
    exitDevice = entry<decltype(&XanExit)>("XanExit");
  }
  decltype(&XanInit) init = nullptr;
  decltype(&XanExit) exitDevice = nullptr;
};

TEST_F(OpenCloseThreadsTest, OpensAndClosesFromEightThreadsKeepTheCount) {
  auto revision = entry<decltype(&XanGetDeviceRevision)>("XanGetDeviceRevision");
  std::atomic<LONG> firstFailure{0};
  auto note = [&](LONG status) {
    LONG none = 0;
    if (status != 0) firstFailure.compare_exchange_strong(none, status);
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&] {
      for (int round = 0; round < 200 && firstFailure.load() == 0; ++round) {
        short id = -1;
        char text[16] = "";
        note(init("HVA1", &id));
        note(revision(id, text));  // on the handle this open counted on
        note(exitDevice(id));
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(firstFailure.load(), 0);
  short id = -1;
  ASSERT_EQ(init("HVA1", &id), 0);
  EXPECT_EQ(exitDevice(id), 0);
  EXPECT_EQ(exitDevice(id), 10002);  // every open was undone: nothing left counted
}

struct CloseInCallback {
  decltype(&XanExit) exitDevice = nullptr;
  std::atomic<int> calls{0};
  std::atomic<LONG> status{-1};
};
CloseInCallback gClose;
void closeOnce(short id) {
  if (gClose.calls.fetch_add(1) == 0) gClose.status.store(gClose.exitDevice(id));
}
void WINAPI closeOnEvent(short id, short, short, LONG, void*) { closeOnce(id); }
void WINAPI closeOnCntmEvent(LONG id, LONG, LONG, void*) { closeOnce(static_cast<short>(id)); }

bool within(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done();
}

// The close must not wait for the thread it runs on; that thread ends once
// the callback has returned, and the device opens and counts afresh.
TEST_F(OpenCloseThreadsTest, ClosesFromInsideItsOwnCallback) {
  auto compare = entry<decltype(&XanSetCntComparisonReg)>("XanSetCntComparisonReg");
  auto callback = entry<decltype(&XanSetCntCallBackProc)>("XanSetCntCallBackProc");
  auto start = entry<decltype(&XanStartCnt)>("XanStartCnt");
  auto preset = entry<decltype(&XanPresetCnt)>("XanPresetCnt");
  auto cntmCallback = entry<decltype(&XanCntmCountUpCallbackProc)>("XanCntmCountUpCallbackProc");
  auto cntmNotify = entry<decltype(&XanCntmNotifyCountUp)>("XanCntmNotifyCountUp");
  auto cntmClear = entry<decltype(&XanCntmZeroClearCount)>("XanCntmZeroClearCount");
  auto cntmStart = entry<decltype(&XanCntmStartCount)>("XanCntmStartCount");
  gClose.exitDevice = exitDevice;
  const LONG match[] = {2};
  const short channel[] = {3};
  struct Family {
    const char* name;
    std::function<LONG(short)> arm;
    std::function<bool()> fire;
  };
  const Family families[] = {
      {"counter",
       [&](short id) {
         LONG s = preset(id, 0, 0);
         if (s == 0) s = compare(id, 0, 1, match, 0);
         if (s == 0) s = callback(id, 0, closeOnEvent, 0x10, nullptr);
         return s != 0 ? s : start(id, 0);
       },
       [] { return halviksim::PulseCounter("HVA1", 0, 3); }},
      {"multi-function counter",
       [&](short id) {
         LONG s = cntmCallback(id, closeOnCntmEvent, nullptr);
         if (s == 0) s = cntmNotify(id, 3, 0, 2, nullptr);
         if (s == 0) s = cntmClear(id, channel, 1);
         return s != 0 ? s : cntmStart(id, channel, 1);
       },
       [] { return halviksim::CntmPulses("HVA1", 3, 2); }},
  };
  for (const Family& family : families) {
    for (int run = 0; run < 2; ++run) {
      SCOPED_TRACE(std::string(family.name) + " run " + std::to_string(run));
      gClose.calls = 0;
      gClose.status = -1;
      short id = -1;
      ASSERT_EQ(init("HVA1", &id), 0);
      ASSERT_EQ(family.arm(id), 0);
      ASSERT_TRUE(family.fire());
      ASSERT_TRUE(within([] { return gClose.status.load() != -1; }));
      EXPECT_EQ(gClose.status.load(), 0);
      EXPECT_EQ(exitDevice(id), 10002);
    }
  }
}

struct CloseBeside {
  decltype(&XanInit) init = nullptr;
  decltype(&XanExit) exitDevice = nullptr;
  bool reopen = false;  // the callback opens the device instead of closing it
  std::atomic<bool> entered{false};
  std::atomic<bool> logCleared{false};
  std::atomic<LONG> status{-1};
  std::atomic<short> reopenedId{0};
};
CloseBeside gBeside;
bool closeRequested() {
  if (!gBeside.logCleared.load()) return false;
  for (DWORD code : halviksim::RequestLog("HVA1"))
    if (code == 0x222400) return true;  // the close's ownership check
  return false;
}
void WINAPI closeBesideOnEvent(short id, short, short, LONG, void*) {
  if (gBeside.entered.exchange(true)) return;
  if (!within(closeRequested)) return;
  if (!gBeside.reopen) return gBeside.status.store(gBeside.exitDevice(id));
  short reopened = 0;
  gBeside.status.store(gBeside.init("HVA1", &reopened));
  gBeside.reopenedId.store(reopened);
}

// An application thread closes the device while its callback runs, and the
// callback closes or opens it: the callback gives way to the close that
// waits for it, which then ends in time and leaves nothing counted.
TEST_F(OpenCloseThreadsTest, ACallbackGivesWayToTheCloseThatWaitsForIt) {
  auto preset = entry<decltype(&XanPresetCnt)>("XanPresetCnt");
  auto compare = entry<decltype(&XanSetCntComparisonReg)>("XanSetCntComparisonReg");
  auto callback = entry<decltype(&XanSetCntCallBackProc)>("XanSetCntCallBackProc");
  auto start = entry<decltype(&XanStartCnt)>("XanStartCnt");
  gBeside.init = init;
  gBeside.exitDevice = exitDevice;
  const LONG match[] = {2};
  const struct {
    bool reopen;
    LONG callbackStatus;
  } rows[] = {{false, 10002}, {true, 10003}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.reopen ? "callback opens" : "callback closes");
    gBeside.reopen = row.reopen;
    gBeside.entered = false;
    gBeside.logCleared = false;
    gBeside.status = -1;
    gBeside.reopenedId = 0;
    short id = -1;
    ASSERT_EQ(init("HVA1", &id), 0);
    ASSERT_EQ(preset(id, 0, 0), 0);
    ASSERT_EQ(compare(id, 0, 1, match, 0), 0);
    ASSERT_EQ(callback(id, 0, closeBesideOnEvent, 0x10, nullptr), 0);
    ASSERT_EQ(start(id, 0), 0);
    ASSERT_TRUE(halviksim::PulseCounter("HVA1", 0, 3));
    ASSERT_TRUE(within([] { return gBeside.entered.load(); }));
    ASSERT_TRUE(halviksim::ClearRequestLog("HVA1"));
    gBeside.logCleared = true;
    EXPECT_EQ(exitDevice(id), 0);  // 10004 had the callback kept its thread past the close's wait
    EXPECT_EQ(gBeside.status.load(), row.callbackStatus);
    if (row.reopen) {
      EXPECT_EQ(gBeside.reopenedId.load(), -1);
    }
    EXPECT_EQ(exitDevice(id), 10002);
  }
}

}  // namespace
