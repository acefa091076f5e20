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
constexpr const char* kSecond = "HVA2";
constexpr LONG kClockUs = 100;
constexpr LONG kDataCountEvent = 0x80, kOverrunEvent = 0x10000;
constexpr LONG kEndEvent = 0x20;
constexpr short kDataCountMessage = 0x1003, kOverrunMessage = 0x1004, kEndMessage = 0x1002;

std::atomic<int> g_dataCount{0}, g_overrun{0}, g_end{0};
void WINAPI onEvent(short, short message, short, LONG, void*) {
  if (message == kDataCountMessage) ++g_dataCount;
  if (message == kOverrunMessage) ++g_overrun;
  if (message == kEndMessage) ++g_end;
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
    ASSERT_FALSE(halviksim::InstallDevice({kSecond, "HVA-1632PE", 1, "", 7}).empty());
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
  void configure(short channels, short device = -1) {
    if (device < 0) device = id;
    ASSERT_EQ(entry<decltype(&XanSetAiChannels)>("XanSetAiChannels")(device, channels), 0);
    ASSERT_EQ(entry<decltype(&XanSetAiSamplingClock)>("XanSetAiSamplingClock")(device, static_cast<float>(kClockUs)),
              0);
    ASSERT_EQ(entry<decltype(&XanSetAiStopTrigger)>("XanSetAiStopTrigger")(device, 4), 0);  // by the stop request only
  }
  void advanceScans(int64_t scans, const char* device = kDevice) {
    ASSERT_TRUE(halviksim::AdvanceTime(device, scans * kClockUs));
  }
  // Reads `scans` scans of 4 channels and checks them against the signal from scan `first` on.
  void expectScans(short device, LONG scans, int64_t first) {
    std::vector<LONG> values(static_cast<size_t>(scans) * 4);
    LONG got = scans;
    ASSERT_EQ(entry<decltype(&XanGetAiSamplingData)>("XanGetAiSamplingData")(device, &got, values.data()), 0);
    ASSERT_EQ(got, scans);
    for (LONG s = 0; s < scans; ++s) {
      for (int c = 0; c < 4; ++c) ASSERT_EQ(values[static_cast<size_t>(s * 4 + c)], signal(first + s, c));
    }
  }
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

// Five or six channels take three words a scan; a ring of ten words ends
// one word into the fourth scan, whose later entries stand at its start.
TEST_F(HostRingTest, AScanAcrossTheRingsEndTakesItsLaterEntriesFromTheStart) {
  auto data = entry<decltype(&XanGetAiSamplingData)>("XanGetAiSamplingData");
  for (short channels : {5, 6}) {
    SCOPED_TRACE(channels);
    configure(channels);
    ASSERT_EQ(entry<decltype(&XanSetAiMemorySize)>("XanSetAiMemorySize")(id, 40), 0);
    ASSERT_EQ(entry<decltype(&XanSetAiDeviceBufferMode)>("XanSetAiDeviceBufferMode")(id, 1), 0);
    ASSERT_EQ(entry<decltype(&XanStartAi)>("XanStartAi")(id), 0);
    std::vector<LONG> values(2 * static_cast<size_t>(channels));
    for (int64_t first = 0; first < 10; first += 2) {
      advanceScans(2);
      LONG scans = 2;
      ASSERT_EQ(data(id, &scans, values.data()), 0);
      ASSERT_EQ(scans, 2);
      for (int s = 0; s < 2; ++s) {
        for (int c = 0; c < channels; ++c) {
          EXPECT_EQ(values[static_cast<size_t>(s * channels + c)], signal(first + s, c))
              << "scan " << first + s << " ch " << c;
        }
      }
    }
    EXPECT_EQ(entry<decltype(&XanStopAi)>("XanStopAi")(id), 0);
    ASSERT_EQ(entry<decltype(&XanSetAiDeviceBufferMode)>("XanSetAiDeviceBufferMode")(id, 0), 0);
  }
}

// A polling thread that ended on a failure is not waited for: the end of
// the run is still reported, and the next start makes a new thread.
TEST_F(HostRingTest, TheRunEndsWithoutAPollingThreadThatDied) {
  configure(4);
  ASSERT_EQ(entry<decltype(&XanSetAiDeviceBufferMode)>("XanSetAiDeviceBufferMode")(id, 1), 0);
  g_end = 0;
  ASSERT_EQ(entry<decltype(&XanSetAiCallBackProc)>("XanSetAiCallBackProc")(id, onEvent, kEndEvent, nullptr), 0);
  // The memory type is read by the polling thread alone.
  ASSERT_TRUE(halviksim::SetFault(kDevice, 0x2221A0, {halviksim::Fault::Kind::CallFails, 0, halviksim::kEveryCall}));
  auto start = entry<decltype(&XanStartAi)>("XanStartAi");
  auto stop = entry<decltype(&XanStopAi)>("XanStopAi");
  ASSERT_EQ(start(id), 0);
  EXPECT_EQ(stop(id), 0);
  EXPECT_TRUE(within5s(g_end));

  ASSERT_TRUE(halviksim::ClearFaults(kDevice));
  ASSERT_EQ(start(id), 0);
  advanceScans(20);
  expectScans(id, 20, 0);
  EXPECT_EQ(stop(id), 0);
}

// Each device has its own hand-over: taking one device's buffer back leaves
// the other's request and ring as they were.
TEST_F(HostRingTest, TwoDevicesKeepTheirOwnHandOver) {
  short second = -1;
  ASSERT_TRUE(halviksim::SetAiClock(kSecond, halviksim::AiClock::Virtual));
  ASSERT_EQ(entry<decltype(&XanInit)>("XanInit")(kSecond, &second), 0);
  auto mode = entry<decltype(&XanSetAiDeviceBufferMode)>("XanSetAiDeviceBufferMode");
  auto start = entry<decltype(&XanStartAi)>("XanStartAi");
  auto stop = entry<decltype(&XanStopAi)>("XanStopAi");
  for (short device : {id, second}) {
    configure(4, device);
    ASSERT_EQ(mode(device, 1), 0);
    ASSERT_EQ(start(device), 0);
  }
  advanceScans(30);
  advanceScans(50, kSecond);
  expectScans(id, 30, 0);
  expectScans(second, 50, 0);

  EXPECT_EQ(stop(id), 0);
  ASSERT_EQ(mode(id, 0), 0);
  advanceScans(70, kSecond);
  expectScans(second, 70, 50);
  EXPECT_EQ(stop(second), 0);
  EXPECT_EQ(entry<decltype(&XanExit)>("XanExit")(second), 0);
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
