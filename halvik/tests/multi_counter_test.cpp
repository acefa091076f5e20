// The multi-function counter as an application meets it: channels that
// count the stand-in's pulses, and their notifications by window message
// and by callback from the device's worker, which the last close ends.
#include <gtest/gtest.h>
#include <halvik.h>
#include <halviksim.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "installed_halvik.h"

namespace {

constexpr DWORD kCloseRequest = 0x222004;

struct Received {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Received> g_messages;  // the test's thread only, where the window lives

LRESULT CALLBACK counterWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= 0x1070 && message <= 0x1092) {
    g_messages.push_back({message, wParam, lParam});
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// What the callbacks were given, from the worker's thread.
struct Calls {
  std::mutex lock;
  std::condition_variable changed;
  std::vector<std::vector<LONG>> seen;  // {which, id, second, third}

  // Waits (at most five seconds) until `n` calls have come.
  bool waitFor(size_t n) {
    std::unique_lock<std::mutex> l(lock);
    return changed.wait_for(l, std::chrono::seconds(5), [&] { return seen.size() >= n; });
  }
  size_t count() {
    std::lock_guard<std::mutex> l(lock);
    return seen.size();
  }
};
template <LONG Which>
void WINAPI record(LONG id, LONG second, LONG third, void* param) {
  auto* calls = static_cast<Calls*>(param);
  std::lock_guard<std::mutex> l(calls->lock);
  calls->seen.push_back({Which, id, second, third});
  calls->changed.notify_all();
}

class MultiCounterTest : public InstalledHalvik {
 protected:
  void SetUp() override {
    InstalledHalvik::SetUp();
    install();
    open();
    WNDCLASSA wc{};
    wc.lpfnWndProc = counterWindow;
    wc.lpszClassName = "HalvikCounterWindow";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, "HalvikCounterWindow", "counter", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    g_messages.clear();
  }
  void TearDown() override {
    DestroyWindow(window_);
    InstalledHalvik::TearDown();
  }
  short openDevice(const char* name) {
    short id = -1;
    EXPECT_EQ(entry<decltype(&XanInit)>("XanInit")(name, &id), 0) << name;
    return id;
  }
  void start(short id, std::vector<short> channels) {
    ASSERT_EQ(entry<decltype(&XanCntmStartCount)>("XanCntmStartCount")(id, channels.data(),
                                                                       static_cast<short>(channels.size())),
              0);
  }
  // Pumps the window's messages until `n` have come (five seconds at most).
  static bool pumpUntil(size_t n) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (g_messages.size() < n) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLPOSTMESSAGE);
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    return true;
  }

  HWND window_ = nullptr;
};

TEST_F(MultiCounterTest, ChannelsCountTheirPulsesUpOrDownFromTheirPreset) {
  const short id = openDevice("HVA1");
  auto read = entry<decltype(&XanCntmReadCount)>("XanCntmReadCount");
  ASSERT_EQ(entry<decltype(&XanSetCntmCountDirection)>("XanSetCntmCountDirection")(id, 1, 1), 0);
  short direction = -1;
  EXPECT_EQ(entry<decltype(&XanGetCntmCountDirection)>("XanGetCntmCountDirection")(id, 1, &direction), 0);
  EXPECT_EQ(direction, 1);
  start(id, {0, 1});
  ASSERT_TRUE(halviksim::CntmPulses("HVA1", 0, 10));
  ASSERT_TRUE(halviksim::CntmPulses("HVA1", 1, 3));
  const short both[2] = {0, 1};
  LONG counts[2] = {};
  ASSERT_EQ(read(id, both, 2, counts), 0);
  EXPECT_EQ(counts[0], 10);
  EXPECT_EQ(counts[1], -3);

  const LONG preset = 100;
  ASSERT_EQ(entry<decltype(&XanCntmPreset)>("XanCntmPreset")(id, both, 1, &preset), 0);
  ASSERT_EQ(entry<decltype(&XanCntmZeroClearCount)>("XanCntmZeroClearCount")(id, both + 1, 1), 0);
  ASSERT_EQ(entry<decltype(&XanCntmStopCount)>("XanCntmStopCount")(id, both, 1), 0);
  halviksim::CntmPulses("HVA1", 0, 5);  // stopped: not counted
  ASSERT_EQ(read(id, both, 2, counts), 0);
  EXPECT_EQ(counts[0], 100);
  EXPECT_EQ(counts[1], 0);

  short channels = 0;
  EXPECT_EQ(entry<decltype(&XanGetCntmMaxChannels)>("XanGetCntmMaxChannels")(id, &channels), 0);
  EXPECT_EQ(channels, 8);
  BYTE input = 0;
  ASSERT_EQ(entry<decltype(&XanCntmOutputDOBit)>("XanCntmOutputDOBit")(id, 2, 0, 1), 0);
  EXPECT_EQ(entry<decltype(&XanCntmInputDIByte)>("XanCntmInputDIByte")(id, 0, &input), 0);
  EXPECT_EQ(input, 0x4);
}

TEST_F(MultiCounterTest, TheDeviceInfoSearchClosesEveryDeviceItOpened) {
  auto info = entry<decltype(&XanGetCntmDeviceInfo)>("XanGetCntmDeviceInfo");
  short channels = 0;
  EXPECT_EQ(info("HVA-1632PE", 1, &channels, nullptr, nullptr), 0);
  EXPECT_EQ(channels, 8);
  halviksim::ClearRequestLog("HVA1");
  // A status the search does not go on after is returned, and the device closed.
  EXPECT_EQ(info("HVA-1632PE", 2, &channels, nullptr, nullptr), 20001);
  const std::vector<DWORD> log = halviksim::RequestLog("HVA1");
  EXPECT_NE(std::find(log.begin(), log.end(), kCloseRequest), log.end());
  EXPECT_EQ(info("Demo", 1, &channels, nullptr, nullptr), 10050);
}

TEST_F(MultiCounterTest, EventsComeByWindowMessage) {
  const short id = openDevice("HVA1");
  start(id, {0});
  ASSERT_EQ(entry<decltype(&XanCntmNotifyCountUp)>("XanCntmNotifyCountUp")(id, 0, 1, 5, window_), 0);
  ASSERT_EQ(entry<decltype(&XanCntmNotifyCarryBorrow)>("XanCntmNotifyCarryBorrow")(id, window_), 0);
  ASSERT_EQ(entry<decltype(&XanCntmNotifyCounterError)>("XanCntmNotifyCounterError")(id, window_), 0);
  ASSERT_EQ(entry<decltype(&XanCntmNotifyTimer)>("XanCntmNotifyTimer")(id, 10, window_), 0);
  halviksim::CntmPulses("HVA1", 0, 5);
  ASSERT_TRUE(pumpUntil(1));
  const LONG top = -1;
  const short first = 0;
  ASSERT_EQ(entry<decltype(&XanCntmPreset)>("XanCntmPreset")(id, &first, 1, &top), 0);
  halviksim::CntmPulses("HVA1", 0, 1);
  ASSERT_TRUE(pumpUntil(2));
  halviksim::CntmCounterError("HVA1", 0, 2);
  ASSERT_TRUE(pumpUntil(3));
  halviksim::CntmTimerTicks("HVA1", 2);
  ASSERT_TRUE(pumpUntil(5));
  const WPARAM plain = static_cast<WPARAM>(id);
  const std::vector<std::pair<UINT, WPARAM>> expected = {
      {0x1070, plain | (2u << 16)}, {0x1092, plain}, {0x1091, plain}, {0x1090, plain}, {0x1090, plain}};
  ASSERT_EQ(g_messages.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(g_messages[i].message, expected[i].first) << i;
    EXPECT_EQ(g_messages[i].wParam, expected[i].second) << i;
  }
  EXPECT_EQ(g_messages[0].lParam, 5);
  EXPECT_EQ(g_messages[1].lParam, 1);  // a carry
  EXPECT_EQ(g_messages[2].lParam, 2);  // the error's kind
}

TEST_F(MultiCounterTest, EventsComeByCallbackAndTheLastCloseEndsTheWorker) {
  short id = openDevice("HVA1");
  Calls calls;
  ASSERT_EQ(entry<decltype(&XanCntmCountUpCallbackProc)>("XanCntmCountUpCallbackProc")(id, record<1>, &calls), 0);
  ASSERT_EQ(entry<decltype(&XanCntmCounterErrorCallbackProc)>("XanCntmCounterErrorCallbackProc")(id, record<2>, &calls),
            0);
  ASSERT_EQ(entry<decltype(&XanCntmNotifyCountUp)>("XanCntmNotifyCountUp")(id, 3, 0, 2, nullptr), 0);
  ASSERT_EQ(entry<decltype(&XanCntmNotifyCounterError)>("XanCntmNotifyCounterError")(id, nullptr), 0);
  start(id, {3});
  halviksim::CntmPulses("HVA1", 3, 2);
  halviksim::CntmCounterError("HVA1", 3, 1);
  ASSERT_TRUE(calls.waitFor(2));
  EXPECT_EQ(calls.seen[0], (std::vector<LONG>{1, id, 3 | (1 << 16), 2}));
  EXPECT_EQ(calls.seen[1], (std::vector<LONG>{2, id, 3, 1}));

  ASSERT_EQ(entry<decltype(&XanExit)>("XanExit")(id), 0);
  id = openDevice("HVA1");
  // The driver keeps the error raised while no worker listened; the first
  // open has forgotten the callbacks.
  halviksim::CntmCounterError("HVA1", 3, 1);
  ASSERT_EQ(entry<decltype(&XanCntmNotifyCounterError)>("XanCntmNotifyCounterError")(id, window_), 0);
  halviksim::CntmCounterError("HVA1", 3, 3);
  ASSERT_TRUE(pumpUntil(2));
  EXPECT_EQ(calls.count(), 2u);
  EXPECT_EQ(g_messages[0].lParam, 1);
  EXPECT_EQ(g_messages[1].lParam, 3);
  EXPECT_EQ(entry<decltype(&XanExit)>("XanExit")(id), 0);
}

TEST_F(MultiCounterTest, CountsTheDriverGivesAreHeldToTheEventRecord) {
  const short id = openDevice("HVA1");
  Calls calls;
  ASSERT_EQ(entry<decltype(&XanCntmTimerCallbackProc)>("XanCntmTimerCallbackProc")(id, record<4>, &calls), 0);
  ASSERT_EQ(entry<decltype(&XanCntmNotifyTimer)>("XanCntmNotifyTimer")(id, 10, window_), 0);
  ASSERT_TRUE(halviksim::CntmForceEventCounts("HVA1", 30000, 300, 30000));
  ASSERT_TRUE(calls.waitFor(1024));
  halviksim::CntmTimerTicks("HVA1", 1);
  ASSERT_TRUE(calls.waitFor(1025));
  EXPECT_EQ(calls.count(), 1025u);
  EXPECT_EQ(entry<decltype(&XanExit)>("XanExit")(id), 0);  // before the calls' record goes
}

// A callback that outlasts the last close's wait for its worker: the
// unload of the library waits until the worker has left the library's
// code, which it returns into from the callback.
std::atomic<bool> g_slowEntered{false}, g_slowReturned{false};
void WINAPI slowTimerCallback(LONG, LONG, LONG, void*) {
  g_slowEntered = true;
  Sleep(1500);
  g_slowReturned = true;
}

TEST_F(MultiCounterTest, AnUnloadWaitsForAWorkerStillInItsCallback) {
  g_slowEntered = g_slowReturned = false;  // a repeated run starts afresh
  const short id = openDevice("HVA1");
  ASSERT_EQ(entry<decltype(&XanCntmTimerCallbackProc)>("XanCntmTimerCallbackProc")(id, slowTimerCallback, nullptr), 0);
  ASSERT_EQ(entry<decltype(&XanCntmNotifyTimer)>("XanCntmNotifyTimer")(id, 10, window_), 0);
  halviksim::CntmTimerTicks("HVA1", 1);
  for (int i = 0; i < 5000 && !g_slowEntered; ++i) Sleep(1);
  ASSERT_TRUE(g_slowEntered);
  FreeLibrary(module_);
  module_ = nullptr;
  EXPECT_TRUE(g_slowReturned) << "the library went while its worker was still in the callback";
}

TEST_F(MultiCounterTest, TimeUpsOfABusUnitComeByMessage) {
  auto notify = entry<decltype(&XanCntmNotifyTimeUp)>("XanCntmNotifyTimeUp");
  const short unit = openDevice("HVU00"), kernel = openDevice("HVA1");
  EXPECT_EQ(notify(kernel, 1, window_), 20034);  // the bus library does not know the kernel driver's handle
  ASSERT_EQ(notify(unit, 1, window_), 0);
  halviksim::CntmTimeUps("HVU00", 3);
  ASSERT_TRUE(pumpUntil(3));
  for (const Received& r : g_messages) {
    EXPECT_EQ(r.message, 0x1090u);
    EXPECT_EQ(r.wParam, static_cast<WPARAM>(unit));
  }
  EXPECT_EQ(entry<decltype(&XanCntmStopNotifyTimeUp)>("XanCntmStopNotifyTimeUp")(unit), 0);
}

}  // namespace
