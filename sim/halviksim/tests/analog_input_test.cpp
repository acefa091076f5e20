// Analog input on the three roads: runs of the known signal, their counts
// and stops, the event waits, and the immediate conversions.
#include <halviksim.h>
#include <platform/device.h>

#include <functional>

#include "halviksim_fixture.h"

namespace {

using namespace halvikdrv;
using namespace halvikdrv::rec;

// The known signal of a 16- or 12-bit model.
int32_t signal(int64_t scan, int channel, int bits) { return static_cast<int32_t>((scan + 256 * channel) % (1 << bits)); }

class AnalogInputTest : public HalviksimTest {
 protected:
  // One road, as the library drives it.
  struct Road {
    const char* device = "";
    int bits = 16;
    std::function<void(int16_t channels, double clockUs, int32_t stopTimes, int16_t stopTrigger)> configure;
    std::function<void()> start;
    std::function<void()> stop;
    std::function<int32_t()> status;
    std::function<int32_t()> count;
    // Up to `scans` scans of `channels` values; the status of the readout.
    std::function<int32_t(int32_t scans, int channels, std::vector<int32_t>& values)> read;
  };

  std::vector<unsigned char> block(DWORD code, std::function<void(std::vector<unsigned char>&)> fill = {}) {
    std::vector<unsigned char> b(kAiBlockSize);
    if (fill) fill(b);
    EXPECT_TRUE(kernel(kernel_, code, b)) << std::hex << code;
    return b;
  }
  std::vector<unsigned char> vm(DWORD code, size_t size, std::function<void(std::vector<unsigned char>&)> fill = {}) {
    std::vector<unsigned char> r(size);
    if (fill) fill(r);
    EXPECT_EQ(command(vmIo, 10, vm_, code, r), 0u) << std::hex << code;
    return r;
  }
  std::vector<unsigned char> bus(DWORD code, size_t size, std::function<void(std::vector<unsigned char>&)> fill = {}) {
    std::vector<unsigned char> r(size);
    if (fill) fill(r);
    EXPECT_EQ(command(busIo, 3, bus_, code, r), 0u) << std::hex << code;
    return r;
  }

  Road kernelRoad() {
    Road r;
    r.device = "HVA1";
    r.bits = 16;
    r.configure = [this](int16_t channels, double clock, int32_t stopTimes, int16_t trigger) {
      block(kAiChannels, [&](auto& b) { put(b, ai::kChannels, channels); });
      block(kAiSamplingClock, [&](auto& b) { put(b, ai::kSamplingClock, clock); });
      block(kAiStopTimes, [&](auto& b) { put(b, ai::kStopTimes, stopTimes); });
      block(kAiStopTrigger, [&](auto& b) { put(b, ai::kStopTrigger, trigger); });
    };
    r.start = [this] { block(kAiStart); };
    r.stop = [this] { block(kAiStop); };
    r.status = [this] { return at<int32_t>(block(kAiStatus, [](auto& b) { put<int16_t>(b, ai::kGetFlag, 1); }), ai::kStatusBits); };
    r.count = [this] { return at<int32_t>(block(kAiSamplingCount), ai::kSamplingCount); };
    r.read = [this](int32_t scans, int channels, std::vector<int32_t>& values) {
      values.assign(static_cast<size_t>(scans) * channels, -1);
      auto b = block(kAiSamplingData, [&](auto& blk) {
        put(blk, ai::kChannels, scans);
        put<uint64_t>(blk, ai::kDataAddress, reinterpret_cast<uintptr_t>(values.data()));
      });
      values.resize(static_cast<size_t>(at<int32_t>(b, ai::kChannels)) * channels);
      return at<int32_t>(b, ai::kStatus);
    };
    return r;
  }

  // The two sibling roads share forms A to N; their readouts differ.
  template <class Send>
  void configureBus(Send send, bool vmClock, int16_t channels, double clock, int32_t stopTimes, int16_t trigger) {
    send(kCmdAiChannels, kAiFormASize, [&](auto& r) { put(r, kAiFormAValue, channels); });
    if (vmClock) {
      send(kCmdAiSamplingClock, kAiFormFSizeVm, [&](auto& r) { put(r, kAiFormFClock, clock); });
    } else {
      send(kCmdAiSamplingClock, kAiFormFSizeBus, [&](auto& r) { put(r, kAiFormFClock, static_cast<float>(clock)); });
    }
    send(kCmdAiStopTimes, kAiFormCSize, [&](auto& r) { put(r, kAiFormCValue, stopTimes); });
    send(kCmdAiStopTrigger, kAiFormASize, [&](auto& r) { put(r, kAiFormAValue, trigger); });
  }

  Road vmRoad() {
    Road r;
    r.device = "DEMO0";
    r.bits = 12;
    auto send = [this](DWORD code, size_t size, std::function<void(std::vector<unsigned char>&)> fill = {}) {
      return vm(code, size, fill);
    };
    r.configure = [this, send](int16_t c, double clock, int32_t s, int16_t t) { configureBus(send, true, c, clock, s, t); };
    r.start = [send] { send(kCmdAiStart, kAiFormLSizeVm); };
    r.stop = [send] { send(kCmdAiStop, kAiFormMSize); };
    r.status = [send] { return at<int32_t>(send(kCmdAiStatus, kAiFormBSize), kAiFormBValue); };
    r.count = [send] { return at<int32_t>(send(kCmdAiSamplingCount, kAiFormBSize), kAiFormBValue); };
    r.read = [send](int32_t scans, int channels, std::vector<int32_t>& values) {
      values.assign(static_cast<size_t>(scans) * channels, -1);
      auto rec = send(kCmdAiSamplingData, kAiReadoutSizeVm, [&](auto& record) {
        put(record, kAiReadoutScans, scans);
        put<uint64_t>(record, kAiReadoutAddress, reinterpret_cast<uintptr_t>(values.data()));
      });
      values.resize(static_cast<size_t>(at<int32_t>(rec, kAiReadoutScans)) * channels);
      return at<int32_t>(rec, 0);
    };
    return r;
  }

  Road busRoad() {
    Road r;
    r.device = "HVU00";
    r.bits = 16;
    auto send = [this](DWORD code, size_t size, std::function<void(std::vector<unsigned char>&)> fill = {}) {
      return bus(code, size, fill);
    };
    r.configure = [this, send](int16_t c, double clock, int32_t s, int16_t t) { configureBus(send, false, c, clock, s, t); };
    r.start = [send] { send(kCmdAiStart, kAiFormLSizeBus); };
    r.stop = [send] { send(kCmdAiStop, kAiFormMSize); };
    r.status = [send] { return at<int32_t>(send(kCmdAiStatus, kAiFormBSize), kAiFormBValue); };
    r.count = [send] { return at<int32_t>(send(kCmdAiSamplingCount, kAiFormBSize), kAiFormBValue); };
    // In chunks of at most 1024 values, as the library fetches them.
    r.read = [send](int32_t scans, int channels, std::vector<int32_t>& values) {
      values.clear();
      int64_t left = int64_t{scans} * channels;
      for (int32_t index = 0; left > 0; ++index) {
        const int32_t asked = static_cast<int32_t>(std::min<int64_t>(left, kAiChunkCapacity));
        auto chunk = send(kCmdAiSamplingData, kAiChunkSize, [&](auto& record) {
          put(record, kAiChunkIndex, index);
          put(record, kAiChunkCount, asked);
        });
        const int32_t got = at<int32_t>(chunk, kAiChunkCount);
        for (int32_t i = 0; i < got; ++i) values.push_back(at<uint16_t>(chunk, kAiChunkValues + 2 * i));
        if (at<int32_t>(chunk, 0) != 0) return at<int32_t>(chunk, 0);
        left -= got;
      }
      return 0;
    };
    return r;
  }

  std::vector<Road> roads() { return {kernelRoad(), vmRoad(), busRoad()}; }
};

TEST_F(AnalogInputTest, ARunDeliversTheKnownSignalInOrderAndEndsAtItsStopTimes) {
  for (Road& road : roads()) {
    SCOPED_TRACE(road.device);
    ASSERT_TRUE(halviksim::SetAiClock(road.device, halviksim::AiClock::Virtual));
    road.configure(3, 100.0, 700, 0);
    road.start();
    EXPECT_EQ(road.status() & ai::kStatusRunning, ai::kStatusRunning);
    halviksim::AdvanceTime(road.device, 50'000);  // 500 scans
    EXPECT_EQ(road.count(), 500);

    std::vector<int32_t> values;
    ASSERT_EQ(road.read(450, 3, values), 0);  // across chunk ends on the bus road
    ASSERT_EQ(values.size(), 450u * 3);
    for (int64_t s = 0; s < 450; ++s) {
      for (int c = 0; c < 3; ++c) ASSERT_EQ(values[s * 3 + c], signal(s, c, road.bits)) << s << " " << c;
    }
    EXPECT_EQ(road.count(), 50);

    halviksim::AdvanceTime(road.device, 1'000'000);  // well past the stop times
    EXPECT_EQ(road.status() & ai::kStatusRunning, 0);
    EXPECT_EQ(road.count(), 250) << "scans past the stop times are not taken";
    EXPECT_EQ(road.read(300, 3, values), kStatusAiBeyondStored);
    ASSERT_EQ(values.size(), 250u * 3);
    EXPECT_EQ(values.front(), signal(450, 0, road.bits));
    EXPECT_EQ(values.back(), signal(699, 2, road.bits));
  }
}

TEST_F(AnalogInputTest, StopTriggerFourRunsUntilTheStopRequest) {
  for (Road& road : roads()) {
    SCOPED_TRACE(road.device);
    halviksim::SetAiClock(road.device, halviksim::AiClock::Virtual);
    road.configure(1, 1000.0, 5, ai::kStopByCommand);
    road.start();
    halviksim::AdvanceTime(road.device, 20'000);
    EXPECT_EQ(road.status() & ai::kStatusRunning, ai::kStatusRunning) << "the stop times do not end it";
    EXPECT_EQ(road.count(), 20);
    road.stop();
    halviksim::AdvanceTime(road.device, 20'000);
    EXPECT_EQ(road.status() & ai::kStatusRunning, 0);
    EXPECT_EQ(road.count(), 20) << "a stopped run keeps what it took";
  }
}

TEST_F(AnalogInputTest, TheSequenceChoosesTheChannelOfEachEntry) {
  halviksim::SetAiClock("HVA1", halviksim::AiClock::Virtual);
  Road road = kernelRoad();
  road.configure(2, 10.0, 4, 0);
  for (auto [entry, channel] : {std::pair<int16_t, int16_t>{0, 5}, {1, 2}}) {
    block(kAiChannelSequence, [&](auto& b) {
      put(b, ai::kSequence, entry);
      put(b, ai::kChannel, channel);
    });
  }
  road.start();
  halviksim::AdvanceTime("HVA1", 40);
  std::vector<int32_t> values;
  ASSERT_EQ(road.read(4, 2, values), 0);
  EXPECT_EQ(values, (std::vector<int32_t>{1280, 512, 1281, 513, 1282, 514, 1283, 515}));
}

TEST_F(AnalogInputTest, ScansBeyondTheStorageAreDroppedCountedAndFlagged) {
  halviksim::SetAiClock("HVA1", halviksim::AiClock::Virtual);
  halviksim::SetAiStorageCap("HVA1", 100);
  Road road = kernelRoad();
  road.configure(1, 10.0, 0, ai::kStopByCommand);
  road.start();
  halviksim::AdvanceTime("HVA1", 1500);
  EXPECT_EQ(road.count(), 100);
  EXPECT_EQ(halviksim::AiDroppedScans("HVA1"), 50);
  EXPECT_EQ(road.status() & ai::kStatusOverflow, ai::kStatusOverflow);
  std::vector<int32_t> values;
  road.read(100, 1, values);
  halviksim::AdvanceTime("HVA1", 100);
  road.read(10, 1, values);
  EXPECT_EQ(values.front(), signal(150, 0, 16)) << "storage goes on with the scan now due";
  block(kAiResetStatus);
  EXPECT_EQ(road.status() & ai::kStatusOverflow, 0);
}

TEST_F(AnalogInputTest, TheStatusBitsTheLibrarySetsAndClearsStay) {
  auto change = [&](int32_t bit, int16_t clear) {
    return at<int32_t>(block(kAiStatus, [&](auto& b) {
                         put(b, ai::kStatusBits, bit);
                         put(b, ai::kStatusBitClear, clear);
                       }),
                       ai::kStatusBits);
  };
  EXPECT_EQ(change(ai::kStatusCountReached, 0), ai::kStatusCountReached);
  EXPECT_EQ(change(ai::kStatusRunning, 0), ai::kStatusCountReached) << "only a start sets the running bit";
  EXPECT_EQ(change(ai::kStatusCountReached, 1), 0);
}

// An event wait on the kernel road: pending until its event is due, then
// the fetch lists what happened; a cancelled wait ends as aborted.
TEST_F(AnalogInputTest, AKernelWaitCompletesWhenTheEventIsDueAndOnCancel) {
  halviksim::SetAiClock("HVA1", halviksim::AiClock::Virtual);
  block(kAiEvent, [](auto& b) { put(b, ai::kEventMask, ai::kFactorDataCount | ai::kFactorEnd); });
  block(kAiEventSamplingTimes, [](auto& b) { put(b, ai::kEventSamplingTimes, 4); });
  Road road = kernelRoad();
  road.configure(1, 100.0, 6, 0);
  road.start();

  std::vector<unsigned char> wait(kAiBlockSize);
  OVERLAPPED ov{};
  ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD done = 0;
  ASSERT_FALSE(DeviceIoControl(kernel_, kAiEventWait, wait.data(), kAiBlockSize, wait.data(), kAiBlockSize, &done, &ov));
  ASSERT_EQ(GetLastError(), DWORD{ERROR_IO_PENDING});
  halviksim::AdvanceTime("HVA1", 300);
  EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), DWORD{WAIT_TIMEOUT}) << "three scans: nothing due";
  halviksim::AdvanceTime("HVA1", 100);
  ASSERT_EQ(WaitForSingleObject(ov.hEvent, 5000), DWORD{WAIT_OBJECT_0});
  EXPECT_TRUE(GetOverlappedResult(kernel_, &ov, &done, FALSE));

  auto fetched = block(kAiEventFetch);
  EXPECT_EQ(at<int32_t>(fetched, ai::kEventListLength), 1);
  EXPECT_EQ(at<int32_t>(fetched, ai::kEventList), ai::kFactorDataCount);
  EXPECT_EQ(at<int32_t>(fetched, ai::kSamplingCount), 4);
  EXPECT_EQ(at<int16_t>(fetched, ai::kEventEnd), 0);

  halviksim::AdvanceTime("HVA1", 1000);
  fetched = block(kAiEventFetch);
  EXPECT_EQ(at<int32_t>(fetched, ai::kEventFactor), ai::kFactorEnd);
  EXPECT_EQ(at<int16_t>(fetched, ai::kEventEnd), 1);

  ResetEvent(ov.hEvent);
  ASSERT_FALSE(DeviceIoControl(kernel_, kAiEventWait, wait.data(), kAiBlockSize, wait.data(), kAiBlockSize, &done, &ov));
  ASSERT_EQ(GetLastError(), DWORD{ERROR_IO_PENDING}) << "nothing is due after the fetch";
  CancelIo(kernel_);
  ASSERT_EQ(WaitForSingleObject(ov.hEvent, 5000), DWORD{WAIT_OBJECT_0});
  EXPECT_FALSE(GetOverlappedResult(kernel_, &ov, &done, FALSE));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_OPERATION_ABORTED});
  CloseHandle(ov.hEvent);
}

// The sibling wait: 997 and the OVERLAPPED's event set when due; the list of
// the virtual device's fetch; a close completes a pending wait.
TEST_F(AnalogInputTest, ASiblingWaitSetsItsEventWhenDueAndOnClose) {
  halviksim::SetAiClock("DEMO0", halviksim::AiClock::Virtual);
  vm(kCmdAiEvent, kAiFormCSize, [](auto& r) { put(r, kAiFormCValue, ai::kFactorStart | ai::kFactorDataCount); });
  vm(kCmdAiEventSamplingTimes, kAiFormCSize, [](auto& r) { put(r, kAiFormCValue, 2); });
  vmRoad().configure(1, 10.0, 0, ai::kStopByCommand);

  std::vector<unsigned char> wait(kAiWaitSize);
  OVERLAPPED ov{};
  ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD done = 0;
  ASSERT_EQ(vmIo(10, vm_, kCmdAiEventWait, wait.data(), 4, wait.data(), 4, &done, &ov), DWORD{ERROR_IO_PENDING});
  EXPECT_FALSE(HasOverlappedIoCompleted(&ov));
  vm(kCmdAiStart, kAiFormLSizeVm);
  ASSERT_EQ(WaitForSingleObject(ov.hEvent, 5000), DWORD{WAIT_OBJECT_0});
  EXPECT_TRUE(HasOverlappedIoCompleted(&ov));
  halviksim::AdvanceTime("DEMO0", 40);

  auto fetched = vm(kCmdAiEventFetch, kAiFetchSizeVm);
  ASSERT_EQ(at<int32_t>(fetched, kAiFetchListLength), 3);
  EXPECT_EQ(at<int32_t>(fetched, kAiFetchList), ai::kFactorStart);
  EXPECT_EQ(at<int32_t>(fetched, kAiFetchList + 8), ai::kFactorDataCount);
  EXPECT_EQ(at<int32_t>(fetched, kAiFetchFactor), ai::kFactorStart | ai::kFactorDataCount);
  EXPECT_EQ(at<int32_t>(fetched, kAiFetchSamplingCount), 4);

  ResetEvent(ov.hEvent);
  ASSERT_EQ(vmIo(10, vm_, kCmdAiEventWait, wait.data(), 4, wait.data(), 4, &done, &ov), DWORD{ERROR_IO_PENDING});
  vmClose(10, vm_);
  vm_ = INVALID_HANDLE_VALUE;
  ASSERT_EQ(WaitForSingleObject(ov.hEvent, 5000), DWORD{WAIT_OBJECT_0});
  EXPECT_EQ(static_cast<LONG>(ov.Internal), PLAT_STATUS_CANCELLED);
  CloseHandle(ov.hEvent);
}

// In real time the run moves by itself, so a wait completes with no one
// moving the clock.
TEST_F(AnalogInputTest, InRealTimeAPendingWaitCompletesByItself) {
  bus(kCmdAiEvent, kAiFormCSize, [](auto& r) { put(r, kAiFormCValue, ai::kFactorEnd); });
  busRoad().configure(1, 100.0, 20, 0);

  std::vector<unsigned char> wait(kAiWaitSize);
  OVERLAPPED ov{};
  ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD done = 0;
  ASSERT_EQ(busIo(3, bus_, kCmdAiEventWait, wait.data(), 4, wait.data(), 4, &done, &ov), DWORD{ERROR_IO_PENDING});
  bus(kCmdAiStart, kAiFormLSizeBus);
  EXPECT_EQ(WaitForSingleObject(ov.hEvent, 10000), DWORD{WAIT_OBJECT_0});
  if (!HasOverlappedIoCompleted(&ov)) {  // the record must not outlive its wait
    busClose(3, bus_);
    bus_ = INVALID_HANDLE_VALUE;
  }
  auto fetched = bus(kCmdAiEventFetch, kAiFetchSizeBus);
  EXPECT_EQ(at<int32_t>(fetched, kAiFetchFactor), ai::kFactorEnd);
  EXPECT_EQ(at<int16_t>(fetched, kAiFetchEnd), 1);
  EXPECT_EQ(at<int32_t>(fetched, kAiFetchListLength), 0) << "the bus library's fetch has no list";
  CloseHandle(ov.hEvent);
}

TEST_F(AnalogInputTest, RecordsItCannotServeAreRefused) {
  std::vector<unsigned char> tooShort(kAiBlockSize - 4);
  EXPECT_FALSE(kernel(kernel_, kAiSamplingData, tooShort));
  std::vector<unsigned char> noArray(kAiBlockSize);
  put(noArray, ai::kChannels, 1);
  EXPECT_FALSE(kernel(kernel_, kAiSamplingData, noArray)) << "samples asked for with no array";
  std::vector<unsigned char> readout(12);
  EXPECT_EQ(command(vmIo, 10, vm_, kCmdAiSamplingData, readout), DWORD{ERROR_INVALID_PARAMETER});
  std::vector<unsigned char> chunk(kAiChunkSize);
  put(chunk, kAiChunkCount, kAiChunkCapacity + 1);
  EXPECT_EQ(command(busIo, 3, bus_, kCmdAiSamplingData, chunk), DWORD{ERROR_INVALID_PARAMETER});
  std::vector<unsigned char> wait(kAiWaitSize);
  EXPECT_EQ(command(vmIo, 10, vm_, kCmdAiEventWait, wait), DWORD{ERROR_INVALID_PARAMETER}) << "a wait without an OVERLAPPED";
}

// Immediate conversions give the signal at the run's current scan; more
// channels than the record or model holds are cut with 21441.
TEST_F(AnalogInputTest, ConversionsGiveTheSignalAtTheCurrentScan) {
  halviksim::SetAiClock("HVA1", halviksim::AiClock::Virtual);
  Road road = kernelRoad();
  road.configure(1, 10.0, 0, ai::kStopByCommand);
  road.start();
  halviksim::AdvanceTime("HVA1", 70);
  int32_t one = -1;
  auto single = block(kAiSingle, [&](auto& b) {
    put<int16_t>(b, ai::kChannel, 3);
    put<uint64_t>(b, ai::kDataAddress, reinterpret_cast<uintptr_t>(&one));
  });
  EXPECT_EQ(one, signal(7, 3, 16));
  EXPECT_EQ(at<int16_t>(single, ai::kResolution), 16);
  std::vector<int32_t> many(40, -1);
  auto multi = block(kAiMulti, [&](auto& b) {
    put<int16_t>(b, ai::kChannels, 40);
    put<uint64_t>(b, ai::kDataAddress, reinterpret_cast<uintptr_t>(many.data()));
  });
  EXPECT_EQ(at<int32_t>(multi, ai::kStatus), kStatusAiTooManyChannels) << "the model has 32";
  EXPECT_EQ(many[31], signal(7, 31, 16));
  EXPECT_EQ(many[32], -1);

  auto vmSingle = vm(kCmdAiSingle, kAiFormKSize, [](auto& r) { put<int16_t>(r, kAiFormKChannel, 2); });
  EXPECT_EQ(at<uint16_t>(vmSingle, kAiFormKRaw), signal(0, 2, 12));
  auto busMulti = bus(kCmdAiMulti, kAiMultiSizeBus, [](auto& r) { put<int16_t>(r, kAiMultiCount, 8); });
  EXPECT_EQ(at<int32_t>(busMulti, 0), 0);
  EXPECT_EQ(at<uint16_t>(busMulti, kAiMultiRaw + 2 * 7), signal(0, 7, 16));
  EXPECT_EQ(at<int16_t>(busMulti, kAiMultiResolutionBus), 16);
  auto outside = bus(kCmdAiSingle, kAiFormKSize, [](auto& r) { put<int16_t>(r, kAiFormKChannel, 8); });
  EXPECT_EQ(at<int32_t>(outside, 0), kStatusAiChannelOutOfRange);
}

}  // namespace
