// Input events delivered by window message, as an application receives
// them on every road: a window of its own registered for the events, a run
// of 8 channels that ends at its stop times, the messages pumped on the
// window's thread, the known signal read; window 0 takes no messages.
#include <gtest/gtest.h>
#include <halvik.h>
#include <halviksim.h>

#include <chrono>
#include <vector>

#include "installed_halvik.h"

namespace {

constexpr UINT kAieEnd = 0x1002;
constexpr UINT kAieDataNum = 0x1003;
constexpr LONG kEndEvent = 0x20;
constexpr LONG kDataCountEvent = 0x80;
constexpr short kChannels = 8;
constexpr LONG kScans = 1000;
constexpr LONG kEventScans = 250;

struct Road {
  const char* name;
  int bits;
  bool listsEach;  // the event fetch lists each occurrence; the bus library's gives their sum
};
constexpr Road kRoads[] = {{"HVA1", 16, true}, {"DEMO0", 12, true}, {"HVU00", 16, false}};

struct Received {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Received> g_received;  // touched on the test's thread only, where the window lives

LRESULT CALLBACK eventWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= 0x1000 && message <= 0x1007) {
    g_received.push_back({message, wParam, lParam});
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

class AnalogInputWindowTest : public InstalledHalvik {
 protected:
  void SetUp() override {
    InstalledHalvik::SetUp();
    install();
    open();
    WNDCLASSA wc{};
    wc.lpfnWndProc = eventWindow;
    wc.lpszClassName = "HalvikEventWindow";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, "HalvikEventWindow", "events", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    g_received.clear();
  }
  void TearDown() override {
    DestroyWindow(window_);
    InstalledHalvik::TearDown();
  }

  // Pumps the window's messages until `ends` end messages have come; false
  // when they do not within five seconds.
  static bool pumpUntilEnds(size_t ends) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    auto endsSeen = [] {
      size_t n = 0;
      for (const Received& r : g_received) n += r.message == kAieEnd;
      return n;
    };
    while (endsSeen() < ends) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLPOSTMESSAGE);
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    return true;
  }

  // One run of kScans scans, its events going to `window`. The stop after
  // the run's end waits until the run's events have gone out.
  void run(const Road& road, short id, HWND window) {
    ASSERT_EQ(entry<decltype(&XanSetAiEvent)>("XanSetAiEvent")(id, window, kDataCountEvent | kEndEvent), 0);
    ASSERT_EQ(entry<decltype(&XanResetAiMemory)>("XanResetAiMemory")(id), 0);
    ASSERT_EQ(entry<decltype(&XanStartAi)>("XanStartAi")(id), 0);
    ASSERT_TRUE(halviksim::AdvanceTime(road.name, int64_t{kScans} * 100 + 10'000));
    LONG bits = -1;
    ASSERT_EQ(entry<decltype(&XanGetAiStatus)>("XanGetAiStatus")(id, &bits), 0);
    EXPECT_EQ(bits & 1, 0) << "the run stopped at its stop times";
    EXPECT_EQ(entry<decltype(&XanStopAi)>("XanStopAi")(id), 0);
  }

  HWND window_ = nullptr;
};

TEST_F(AnalogInputWindowTest, TheWindowGetsTheRunsMessagesAndWindowZeroNone) {
  auto init = entry<decltype(&XanInit)>("XanInit");
  auto data = entry<decltype(&XanGetAiSamplingData)>("XanGetAiSamplingData");
  for (const Road& road : kRoads) {
    SCOPED_TRACE(road.name);
    g_received.clear();
    ASSERT_TRUE(halviksim::SetAiClock(road.name, halviksim::AiClock::Virtual));
    short id = -1;
    ASSERT_EQ(init(road.name, &id), 0);
    ASSERT_EQ(entry<decltype(&XanSetAiChannels)>("XanSetAiChannels")(id, kChannels), 0);
    ASSERT_EQ(entry<decltype(&XanSetAiSamplingClock)>("XanSetAiSamplingClock")(id, 100.0f), 0);
    ASSERT_EQ(entry<decltype(&XanSetAiStopTrigger)>("XanSetAiStopTrigger")(id, 0), 0);
    ASSERT_EQ(entry<decltype(&XanSetAiStopTimes)>("XanSetAiStopTimes")(id, kScans), 0);
    ASSERT_EQ(entry<decltype(&XanSetAiEventSamplingTimes)>("XanSetAiEventSamplingTimes")(id, kEventScans), 0);

    run(road, id, window_);
    ASSERT_TRUE(pumpUntilEnds(1)) << "the end message came";
    ASSERT_FALSE(g_received.empty());
    EXPECT_EQ(g_received.back().message, kAieEnd) << "the end comes last";
    EXPECT_EQ(g_received.back().lParam, kScans) << "with the sampling count";
    size_t dataMessages = 0;
    for (const Received& r : g_received) {
      EXPECT_EQ(r.wParam, static_cast<WPARAM>(id));
      dataMessages += r.message == kAieDataNum;
    }
    EXPECT_EQ(dataMessages, road.listsEach ? static_cast<size_t>(kScans / kEventScans) : 1u)
        << "one per event count reached since the last fetch";

    LONG scans = kScans;
    std::vector<LONG> values(static_cast<size_t>(kScans) * kChannels, -1);
    ASSERT_EQ(data(id, &scans, values.data()), 0);
    ASSERT_EQ(scans, kScans);
    for (LONG s = 0; s < scans; ++s) {
      for (int c = 0; c < kChannels; ++c) {
        ASSERT_EQ(values[static_cast<size_t>(s * kChannels + c)], (s + 256 * c) % (1L << road.bits)) << s << " " << c;
      }
    }

    // A run with window 0 posts nothing; the window registered again gets
    // the next run's messages.
    const size_t first = g_received.size();
    run(road, id, nullptr);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_EQ(g_received.size(), first) << "nothing posted for window 0";
    run(road, id, window_);
    ASSERT_TRUE(pumpUntilEnds(2));
    EXPECT_EQ(g_received.size(), 2 * first);

    EXPECT_EQ(entry<decltype(&XanExit)>("XanExit")(id), 0);
  }
}

}  // namespace
