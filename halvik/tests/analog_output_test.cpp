// Analog output as an application meets it, on every road: a known
// waveform in the device memory, started, its events by callback and by
// window message, and what the device put out read back from it; a
// bus-master buffer on the kernel road; a streamed output that runs dry;
// a worker that died replaced at the next start.
#include <gtest/gtest.h>
#include <halvik.h>
#include <halviksim.h>
#include <outside/halvikdrv.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <vector>

#include "installed_halvik.h"

namespace {

constexpr LONG kStart = 0x2, kRepeatEnd = 0x10, kEnd = 0x20, kOutputError = 0x40000;
constexpr short kChannels = 2;
constexpr LONG kSamples = 300;

struct Road {
  const char* name;
  bool busMaster;  // the model outputs from a caller's buffer
};
constexpr Road kRoads[] = {{"HVA1", true}, {"DEMO0", false}, {"HVU00", false}};

// 12-bit counts, so every road's records carry them whole.
std::vector<LONG> waveform(LONG samples, short channels) {
  std::vector<LONG> w(static_cast<size_t>(samples) * channels);
  for (size_t i = 0; i < w.size(); ++i) w[i] = static_cast<LONG>((i * 37 + (i % channels) * 1000) % 4096);
  return w;
}

struct Seen {
  size_t want = 0;  // 0: the end message ends the wait; else that many messages
  std::mutex mutex;
  std::vector<std::pair<short, LONG>> events;  // message, parameter
  HANDLE ended = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  ~Seen() { CloseHandle(ended); }
  std::vector<std::pair<short, LONG>> taken() {
    std::lock_guard<std::mutex> lock(mutex);
    return events;
  }
};
void WINAPI onEvent(short, short message, short, LONG lParam, void* param) {
  auto* seen = static_cast<Seen*>(param);
  std::lock_guard<std::mutex> lock(seen->mutex);
  seen->events.emplace_back(message, lParam);
  if (seen->want == 0 ? message == AOE_END : seen->events.size() == seen->want) SetEvent(seen->ended);
}

struct Posted {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Posted> g_posted;  // on the test's thread, where the window lives
LRESULT CALLBACK eventWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= AOE_START && message <= AOE_DATA_TSF) {
    g_posted.push_back({message, wParam, lParam});
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

class AnalogOutputTest : public InstalledHalvik {
 protected:
  void SetUp() override {
    InstalledHalvik::SetUp();
    install();
    open();
  }

  // The device opened and set up for kSamples samples of kChannels channels.
  short prepare(const Road& road, const std::vector<LONG>& data, LONG repeat = 1, short stopTrigger = 0) {
    short id = -1;
    EXPECT_EQ(entry<decltype(&XanInit)>("XanInit")(road.name, &id), 0);
    EXPECT_EQ(entry<decltype(&XanSetAoChannels)>("XanSetAoChannels")(id, kChannels), 0);
    EXPECT_EQ(entry<decltype(&XanSetAoSamplingClock)>("XanSetAoSamplingClock")(id, 1.0f), 0);  // the fastest
    EXPECT_EQ(entry<decltype(&XanSetAoRepeatTimes)>("XanSetAoRepeatTimes")(id, repeat), 0);
    EXPECT_EQ(entry<decltype(&XanSetAoStopTrigger)>("XanSetAoStopTrigger")(id, stopTrigger), 0);
    EXPECT_EQ(entry<decltype(&XanSetAoSamplingData)>("XanSetAoSamplingData")(
                  id, static_cast<LONG>(data.size() / kChannels), data.data()),
              0);
    return id;
  }
  LONG start(short id) { return entry<decltype(&XanStartAo)>("XanStartAo")(id); }
  LONG setCallBack(short id, LONG mask, Seen* seen) {
    return entry<decltype(&XanSetAoCallBackProc)>("XanSetAoCallBackProc")(id, onEvent, mask, seen);
  }
  LONG close(short id) { return entry<decltype(&XanExit)>("XanExit")(id); }
};

TEST_F(AnalogOutputTest, AKnownWaveformComesBackOnEveryRoadWithItsEventsByCallback) {
  const std::vector<LONG> data = waveform(kSamples, kChannels);
  for (const Road& road : kRoads) {
    SCOPED_TRACE(road.name);
    const short id = prepare(road, data, 2);
    Seen seen;
    ASSERT_EQ(setCallBack(id, kStart | kRepeatEnd | kEnd, &seen), 0);
    ASSERT_EQ(start(id), 0);
    ASSERT_EQ(WaitForSingleObject(seen.ended, 5000), WAIT_OBJECT_0);

    const halviksim::AoReadBack back = halviksim::ReadAoOutput(road.name);
    std::vector<LONG> twice = data;
    twice.insert(twice.end(), data.begin(), data.end());
    EXPECT_EQ(std::vector<LONG>(back.output.begin(), back.output.end()), twice) << "two passes, in order";
    EXPECT_FALSE(back.underrun);
    const auto events = seen.taken();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events.front(), std::make_pair(short{AOE_START}, LONG{0}));
    EXPECT_EQ(events.back(), std::make_pair(short{AOE_END}, 2 * kSamples)) << "with the sampling count";
    LONG count = -1, status = -1;
    EXPECT_EQ(entry<decltype(&XanGetAoSamplingCount)>("XanGetAoSamplingCount")(id, &count), 0);
    EXPECT_EQ(count, 2 * kSamples);
    EXPECT_EQ(entry<decltype(&XanGetAoStatus)>("XanGetAoStatus")(id, &status), 0);
    EXPECT_EQ(status & 1, 0);

    // A second start wakes the parked worker and ends the same way.
    ASSERT_EQ(start(id), 0);
    ASSERT_EQ(WaitForSingleObject(seen.ended, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(entry<decltype(&XanStopAo)>("XanStopAo")(id), 0) << "nothing runs: no stop request, no wait";
    EXPECT_EQ(close(id), 0);
  }
}

TEST_F(AnalogOutputTest, TheWindowGetsTheEndMessageOnEveryRoadAndWindowZeroNothing) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = eventWindow;
  wc.lpszClassName = "HalvikOutputWindow";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "HalvikOutputWindow", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  auto setEvent = entry<decltype(&XanSetAoEvent)>("XanSetAoEvent");
  const std::vector<LONG> data = waveform(kSamples, kChannels);
  auto pumpUntilEnd = [] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (g_posted.empty() || g_posted.back().message != AOE_END) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLPOSTMESSAGE);
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    return true;
  };
  for (const Road& road : kRoads) {
    SCOPED_TRACE(road.name);
    g_posted.clear();
    const short id = prepare(road, data);
    ASSERT_EQ(setEvent(id, window, kEnd), 0);
    HWND registered = nullptr;
    LONG mask = 0;
    ASSERT_EQ(entry<decltype(&XanGetAoEvent)>("XanGetAoEvent")(id, &registered, &mask), 0);
    EXPECT_EQ(registered, window);
    ASSERT_EQ(start(id), 0);
    ASSERT_TRUE(pumpUntilEnd());
    EXPECT_EQ(g_posted.back().lParam, kSamples);
    EXPECT_EQ(g_posted.back().wParam, static_cast<WPARAM>(id));

    // Window 0 gets nothing; a callback registered after it decides.
    ASSERT_EQ(setEvent(id, nullptr, kEnd), 0);
    Seen seen;
    ASSERT_EQ(start(id), 0);
    const size_t before = g_posted.size();
    ASSERT_EQ(entry<decltype(&XanStopAo)>("XanStopAo")(id), 0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_EQ(g_posted.size(), before);
    ASSERT_EQ(setCallBack(id, kEnd, &seen), 0);
    ASSERT_EQ(start(id), 0);
    EXPECT_EQ(WaitForSingleObject(seen.ended, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(close(id), 0);
  }
  DestroyWindow(window);
}

TEST_F(AnalogOutputTest, ABusMasterBufferGoesOutWhereTheModelHasIt) {
  auto transfer = entry<decltype(&XanSetAoTransferData)>("XanSetAoTransferData");
  std::vector<LONG> first = waveform(kSamples, kChannels), second = waveform(kSamples / 2, kChannels);
  for (LONG& v : second) v = 4095 - v;
  for (const Road& road : kRoads) {
    SCOPED_TRACE(road.name);
    const short id = prepare(road, waveform(1, kChannels));
    if (!road.busMaster) {
      EXPECT_EQ(transfer(id, static_cast<LONG>(first.size()), first.data()), 20001);
      EXPECT_EQ(close(id), 0);
      continue;
    }
    ASSERT_EQ(entry<decltype(&XanSetAoTransferMode)>("XanSetAoTransferMode")(id, 1), 0);
    // A driver that answers the hand-over at once does not keep the buffer.
    ASSERT_TRUE(halviksim::SetFault(road.name, halvikdrv::kAoHostBuffer, {}));
    EXPECT_EQ(transfer(id, static_cast<LONG>(first.size()), first.data()), 13602);
    // A second registration gives the first buffer back and takes its place.
    ASSERT_EQ(transfer(id, static_cast<LONG>(first.size()), first.data()), 0);
    ASSERT_EQ(transfer(id, static_cast<LONG>(second.size()), second.data()), 0);
    Seen seen;
    ASSERT_EQ(setCallBack(id, kEnd, &seen), 0);
    ASSERT_EQ(start(id), 0);
    ASSERT_EQ(WaitForSingleObject(seen.ended, 5000), WAIT_OBJECT_0);
    const halviksim::AoReadBack back = halviksim::ReadAoOutput(road.name);
    EXPECT_EQ(std::vector<LONG>(back.output.begin(), back.output.end()), second);
    LONG lap = -1;
    EXPECT_EQ(entry<decltype(&XanGetAoTransferLap)>("XanGetAoTransferLap")(id, &lap), 0);
    EXPECT_EQ(lap, 1);
    EXPECT_EQ(close(id), 0) << "the close takes the buffer back from the driver";
  }
}

TEST_F(AnalogOutputTest, AStreamThatRunsDryIsAnUnderrun) {
  const std::vector<LONG> data = waveform(kSamples, kChannels);
  for (const Road& road : kRoads) {
    SCOPED_TRACE(road.name);
    const short id = prepare(road, data, 1, halvikdrv::ao::kStopByCommand);
    Seen seen;
    seen.want = 2;
    ASSERT_EQ(setCallBack(id, kEnd | kOutputError, &seen), 0);
    ASSERT_EQ(start(id), 0);
    ASSERT_EQ(WaitForSingleObject(seen.ended, 5000), WAIT_OBJECT_0);
    auto events = seen.taken();
    std::sort(events.begin(), events.end());
    const std::vector<std::pair<short, LONG>> expected = {{AOE_END, kSamples}, {AOE_AOERR, kSamples}};
    EXPECT_EQ(events, expected);
    const halviksim::AoReadBack back = halviksim::ReadAoOutput(road.name);
    EXPECT_TRUE(back.underrun);
    EXPECT_EQ(back.outputTotal, static_cast<int64_t>(data.size())) << "everything there was went out";
    EXPECT_EQ(close(id), 0);
  }
}

TEST_F(AnalogOutputTest, AWorkerThatDiedIsReplacedAtTheNextStart) {
  const std::vector<LONG> data = waveform(kSamples, kChannels);
  struct Fetch {
    DWORD code;
    const char* road;
  };
  const Fetch fetches[] = {{halvikdrv::kAoEventFetch, "HVA1"}, {halvikdrv::kCmdAoEventFetch, "DEMO0"}};
  for (const Fetch& f : fetches) {
    SCOPED_TRACE(f.road);
    const Road road{f.road, false};
    const short id = prepare(road, data);
    Seen seen;
    ASSERT_EQ(setCallBack(id, kEnd, &seen), 0);
    // The first fetch fails: the worker ends without a word.
    ASSERT_TRUE(halviksim::SetFault(f.road, f.code, {halviksim::Fault::Kind::CallFails, 5}));
    ASSERT_EQ(start(id), 0);
    EXPECT_EQ(WaitForSingleObject(seen.ended, 200), static_cast<DWORD>(WAIT_TIMEOUT));
    ASSERT_EQ(start(id), 0);
    EXPECT_EQ(WaitForSingleObject(seen.ended, 5000), WAIT_OBJECT_0) << "a new worker delivers";
    EXPECT_EQ(close(id), 0);
  }
}

}  // namespace
