// An acquisition as an application runs it, on every road: configure, start,
// be called back when data is there, read the known signal, stop.
#include <gtest/gtest.h>
#include <halvik.h>
#include <halviksim.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "installed_halvik.h"

namespace {

struct Road {
  const char* name;
  int bits;
};
constexpr Road kRoads[] = {{"HVA1", 16}, {"DEMO0", 12}, {"HVU00", 16}};

constexpr short kChannels = 8;
constexpr LONG kDataCountEvent = 0x80;
constexpr LONG kEventScans = 100;

std::atomic<int> g_dataEvents{0};
void WINAPI onEvent(short, short, short, LONG, void*) { ++g_dataEvents; }

class AnalogInputTest : public InstalledHalvik {
 protected:
  template <class F>
  F get(const char* name) {
    return entry<F>(name);
  }
};

TEST_F(AnalogInputTest, ReadsTheKnownSignalOnEveryRoad) {
  install();
  open();
  auto init = get<decltype(&XanInit)>("XanInit");
  auto exitDevice = get<decltype(&XanExit)>("XanExit");
  auto channels = get<decltype(&XanSetAiChannels)>("XanSetAiChannels");
  auto clock = get<decltype(&XanSetAiSamplingClock)>("XanSetAiSamplingClock");
  auto stopTrigger = get<decltype(&XanSetAiStopTrigger)>("XanSetAiStopTrigger");
  auto eventScans = get<decltype(&XanSetAiEventSamplingTimes)>("XanSetAiEventSamplingTimes");
  auto callback = get<decltype(&XanSetAiCallBackProc)>("XanSetAiCallBackProc");
  auto start = get<decltype(&XanStartAi)>("XanStartAi");
  auto stop = get<decltype(&XanStopAi)>("XanStopAi");
  auto count = get<decltype(&XanGetAiSamplingCount)>("XanGetAiSamplingCount");
  auto data = get<decltype(&XanGetAiSamplingData)>("XanGetAiSamplingData");

  for (const Road& road : kRoads) {
    SCOPED_TRACE(road.name);
    ASSERT_TRUE(halviksim::SetAiClock(road.name, halviksim::AiClock::Virtual));
    short id = -1;
    ASSERT_EQ(init(road.name, &id), 0);
    ASSERT_EQ(channels(id, kChannels), 0);
    ASSERT_EQ(clock(id, 100.0f), 0);  // microseconds per scan
    ASSERT_EQ(stopTrigger(id, 4), 0);  // by the stop request only
    ASSERT_EQ(eventScans(id, kEventScans), 0);
    g_dataEvents = 0;
    ASSERT_EQ(callback(id, onEvent, kDataCountEvent, nullptr), 0);
    ASSERT_EQ(start(id), 0);
    ASSERT_TRUE(halviksim::AdvanceTime(road.name, 1000 * 100));  // 1000 scans

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (g_dataEvents == 0 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GT(g_dataEvents.load(), 0) << "called back when data was there";
    LONG stored = 0;
    ASSERT_EQ(count(id, &stored), 0);
    EXPECT_GE(stored, 1000);

    LONG scans = 500;
    std::vector<LONG> values(static_cast<size_t>(scans) * kChannels, -1);
    ASSERT_EQ(data(id, &scans, values.data()), 0);
    ASSERT_EQ(scans, 500);
    const LONG modulus = 1L << road.bits;
    for (LONG s = 0; s < scans; ++s) {
      for (int c = 0; c < kChannels; ++c) {
        ASSERT_EQ(values[static_cast<size_t>(s * kChannels + c)], (s + 256 * c) % modulus) << "scan " << s << " channel " << c;
      }
    }
    EXPECT_EQ(stop(id), 0);
    EXPECT_EQ(exitDevice(id), 0);
  }
}

// The event registration reads back from each road's driver; the transfer
// readings answer on the kernel driver and are refused elsewhere.
TEST_F(AnalogInputTest, EventRegistrationAndTransferReadingsOnEveryRoad) {
  install();
  open();
  auto setEvent = get<decltype(&XanSetAiEvent)>("XanSetAiEvent");
  auto getEvent = get<decltype(&XanGetAiEvent)>("XanGetAiEvent");
  auto transfer = get<decltype(&XanGetAiTransferCount)>("XanGetAiTransferCount");
  auto lap = get<decltype(&XanGetAiTransferLap)>("XanGetAiTransferLap");
  auto stopTransfer = get<decltype(&XanGetAiStopTriggerTransferCount)>("XanGetAiStopTriggerTransferCount");
  const HWND window = reinterpret_cast<HWND>(0x5A);
  for (const Road& road : kRoads) {
    SCOPED_TRACE(road.name);
    short id = -1;
    ASSERT_EQ(get<decltype(&XanInit)>("XanInit")(road.name, &id), 0);
    ASSERT_EQ(setEvent(id, window, 0x82), 0);
    HWND back = nullptr;
    LONG mask = 0;
    ASSERT_EQ(getEvent(id, &back, &mask), 0);
    EXPECT_EQ(mask, 0x82);
    EXPECT_EQ(back, window);
    const LONG expected = road.name == kRoads[0].name ? 0 : 20001;
    LONG value = -1;
    EXPECT_EQ(transfer(id, &value), expected);
    EXPECT_EQ(lap(id, &value), expected);
    EXPECT_EQ(stopTransfer(id, &value), expected);
    EXPECT_EQ(get<decltype(&XanExit)>("XanExit")(id), 0);
  }
}

}  // namespace
