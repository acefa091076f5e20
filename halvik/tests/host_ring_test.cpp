// Samples that the driver puts straight into memory of the host: the
// library's ring of device buffer mode 1, read as an application reads it,
// and a caller's buffer filled by bus-master transfer.
#include <gtest/gtest.h>
#include <halvik.h>
#include <halviksim.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "installed_halvik.h"

namespace {

constexpr const char* kDevice = "HVA1";  // the kernel road
constexpr LONG kClockUs = 100;
constexpr LONG kDataCountEvent = 0x80, kOverrunEvent = 0x10000;
constexpr short kDataCountMessage = 0x1003, kOverrunMessage = 0x1004;

std::atomic<int> g_dataCount{0}, g_overrun{0};
void WINAPI onEvent(short, short message, short, LONG, void*) {
  if (message == kDataCountMessage) ++g_dataCount;
  if (message == kOverrunMessage) ++g_overrun;
}

bool within5s(const std::atomic<int>& counter) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (counter == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return counter > 0;
}

class HostRingTest : public InstalledHalvik {
 protected:
  void SetUp() override {
    InstalledHalvik::SetUp();
    install();
    open();
    ASSERT_TRUE(halviksim::SetAiClock(kDevice, halviksim::AiClock::Virtual));
    ASSERT_EQ(entry<decltype(&XanInit)>("XanInit")(kDevice, &id), 0);
  }
  void TearDown() override {
    if (id >= 0) {
      EXPECT_EQ(entry<decltype(&XanExit)>("XanExit")(id), 0);
    }
    InstalledHalvik::TearDown();
  }
  void configure(short channels) {
    ASSERT_EQ(entry<decltype(&XanSetAiChannels)>("XanSetAiChannels")(id, channels), 0);
    ASSERT_EQ(entry<decltype(&XanSetAiSamplingClock)>("XanSetAiSamplingClock")(id, static_cast<float>(kClockUs)), 0);
    ASSERT_EQ(entry<decltype(&XanSetAiStopTrigger)>("XanSetAiStopTrigger")(id, 4), 0);  // by the stop request only
  }
  void advanceScans(int64_t scans) { ASSERT_TRUE(halviksim::AdvanceTime(kDevice, scans * kClockUs)); }
  // The known signal as the ring keeps it: its low 12 bits.
  static LONG signal(int64_t scan, int channel) { return static_cast<LONG>((scan + 256 * channel) & 0xFFF); }

  short id = -1;
};

// 8 channels take four words a scan; 4096 bytes hold 256 scans, so the
// 1000 scans read wrap the ring several times.
TEST_F(HostRingTest, EveryScanComesThroughTheRingThenAnOverrunIsReported) {
  constexpr short kChannels = 8;
  constexpr LONG kRingScans = 4096 / 4 / 4;
  configure(kChannels);
  ASSERT_EQ(entry<decltype(&XanSetAiMemorySize)>("XanSetAiMemorySize")(id, 4096), 0);
  ASSERT_EQ(entry<decltype(&XanSetAiDeviceBufferMode)>("XanSetAiDeviceBufferMode")(id, 1), 0);
  ASSERT_EQ(entry<decltype(&XanSetAiEventSamplingTimes)>("XanSetAiEventSamplingTimes")(id, 100), 0);
  g_dataCount = g_overrun = 0;
  ASSERT_EQ(entry<decltype(&XanSetAiCallBackProc)>("XanSetAiCallBackProc")(id, onEvent,
                                                                          kDataCountEvent | kOverrunEvent, nullptr),
            0);
  auto count = entry<decltype(&XanGetAiSamplingCount)>("XanGetAiSamplingCount");
  auto data = entry<decltype(&XanGetAiSamplingData)>("XanGetAiSamplingData");
  auto status = entry<decltype(&XanGetAiStatus)>("XanGetAiStatus");
  ASSERT_EQ(entry<decltype(&XanStartAi)>("XanStartAi")(id), 0);

  std::vector<LONG> values(static_cast<size_t>(kRingScans) * kChannels * 4);
  int64_t next = 0;
  for (int pass = 0; pass < 10; ++pass) {
    advanceScans(100);
    LONG stored = 0;
    ASSERT_EQ(count(id, &stored), 0);
    ASSERT_EQ(stored, 100) << "pass " << pass;
    // The count stays reached until it is read.
    if (pass == 0) {
      EXPECT_TRUE(within5s(g_dataCount)) << "the polling thread saw the count reached";
    }
    LONG scans = stored;
    ASSERT_EQ(data(id, &scans, values.data()), 0);
    ASSERT_EQ(scans, 100);
    for (LONG s = 0; s < scans; ++s, ++next) {
      for (int c = 0; c < kChannels; ++c) {
        ASSERT_EQ(values[static_cast<size_t>(s * kChannels + c)], signal(next, c)) << "scan " << next << " ch " << c;
      }
    }
  }
  LONG bits = 0;
  ASSERT_EQ(status(id, &bits), 0);
  EXPECT_EQ(bits & 0x10000, 0) << "nothing lost while the reader kept up";

  // More than the ring holds, unread: the oldest are overwritten.
  advanceScans(kRingScans + 44);
  EXPECT_TRUE(within5s(g_overrun));
  ASSERT_EQ(status(id, &bits), 0);
  EXPECT_NE(bits & 0x10000, 0);
  LONG scans = kRingScans * 2;
  EXPECT_EQ(data(id, &scans, values.data()), 21585);
  EXPECT_EQ(scans, kRingScans) << "the whole ring counts as stored";
  EXPECT_EQ(entry<decltype(&XanStopAi)>("XanStopAi")(id), 0);

  // A ring too small for one scan has no count to give, and says so.
  ASSERT_EQ(entry<decltype(&XanSetAiMemorySize)>("XanSetAiMemorySize")(id, 8), 0);
  LONG stale = 12345;
  EXPECT_EQ(count(id, &stale), 20001);
  EXPECT_EQ(stale, 0);
}

TEST_F(HostRingTest, ACallersBufferIsFilledByBusMaster) {
  constexpr short kChannels = 4;
  configure(kChannels);
  auto transferData = entry<decltype(&XanSetAiTransferData)>("XanSetAiTransferData");
  std::vector<LONG> buffer(64, -1);
  EXPECT_EQ(transferData(id, 0x1000001, buffer.data()), 11980);
  EXPECT_EQ(transferData(id, 0, buffer.data()), 11980);
  EXPECT_EQ(transferData(id, 16, nullptr), 11981);
  ASSERT_EQ(entry<decltype(&XanSetAiTransferMode)>("XanSetAiTransferMode")(id, 1), 0);
  ASSERT_EQ(transferData(id, static_cast<LONG>(buffer.size()), buffer.data()), 0);
  ASSERT_EQ(entry<decltype(&XanStartAi)>("XanStartAi")(id), 0);
  advanceScans(10);
  EXPECT_EQ(entry<decltype(&XanStopAi)>("XanStopAi")(id), 0);
  for (int s = 0; s < 10; ++s) {
    for (int c = 0; c < kChannels; ++c) EXPECT_EQ(buffer[static_cast<size_t>(s * kChannels + c)], s + 256 * c);
  }
  EXPECT_EQ(buffer[40], -1) << "no more than the run took";
}

}  // namespace
