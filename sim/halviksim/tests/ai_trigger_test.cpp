// Start and stop triggers on the known signal: where a run begins taking
// scans, where it ends, what the status and the stop-trigger count say, and
// the triggers a device refuses.
#include <halviksim.h>

#include <functional>

#include "halviksim_fixture.h"

namespace {

using namespace halvikdrv;
using namespace halvikdrv::rec;

using Fill = std::function<void(std::vector<unsigned char>&)>;

// The known signal of the 16-bit kernel-road model.
int32_t signal(int64_t scan, int channel) { return static_cast<int32_t>((scan + 256 * channel) % 65536); }

class AiTriggerTest : public HalviksimTest {
 protected:
  void SetUp() override {
    HalviksimTest::SetUp();
    for (const char* device : {"HVA1", "DEMO0", "HVU00"}) halviksim::SetAiClock(device, halviksim::AiClock::Virtual);
  }

  std::vector<unsigned char> block(DWORD code, const Fill& fill = {}) {
    std::vector<unsigned char> b(kAiBlockSize);
    if (fill) fill(b);
    EXPECT_TRUE(kernel(kernel_, code, b)) << std::hex << code;
    return b;
  }
  int32_t statusOf(DWORD code, const Fill& fill = {}) { return at<int32_t>(block(code, fill), ai::kStatus); }
  int32_t value(DWORD code, size_t at32) { return at<int32_t>(block(code, [](auto& b) { put<int16_t>(b, ai::kGetFlag, 1); }), at32); }
  int32_t status() { return value(kAiStatus, ai::kStatusBits); }
  int32_t count() { return value(kAiSamplingCount, ai::kSamplingCount); }
  int32_t stopTriggerCount() { return value(kAiStopTriggerCount, ai::kStopTriggerCount); }

  // One channel at 1 scan per microsecond, the triggers as given.
  void configure(int16_t start, int16_t stop) {
    block(kAiChannels, [](auto& b) { put<int16_t>(b, ai::kChannels, 1); });
    block(kAiSamplingClock, [](auto& b) { put(b, ai::kSamplingClock, 1.0); });
    block(kAiStartTrigger, [&](auto& b) { put(b, ai::kStartTrigger, start); });
    block(kAiStopTrigger, [&](auto& b) { put(b, ai::kStopTrigger, stop); });
  }
  static Fill level(int16_t channel, int32_t count, int16_t direction) {
    return [=](auto& b) {
      put(b, ai::kChannel, channel);
      put(b, ai::kLevel, count);
      put(b, ai::kDirection, direction);
    };
  }
  static Fill window(int16_t channel, int32_t level1, int32_t level2, int32_t stateTimes) {
    return [=](auto& b) {
      put(b, ai::kChannel, channel);
      put(b, ai::kLevel1, level1);
      put(b, ai::kLevel2, level2);
      put(b, ai::kStateTimes, stateTimes);
    };
  }
  std::vector<int32_t> read(int32_t scans) {
    std::vector<int32_t> values(static_cast<size_t>(scans), -1);
    auto b = block(kAiSamplingData, [&](auto& blk) {
      put(blk, ai::kChannels, scans);
      put<uint64_t>(blk, ai::kDataAddress, reinterpret_cast<uintptr_t>(values.data()));
    });
    values.resize(static_cast<size_t>(at<int32_t>(b, ai::kChannels)));
    return values;
  }
};

// Channel 1 reads 256 + s at scan s, wrapping at 65536.
TEST_F(AiTriggerTest, AStartTriggerTakesScansFromTheScanThatMeetsIt) {
  struct Case {
    const char* name;
    int16_t kind;
    DWORD code;
    Fill setting;
    int64_t advance;
    int64_t firstScan;  // -1: never met
  };
  const Case cases[] = {
      {"rising", ai::kTriggerLevel, kAiStartLevel, level(1, 300, ai::kDirectionRising), 1000, 44},
      {"either", ai::kTriggerLevel, kAiStartLevel, level(1, 300, ai::kDirectionEither), 1000, 44},
      {"falling: at the wrap", ai::kTriggerLevel, kAiStartLevel, level(1, 300, ai::kDirectionFalling), 70000, 65280},
      {"a level the signal never reaches", ai::kTriggerLevel, kAiStartLevel, level(1, 70000, ai::kDirectionEither),
       1'000'000, -1},
      {"in range, bounds either way", ai::kTriggerInRange, kAiStartInRange, window(1, 320, 310, 5), 1000, 58},
      {"out of range", ai::kTriggerOutRange, kAiStartOutRange, window(1, 0, 1000, 3), 1000, 747},
      {"a window holding the whole signal", ai::kTriggerInRange, kAiStartInRange, window(1, -1, 70000, 200000),
       300000, 199999},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    block(kAiEvent, [](auto& b) { put(b, ai::kEventMask, ai::kFactorStart); });
    block(c.code, [](auto& b) { put<int16_t>(b, ai::kChannel, 2); });  // the channel set last counts
    block(c.code, c.setting);
    configure(c.kind, ai::kStopByCommand);
    ASSERT_EQ(statusOf(kAiStart), 0);
    EXPECT_EQ(status() & (ai::kStatusRunning | ai::kStatusStartWait), ai::kStatusRunning | ai::kStatusStartWait);
    halviksim::AdvanceTime("HVA1", c.advance);
    auto fetched = block(kAiEventFetch);
    if (c.firstScan < 0) {
      EXPECT_EQ(status() & ai::kStatusStartWait, ai::kStatusStartWait);
      EXPECT_EQ(count(), 0);
      EXPECT_EQ(at<int32_t>(fetched, ai::kEventListLength), 0) << "no start event before the trigger";
    } else {
      EXPECT_EQ(status() & ai::kStatusStartWait, 0);
      EXPECT_EQ(count(), c.advance - c.firstScan);
      EXPECT_EQ(read(1), std::vector<int32_t>{signal(c.firstScan, 0)});
      EXPECT_EQ(at<int32_t>(fetched, ai::kEventFactor), ai::kFactorStart);
    }
    block(kAiStop);
    block(kAiResetMemory);
    block(kAiEventFetch);
  }
}

// A stop trigger ends the run its delay after the scan that met it,
// whatever the stop times; the count tells where that scan lies.
TEST_F(AiTriggerTest, AStopTriggerEndsTheRunItsDelayLaterAndCountsItsPlace) {
  block(kAiEvent, [](auto& b) { put(b, ai::kEventMask, ai::kFactorEnd); });
  block(kAiStopTimes, [](auto& b) { put(b, ai::kStopTimes, 10); });
  block(kAiStopDelayTimes, [](auto& b) { put(b, ai::kStopDelayTimes, 20); });
  block(kAiStartLevel, level(1, 300, ai::kDirectionRising));  // scan 44
  block(kAiStopOutRange, window(0, 0, 99, 1));                // scan 100
  configure(ai::kTriggerLevel, ai::kTriggerOutRange);
  ASSERT_EQ(statusOf(kAiStart), 0);

  std::vector<unsigned char> wait(kAiBlockSize);
  OVERLAPPED ov{};
  ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD done = 0;
  ASSERT_FALSE(DeviceIoControl(kernel_, kAiEventWait, wait.data(), kAiBlockSize, wait.data(), kAiBlockSize, &done, &ov));
  halviksim::AdvanceTime("HVA1", 100);
  EXPECT_EQ(stopTriggerCount(), 0) << "not met yet";
  EXPECT_EQ(status() & ai::kStatusRunning, ai::kStatusRunning) << "the stop times do not end it";
  halviksim::AdvanceTime("HVA1", 19);
  EXPECT_EQ(stopTriggerCount(), 57);
  EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), DWORD{WAIT_TIMEOUT}) << "the delay is still running";
  halviksim::AdvanceTime("HVA1", 1000);
  ASSERT_EQ(WaitForSingleObject(ov.hEvent, 5000), DWORD{WAIT_OBJECT_0});
  EXPECT_EQ(status() & ai::kStatusRunning, 0);
  EXPECT_EQ(at<int16_t>(block(kAiEventFetch), ai::kEventEnd), 1);
  const std::vector<int32_t> taken = read(1000);
  ASSERT_EQ(taken.size(), 57u + 20);
  EXPECT_EQ(taken.front(), signal(44, 0));
  EXPECT_EQ(taken[56], signal(100, 0));
  EXPECT_EQ(taken.back(), signal(120, 0));
  EXPECT_EQ(stopTriggerCount(), 57) << "kept after the run";
  CloseHandle(ov.hEvent);
}

// The sibling roads keep their trigger settings in their own records.
TEST_F(AiTriggerTest, TheVirtualDeviceStopsOnItsLevelAndCountsIt) {
  auto vm = [this](DWORD code, size_t size, const Fill& fill = {}) {
    std::vector<unsigned char> r(size);
    if (fill) fill(r);
    EXPECT_EQ(command(vmIo, 10, vm_, code, r), 0u) << std::hex << code;
    return r;
  };
  vm(kCmdAiSamplingClock, kAiFormFSizeVm, [](auto& r) { put(r, kAiFormFClock, 1.0); });
  vm(kCmdAiStopDelayTimes, kAiFormCSize, [](auto& r) { put(r, kAiFormCValue, 5); });
  vm(kCmdAiStopLevel, kAiFormGSize, [](auto& r) {
    put<int16_t>(r, kAiFormGChannel, 2);
    put<int32_t>(r, kAiFormGLevel, 1000);
    put<int16_t>(r, kAiFormGDirection, ai::kDirectionRising);
  });
  vm(kCmdAiStopTrigger, kAiFormASize, [](auto& r) { put(r, kAiFormAValue, ai::kTriggerLevel); });
  vm(kCmdAiStart, kAiFormLSizeVm);
  halviksim::AdvanceTime("DEMO0", 1000);
  EXPECT_EQ(at<int32_t>(vm(kCmdAiStatus, kAiFormBSize), kAiFormBValue) & ai::kStatusRunning, 0);
  EXPECT_EQ(at<int32_t>(vm(kCmdAiStopTriggerCount, kAiFormBSize), kAiFormBValue), 489);  // scan 488 reads 1000
  EXPECT_EQ(at<int32_t>(vm(kCmdAiSamplingCount, kAiFormBSize), kAiFormBValue), 494);
}

TEST_F(AiTriggerTest, ATriggerTheDeviceCannotWatchRefusesTheStart) {
  struct Case {
    const char* name;
    HANDLE* handle;  // null: the kernel road
    std::function<void()> set;
    int32_t status;
  };
  auto bus = [this](DWORD code, size_t size, const Fill& fill) {
    std::vector<unsigned char> r(size);
    fill(r);
    EXPECT_EQ(command(busIo, 3, bus_, code, r), 0u);
  };
  const Case cases[] = {
      {"an unknown start kind", nullptr, [&] { configure(1, ai::kTriggerNone); }, kStatusAiStartTriggerUnfit},
      {"a start by the stop request", nullptr, [&] { configure(ai::kStopByCommand, 0); }, kStatusAiStartTriggerUnfit},
      {"an unknown stop kind", nullptr, [&] { configure(ai::kTriggerNone, 7); }, kStatusAiStopTriggerUnfit},
      {"a level on a channel the model lacks", nullptr,
       [&] {
         block(kAiStopLevel, level(32, 5, 0));
         configure(ai::kTriggerNone, ai::kTriggerLevel);
       },
       kStatusAiStopTriggerUnfit},
      {"a window on the bus library's device", &bus_,
       [&] { bus(kCmdAiStartTrigger, kAiFormASize, [](auto& r) { put(r, kAiFormAValue, ai::kTriggerInRange); }); },
       kStatusAiStartTriggerUnfit},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.set();
    if (c.handle == nullptr) {
      EXPECT_EQ(statusOf(kAiStart), c.status);
      EXPECT_EQ(status() & ai::kStatusRunning, 0) << "nothing started";
    } else {
      std::vector<unsigned char> start(kAiFormLSizeBus);
      ASSERT_EQ(command(busIo, 3, *c.handle, kCmdAiStart, start), 0u);
      EXPECT_EQ(at<int32_t>(start, 0), c.status);
    }
  }
}

}  // namespace
