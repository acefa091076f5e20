// Sampling runs on the simulated boards: the known signal read back, the
// completion by event, callback and window message, and stops.
#include <atomic>
#include <iterator>
#include <thread>
#include <vector>

#include <winreg.h>
#include <winuser.h>

#include "library.h"
#include "sim_fixture.h"

namespace skorra_test {
namespace {

using SkorraLibSampling = SimFixture;

uint32_t readAll(HANDLE h, std::vector<uint16_t>& data, uint32_t scans, uint32_t channels) {
  data.assign(static_cast<size_t>(scans) * channels, 0);
  uint32_t count = scans;
  return SkGetSamplingData(h, data.data(), &count) == 0 ? count : 0;
}

TEST_F(SkorraLibSampling, NormalModeOnTwoBoardsReadsTheKnownSignal) {
  HANDLE h[2] = {openBoard(1), openBoard(2)};
  const uint32_t channels[2] = {4, 3};
  for (int b = 0; b < 2; ++b) {
    SkSamplingConfig c = normalConfig(channels[b], 500);
    ASSERT_EQ(SkSetSamplingConfig(h[b], &c), 0u);
    ASSERT_EQ(SkStartSampling(h[b], 2), 0u);
  }
  for (int b = 0; b < 2; ++b) {
    ASSERT_TRUE(SkorradevSimAdvance(b + 1, 500));
    std::vector<uint16_t> data;
    ASSERT_EQ(readAll(h[b], data, 500, channels[b]), 500u);
    for (uint32_t s = 0; s < 500; s += 37)
      for (uint32_t ch = 0; ch < channels[b]; ++ch)
        ASSERT_EQ(data[s * channels[b] + ch], expectedSample(b + 1, ch + 1, s)) << "board " << b + 1;
    int32_t state = 0, scans = 0;
    ASSERT_TRUE(waitUntil([&] { return SkGetStatus(h[b], &state, &scans, nullptr) == 0 && state == 1; }));
    EXPECT_EQ(SkClearSamplingData(h[b]), 0u);
  }
}

TEST_F(SkorraLibSampling, StartRefusesBadModesARunningBoardAndAnOverLimitClock) {
  HANDLE h = openBoard(1);
  EXPECT_EQ(SkStartSampling(h, 0), SK_E_INVALID_ARGUMENT);
  EXPECT_EQ(SkStartSampling(h, 3), SK_E_INVALID_ARGUMENT);
  EXPECT_EQ(SkorradevSimRequestCount(1, SKDF_START), 0u);

  SkSamplingConfig c = normalConfig(4, 100000);
  c.triggerMode = 9;  // endless
  ASSERT_EQ(SkSetSamplingConfig(h, &c), 0u);
  ASSERT_EQ(SkStartSampling(h, 2), 0u);
  EXPECT_EQ(SkStartSampling(h, 2), SK_E_BUSY);
  ASSERT_EQ(SkStopSampling(h), 0u);
  int32_t state = 0;
  ASSERT_TRUE(waitUntil([&] { return SkGetStatus(h, &state, nullptr, nullptr) == 0 && state == 1; }));

  // 4 channels in mode 2 allow 250 kHz: accepted by the Set, refused at start.
  c = normalConfig(4, 1000, 300000.0f);
  ASSERT_EQ(SkSetSamplingConfig(h, &c), 0u);
  EXPECT_EQ(SkStartSampling(h, 2), SK_E_FREQUENCY_OVER_LIMIT);
}

TEST_F(SkorraLibSampling, DataCountsAreCheckedBeforeAnyRequest) {
  HANDLE h = openBoard(1);
  uint16_t buf[8];
  uint32_t count = 0;
  EXPECT_EQ(SkGetSamplingData(h, nullptr, &count), SK_E_INVALID_ARGUMENT);
  count = 2;
  EXPECT_EQ(SkGetSamplingData(h, nullptr, &count), SK_E_NULL_BUFFER);
  EXPECT_EQ(SkGetSamplingData(h, buf, nullptr), SK_E_INVALID_ARGUMENT);
  EXPECT_EQ(SkorradevSimRequestCount(1, SKDF_READ_DATA), 0u);
}

TEST_F(SkorraLibSampling, EndOfRunSetsTheEventAndCallsTheCallback) {
  HANDLE h = openBoard(2);
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  static std::atomic<int> calls;
  calls = 0;
  static std::atomic<void*> seen;
  int token = 0;
  auto callback = [](void* data) {
    seen = data;
    ++calls;
  };
  ASSERT_EQ(SkSetBoardConfig(h, done, callback, &token), 0u);
  SkSamplingConfig c = normalConfig(2, 200);
  ASSERT_EQ(SkSetSamplingConfig(h, &c), 0u);
  ASSERT_EQ(SkStartSampling(h, 2), 0u);
  ASSERT_TRUE(SkorradevSimAdvance(2, 200));
  ASSERT_EQ(WaitForSingleObject(done, 5000), WAIT_OBJECT_0);
  EXPECT_TRUE(waitUntil([] { return calls.load() == 1; }));
  EXPECT_EQ(seen.load(), &token);
  CloseHandle(done);
}

TEST_F(SkorraLibSampling, WaitingStartReturnsAtTheEndAndDropsTheRegisteredEvent) {
  HANDLE h = openBoard(1);
  HANDLE registered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_EQ(SkSetBoardConfig(h, registered, nullptr, nullptr), 0u);
  SkSamplingConfig c = normalConfig(1, 100);
  ASSERT_EQ(SkSetSamplingConfig(h, &c), 0u);
  std::thread clock([] {
    waitUntil([] { return SkorradevSimRequestCount(1, SKDF_START) == 1; });
    SkorradevSimAdvance(1, 100);
  });
  EXPECT_EQ(SkStartSampling(h, 1), 0u);
  clock.join();
  EXPECT_EQ(WaitForSingleObject(registered, 0), WAIT_TIMEOUT);
  CloseHandle(registered);
}

TEST_F(SkorraLibSampling, WaitingStartDoesNotHoldTheLibraryLock) {
  HANDLE h = openBoard(1);
  HANDLE other = openBoard(2);
  SkSamplingConfig c = normalConfig(2, 1000);
  c.triggerMode = 9;  // never ends by itself
  ASSERT_EQ(SkSetSamplingConfig(h, &c), 0u);
  std::atomic<uint32_t> result{0xFFFFFFFFu};
  std::thread waiter([&] { result = SkStartSampling(h, 1); });
  ASSERT_TRUE(waitUntil([] { return SkorradevSimRequestCount(1, SKDF_START) == 1; }));
  // Other devices and the stop itself get through while the start waits.
  uint32_t info[10];
  EXPECT_EQ(SkGetDeviceInfo(other, info), 0u);
  EXPECT_EQ(SkStopSampling(h), 0u);
  waiter.join();
  EXPECT_EQ(result.load(), 0u);
}

TEST_F(SkorraLibSampling, CloseEndsAWaitingStart) {
  HANDLE h = openBoard(1);
  SkSamplingConfig c = normalConfig(2, 1000);
  c.triggerMode = 9;
  ASSERT_EQ(SkSetSamplingConfig(h, &c), 0u);
  std::thread waiter([&] { SkStartSampling(h, 1); });
  ASSERT_TRUE(waitUntil([] { return SkorradevSimRequestCount(1, SKDF_START) == 1; }));
  EXPECT_EQ(SkClose(h), 0u);
  open_.clear();
  waiter.join();
}

TEST_F(SkorraLibSampling, BusMasterRunReadsScansWithTheirExtraWords) {
  HANDLE h = openBoard(1);
  SkBmSamplingConfig c = bmConfig(3, 256);
  c.transferSelection = 2;  // odd count: one extra word per scan
  ASSERT_EQ(SkBmSetSamplingConfig(h, &c), 0u);
  SkBmSamplingConfig back{};
  ASSERT_EQ(SkBmGetSamplingConfig(h, &back), 0u);
  EXPECT_EQ(back.channelCount, 3u);
  EXPECT_EQ(back.clock, 1000.0f);
  ASSERT_EQ(SkStartSampling(h, 2), 0u);
  ASSERT_TRUE(SkorradevSimAdvance(1, 256));
  std::vector<uint16_t> data(256 * 4);
  uint32_t count = 256;
  ASSERT_EQ(SkBmGetSamplingData(h, data.data(), &count), 0u);
  ASSERT_EQ(count, 256u);
  for (uint32_t s = 0; s < 256; s += 17) {
    for (uint32_t ch = 0; ch < 3; ++ch) EXPECT_EQ(data[s * 4 + ch], expectedSample(1, ch + 1, s));
    EXPECT_EQ(data[s * 4 + 3], s);
  }
}

TEST_F(SkorraLibSampling, BusMasterTransferCompletesIntoTheCallersBuffer) {
  HANDLE h = openBoard(1);
  SkBmSamplingConfig c = bmConfig(2, 64);  // even, selection 1: no extra words
  ASSERT_EQ(SkBmSetSamplingConfig(h, &c), 0u);
  std::vector<uint16_t> data(64 * 2, 0xEEEE);
  EXPECT_EQ(SkBmStartSampling(h, nullptr, 256), SK_E_NULL_BUFFER);
  ASSERT_EQ(SkBmStartSampling(h, data.data(), static_cast<uint32_t>(data.size() * 2)), 0u);
  EXPECT_EQ(SkBmStartSampling(h, data.data(), 256), SK_E_BUSY);
  ASSERT_TRUE(SkorradevSimAdvance(1, 64));
  int32_t state = 0;
  ASSERT_TRUE(waitUntil([&] { return SkGetStatus(h, &state, nullptr, nullptr) == 0 && state == 1; }));
  // The run has ended, so the transfer completes; wait for it as the
  // library's own record sees it.
  DWORD bytes = 0;
  ASSERT_TRUE(GetOverlappedResult(h, &skorra::slotOf(1).overlappedA, &bytes, TRUE));
  EXPECT_EQ(bytes, 64u * 2 * 2);
  EXPECT_EQ(data[0], expectedSample(1, 1, 0));
  EXPECT_EQ(data[63 * 2 + 1], expectedSample(1, 2, 63));
}

// A message-only window on the test thread collects what the worker posts.
class MessageSink {
 public:
  MessageSink() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "SkorraTestSink";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(0, "SkorraTestSink", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  }
  ~MessageSink() { DestroyWindow(hwnd_); }
  HWND hwnd() const { return hwnd_; }
  // The next message `msg`, waiting at most 5 s.
  bool next(UINT msg, MSG& out) {
    for (int i = 0; i < 500; ++i) {
      if (PeekMessageA(&out, hwnd_, msg, msg, PM_REMOVE)) return true;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return false;
  }

 private:
  HWND hwnd_;
};

TEST_F(SkorraLibSampling, MaskedMessagesCarryTheHighWordAndTheEventCount) {
  HANDLE h = openBoard(1);
  MessageSink sink;
  ASSERT_NE(sink.hwnd(), nullptr);
  constexpr UINT kMsg = WM_USER + 7;
  ASSERT_EQ(SkSetMessage(h, sink.hwnd(), kMsg, 0x12), 0u);
  ASSERT_EQ(SkSetMaskMessage(h, 0x41), 0u);
  uint32_t mask = 0;
  ASSERT_EQ(SkGetMaskMessage(h, &mask), 0u);
  EXPECT_EQ(mask, 0x41u);

  ASSERT_TRUE(SkorradevSimRaiseInterrupt(1, 1, 0x41, 9));
  MSG m;
  ASSERT_TRUE(sink.next(kMsg, m));
  EXPECT_EQ(m.wParam, (WPARAM)((0x12u << 16) + 1));
  EXPECT_EQ(m.lParam, 9);

  ASSERT_TRUE(SkorradevSimRaiseInterrupt(1, 0, 0x40, 3));
  ASSERT_TRUE(sink.next(kMsg, m));
  EXPECT_EQ(m.wParam, (WPARAM)0x40);

  // Flags outside the mask post nothing; the next posted one proves it.
  ASSERT_TRUE(SkorradevSimRaiseInterrupt(1, 1, 0x02, 4));
  ASSERT_TRUE(SkorradevSimRaiseInterrupt(1, 1, 0x01, 5));
  ASSERT_TRUE(sink.next(kMsg, m));
  EXPECT_EQ(m.lParam, 5);

  ASSERT_EQ(SkKillMessage(h), 0u);
}

TEST_F(SkorraLibSampling, EveryCauseAsksForTheEventWordsWithoutARegisteredWindow) {
  openBoard(1);
  const DWORD flags = SkorradevSimRequestCount(1, SKDF_EVENT_FLAGS);
  const DWORD count = SkorradevSimRequestCount(1, SKDF_EVENT_COUNT);
  const DWORD causes[] = {0, 1, 2, 18};
  for (DWORD cause : causes) ASSERT_TRUE(SkorradevSimRaiseInterrupt(1, cause, 0, 0));
  EXPECT_TRUE(waitUntil([&] { return SkorradevSimRequestCount(1, SKDF_EVENT_COUNT) == count + std::size(causes); }));
  EXPECT_EQ(SkorradevSimRequestCount(1, SKDF_EVENT_FLAGS), flags + std::size(causes));
}

TEST_F(SkorraLibSampling, ExternalInterruptAndLowVoltageCausesReachTheirRegistrations) {
  HANDLE h = openBoard(1);
  HANDLE ex = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_EQ(SkSetExIntEvent(h, 1, ex, nullptr, nullptr), 0u);
  ASSERT_TRUE(SkorradevSimRaiseInterrupt(1, 18, 0, 0));
  EXPECT_EQ(WaitForSingleObject(ex, 5000), WAIT_OBJECT_0);
  ASSERT_EQ(SkKillExIntEvent(h), 0u);
  CloseHandle(ex);
  // The low-voltage family is for model 4555 only.
  EXPECT_EQ(SkLvSetSamplingConfig(h, 0, 0, 50.0f, 0, nullptr, nullptr, nullptr), SK_E_NOT_AVAILABLE);
  EXPECT_EQ(SkLvSetSamplingConfig(h, 4, 0, 50.0f, 0, nullptr, nullptr, nullptr), SK_E_INVALID_ARGUMENT);
}

}  // namespace
}  // namespace skorra_test

namespace skorra_test {
namespace {

// A board of model 5055 in the registry; its data comes by direct read.
class SkorraLibDirectRead : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\SKORRA\\003", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    DWORD board = 3, model = 5055;
    RegSetValueExA(key, "Board", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&board), 4);
    RegSetValueExA(key, "Model", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&model), 4);
    RegCloseKey(key);
    SkorradevSimReset();
  }
};

TEST_F(SkorraLibDirectRead, UnitsOfFourBytesAndTheCountFromTheTransfer) {
  HANDLE h = openBoard(3);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  SkSamplingConfig c = normalConfig(2, 100);
  ASSERT_EQ(SkSetSamplingConfig(h, &c), 0u);
  ASSERT_EQ(SkStartSampling(h, 2), 0u);
  ASSERT_TRUE(SkorradevSimAdvance(3, 100));
  std::vector<uint32_t> words(400, 0xDEADBEEF);
  uint32_t count = 200;
  ASSERT_EQ(SkGetSamplingData(h, words.data(), &count), 0u);
  ASSERT_GT(count, 0u);
  EXPECT_LE(count, 200u);
  EXPECT_EQ(words[0], expectedSample(3, 1, 0));
  EXPECT_EQ(words[1], expectedSample(3, 2, 0));
  EXPECT_EQ(words[count], 0xDEADBEEFu);  // nothing past what was reported
}

}  // namespace
}  // namespace skorra_test
