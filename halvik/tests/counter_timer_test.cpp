// Counters, interval timers and the timer-count device as an application
// uses them, on every road: count pulses, be told of compare matches and
// of the end, tick, measure and wait time, by callback and by message.
#include <gtest/gtest.h>
#include <halvik.h>
#include <halviksim.h>
#include <installer.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "installed_halvik.h"

namespace {

struct Call {
  short id, message, channel;
  LONG param;
  void* user;
};
std::mutex gLock;
std::vector<Call> gCalls;
void WINAPI onEvent(short id, short message, short channel, LONG param, void* user) {
  std::lock_guard<std::mutex> lock(gLock);
  gCalls.push_back({id, message, channel, param, user});
}
size_t calls() {
  std::lock_guard<std::mutex> lock(gLock);
  return gCalls.size();
}

// The roads with counters and timers; the bus library's devices have none.
struct Road {
  const char* name;
  bool ticks;  // only the kernel driver signals timer ticks
};
constexpr Road kRoads[] = {{"HVA1", true}, {"DEMO0", false}};

class CounterTimerTest : public InstalledHalvik {
 protected:
  void SetUp() override {
    InstalledHalvik::SetUp();
    ASSERT_FALSE(halviksim::InstallDevice({"TIMCNT0", "TCX-01", 1, "\\DosDevices\\TIMCNT0", 7}).empty());
    ASSERT_FALSE(halviksim::InstallDevice({"TIMCNT1", "TCX-02", 1, "\\DosDevices\\TIMCNT1", 8}).empty());
    install();
    open();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "CounterTimerTestWindow";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    std::lock_guard<std::mutex> lock(gLock);
    gCalls.clear();
  }
  void TearDown() override {
    DestroyWindow(window);
    InstalledHalvik::TearDown();
  }

  template <class F>
  F get(const char* name) {
    return entry<F>(name);
  }
  // The worker delivers on its own thread: bounded polls.
  static bool within(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return done();
  }
  std::vector<MSG> messagesOf(UINT message, size_t atLeast) {
    std::vector<MSG> got;
    within([&] {
      MSG m;
      while (PeekMessageA(&m, window, message, message, PM_REMOVE)) got.push_back(m);
      return got.size() >= atLeast;
    });
    return got;
  }

  HWND window = nullptr;
};

TEST_F(CounterTimerTest, CountersCountPulsesAndTellOfMatchesAndTheEnd) {
  auto init = get<decltype(&XanInit)>("XanInit");
  auto exitDevice = get<decltype(&XanExit)>("XanExit");
  auto compare = get<decltype(&XanSetCntComparisonReg)>("XanSetCntComparisonReg");
  auto callback = get<decltype(&XanSetCntCallBackProc)>("XanSetCntCallBackProc");
  auto event = get<decltype(&XanSetCntEvent)>("XanSetCntEvent");
  auto start = get<decltype(&XanStartCnt)>("XanStartCnt");
  auto stop = get<decltype(&XanStopCnt)>("XanStopCnt");
  auto preset = get<decltype(&XanPresetCnt)>("XanPresetCnt");
  auto count = get<decltype(&XanGetCntCount)>("XanGetCntCount");
  auto status = get<decltype(&XanGetCntStatus)>("XanGetCntStatus");
  const LONG matches[] = {3, 5};

  for (const Road& road : kRoads) {
    SCOPED_TRACE(road.name);
    gCalls.clear();
    short id = -1;
    ASSERT_EQ(init(road.name, &id), 0);
    int user = 0;
    ASSERT_EQ(compare(id, 0, 2, matches, 0), 0);
    ASSERT_EQ(callback(id, 0, onEvent, 0x10 | 0x1, &user), 0);
    ASSERT_EQ(start(id, 0), 0);
    LONG bits = 0;
    ASSERT_EQ(status(id, 0, &bits), 0);
    EXPECT_EQ(bits & 1, 1);
    ASSERT_TRUE(halviksim::PulseCounter(road.name, 0, 4));
    ASSERT_TRUE(within([] { return calls() == 1; }));
    ASSERT_TRUE(halviksim::PulseCounter(road.name, 0, 2));
    ASSERT_TRUE(within([] { return calls() == 2; }));
    LONG n = 0;
    ASSERT_EQ(count(id, 0, &n), 0);
    EXPECT_EQ(n, 6);
    ASSERT_EQ(stop(id, 0), 0);  // returns once the worker has parked
    ASSERT_EQ(calls(), 3u);
    const short expected[][2] = {{XANM_CNTE_DATA_NUM, 3}, {XANM_CNTE_DATA_NUM, 5}, {XANM_CNTE_END, 6}};
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(gCalls[i].message, expected[i][0]);
      EXPECT_EQ(gCalls[i].param, expected[i][1]);
      EXPECT_EQ(gCalls[i].id, id);
      EXPECT_EQ(gCalls[i].channel, 0);
      EXPECT_EQ(gCalls[i].user, &user);
    }

    // By message, on the second channel; its wParam names the channel.
    ASSERT_EQ(compare(id, 1, 1, matches, 0), 0);
    ASSERT_EQ(event(id, 1, window, 0x10), 0);
    ASSERT_EQ(start(id, 1), 0);
    ASSERT_TRUE(halviksim::PulseCounter(road.name, 1, 3));
    std::vector<MSG> got = messagesOf(XANM_CNTE_DATA_NUM, 1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].wParam, static_cast<WPARAM>((1 << 16) | id));
    EXPECT_EQ(got[0].lParam, 3);

    // A second run on channel 0 wakes the parked worker; a nested close
    // leaves it running.
    ASSERT_EQ(preset(id, 0, 0), 0);
    ASSERT_EQ(start(id, 0), 0);
    short nested = -1;
    ASSERT_EQ(init(road.name, &nested), 0);
    ASSERT_EQ(exitDevice(nested), 0);
    ASSERT_TRUE(halviksim::PulseCounter(road.name, 0, 3));
    ASSERT_TRUE(within([] { return calls() == 4; }));
    EXPECT_EQ(exitDevice(id), 0);  // ends both workers while they wait
  }
}

TEST_F(CounterTimerTest, TimersTickMeasureAndWait) {
  auto init = get<decltype(&XanInit)>("XanInit");
  auto exitDevice = get<decltype(&XanExit)>("XanExit");
  auto callback = get<decltype(&XanSetTmCallBackProc)>("XanSetTmCallBackProc");
  auto event = get<decltype(&XanSetTmEvent)>("XanSetTmEvent");
  auto start = get<decltype(&XanStartTmTimer)>("XanStartTmTimer");
  auto stop = get<decltype(&XanStopTmTimer)>("XanStopTmTimer");
  auto startCount = get<decltype(&XanStartTmCount)>("XanStartTmCount");
  auto lap = get<decltype(&XanLapTmCount)>("XanLapTmCount");
  auto wait = get<decltype(&XanTmWait)>("XanTmWait");

  for (const Road& road : kRoads) {
    SCOPED_TRACE(road.name);
    gCalls.clear();
    short id = -1;
    ASSERT_EQ(init(road.name, &id), 0);
    int user = 0;
    ASSERT_EQ(callback(id, 0, onEvent, 0x1, &user), 0);
    ASSERT_EQ(start(id, 0, 10.9f), 0);  // every 10 ms
    ASSERT_TRUE(halviksim::AdvanceTime(road.name, 35000));
    if (road.ticks) {
      ASSERT_TRUE(within([] { return calls() == 3; }));
      EXPECT_EQ(gCalls[0].message, XANM_TME_INT);
      EXPECT_EQ(gCalls[0].param, 0);
      EXPECT_EQ(gCalls[0].user, &user);
    }
    ASSERT_EQ(stop(id, 0), 0);

    ASSERT_EQ(event(id, 1, window, 0x1), 0);
    ASSERT_EQ(start(id, 1, 5.0f), 0);
    ASSERT_EQ(startCount(id, 1), 0);
    ASSERT_EQ(wait(id, 1, 12), 0);  // the driver's wait lets 12 ms pass
    LONG ms = -1;
    ASSERT_EQ(lap(id, 1, &ms), 0);
    EXPECT_EQ(ms, road.ticks ? 12 : 0);
    if (road.ticks) {
      std::vector<MSG> got = messagesOf(XANM_TME_INT, 2);
      ASSERT_EQ(got.size(), 2u);
      EXPECT_EQ(got[0].wParam, static_cast<WPARAM>(id));
      EXPECT_EQ(got[0].lParam, 0);
    }
    // The kernel driver's timer is closed running (its worker ended); the
    // close refuses a virtual device's running interval timer with 20001.
    if (!road.ticks) {
      ASSERT_EQ(stop(id, 1), 0);
    }
    EXPECT_EQ(exitDevice(id), 0);
  }
}

TEST_F(CounterTimerTest, TheBusLibrarysDevicesHaveNoCountersOrTimers) {
  short id = -1;
  ASSERT_EQ(get<decltype(&XanInit)>("XanInit")("HVU00", &id), 0);
  LONG value = 0;
  const std::function<LONG()> calls[] = {
      [&] { return get<decltype(&XanStartCnt)>("XanStartCnt")(id, 0); },
      [&] { return get<decltype(&XanGetCntCount)>("XanGetCntCount")(id, 0, &value); },
      [&] { return get<decltype(&XanStartTmTimer)>("XanStartTmTimer")(id, 0, 1.0f); },
      [&] { return get<decltype(&XanLapTmCount)>("XanLapTmCount")(id, 0, &value); },
  };
  for (const auto& call : calls) EXPECT_EQ(call(), 20001);
  EXPECT_EQ(get<decltype(&XanExit)>("XanExit")(id), 0);
}

TEST_F(CounterTimerTest, TheTimerCountDeviceOpensReadsAndCloses) {
  auto init = get<decltype(&XanTimInit)>("XanTimInit");
  auto read = get<decltype(&XanTimReadCount)>("XanTimReadCount");
  auto exitTimer = get<decltype(&XanTimExit)>("XanTimExit");
  DWORD count = 0;
  EXPECT_EQ(read(&count), 10010);
  ASSERT_TRUE(halviksim::SetFault("TIMCNT0", 0x223800, {halviksim::Fault::Kind::Status, 20001, halviksim::kEveryCall}));

  char name[256] = "";
  char description[256] = "";
  LONG value = 0;
  ASSERT_EQ(init(name, description, &value), 0);  // the first answers "not suitable"
  EXPECT_STREQ(name, "TIMCNT1");
  EXPECT_STREQ(description, "TCX-02");
  EXPECT_EQ(value, 1000000);
  DWORD first = 0;
  ASSERT_EQ(read(&first), 0);
  ASSERT_TRUE(halviksim::AdvanceTime("TIMCNT1", 500));
  ASSERT_EQ(read(&count), 0);
  EXPECT_EQ(count - first, 500u);

  // Opened again by name: the earlier handle is closed, not leaked.
  ASSERT_EQ(init(name, description, &value), 0);
  EXPECT_EQ(halviksim::TimerCountOpenFiles("TIMCNT1"), 1);
  char named[256] = "TIMCNT0";
  EXPECT_EQ(init(named, description, &value), 20001);
  char unknown[256] = "NOPE";
  EXPECT_EQ(init(unknown, description, &value), 10051);
  EXPECT_EQ(halviksim::TimerCountOpenFiles("TIMCNT1"), 0);
  EXPECT_EQ(exitTimer(), 10010);
  ASSERT_EQ(init(name, description, &value), 0);
  EXPECT_EQ(exitTimer(), 0);
  EXPECT_EQ(exitTimer(), 10010);
}

// Double-byte characters take two bytes each in the ANSI code page: the
// longest description the device may give (100 of them) fills 200 bytes
// before its terminator.
TEST_F(CounterTimerTest, TheTimerCountDescriptionArrivesWholeUpToItsLongest) {
  auto init = get<decltype(&XanTimInit)>("XanTimInit");
  auto exitTimer = get<decltype(&XanTimExit)>("XanTimExit");
  const std::string hiragana = "\x82\xa0";  // U+3042 in code page 932
  for (size_t units : {99u, 100u}) {
    SCOPED_TRACE(units);
    ASSERT_TRUE(halviksim::SetTimerCountDescription("TIMCNT0", std::u16string(units, u'\u3042'), 7));
    char name[256] = "TIMCNT0";
    char description[256] = "";
    LONG value = 0;
    ASSERT_EQ(init(name, description, &value), 0);
    std::string expected;
    for (size_t i = 0; i < units; ++i) expected += hiragana;
    EXPECT_EQ(std::string(description), expected);
    EXPECT_EQ(exitTimer(), 0);
  }
}

}  // namespace
