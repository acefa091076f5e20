// Background input: one scan per pacer tick or per poll of the timer into
// the driver's buffer, the wait that ends with the last scan, and the status
// and data requests that hand the scans to the caller.
#include <sys/mman.h>
#include <unistd.h>

#include <vector>

#include "driver_fixture.h"
#include "support/hooked_board.h"

namespace {

using morvel00test::HookedBoard;

class BackgroundInputTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    ASSERT_EQ(startOneBoard(), STATUS_SUCCESS);
    h_ = open();
    ASSERT_EQ(openGroup(h_, 1), XAN_OK);
    for (unsigned c = 0; c < 16; ++c) boards_.at(0)->SetWaveform(c, constant(c));
  }
  static morvelboard::Waveform constant(unsigned c) {
    return {morvelboard::Waveform::Shape::Constant, 0.05 * (c + 1), 0, 1};
  }
  int16_t setUp(uint32_t scans, uint16_t timeBase, uint16_t clockCount) {
    data_.assign(size_t{2} * scans, 0xAAAA);
    XanRequest r{};
    r.back.handle = value(h_);
    r.back.mode = 0;
    r.back.dataAddress = reinterpret_cast<uintptr_t>(data_.data());
    r.back.channelListAddress = reinterpret_cast<uintptr_t>(channels_);
    r.back.count = 2;
    r.back.scansOrRepeat = scans;
    r.back.timeBase = timeBase;
    r.back.clockCount = clockCount;
    EXPECT_TRUE(send(h_, XAN_INP_BACK, r));
    return r.back.result;
  }
  // Pends the wait and runs the machine in steps; true when the wait ended.
  bool waitThrough(uint64_t stepNs, uint64_t runNs) {
    XanRequest wait{};
    wait.wait.handle = value(h_);
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DeviceIoControl(h_, XanCode(XAN_WAIT_BACK), &wait, 32, &wait, 32, nullptr, &overlapped);
    for (uint64_t t = 0; t < runNs; t += stepNs) plat::bus::Advance(stepNs);
    const bool ended = WaitForSingleObject(overlapped.hEvent, 0) == WAIT_OBJECT_0;
    CloseHandle(overlapped.hEvent);
    return ended;
  }
  // Pends the wait of `offset` into `record`, which outlives the test body
  // (a failed test leaves the wait to the close); its event is set when it
  // completes.
  void pend(uint32_t offset, XanRequest& record, OVERLAPPED& overlapped) {
    record = XanRequest{};
    record.head.handle = value(h_);
    overlapped = OVERLAPPED{};
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const DWORD size = XanRecordSize(offset);
    DeviceIoControl(h_, XanCode(offset), &record, size, &record, size, nullptr, &overlapped);
  }
  XanRequest status(uint32_t offset) {
    XanRequest r{};
    r.head.handle = value(h_);
    EXPECT_TRUE(send(h_, offset, r));
    return r;
  }

  uint16_t channels_[2] = {5, 2};
  std::vector<uint16_t> data_;
  XanRequest waits_[2] = {};
  HANDLE h_ = nullptr;
};

TEST_F(BackgroundInputTest, ScansByPacerOrPollingTimerEndTheWaitAndReachTheCaller) {
  const struct {
    uint16_t timeBase, clockCount;
    uint64_t stepNs, runNs;
  } cases[] = {
      {1, 200, 50'000, 3'000'000},     // a tick every 200 us
      {0, 1, 1'000'000, 60'000'000},  // a poll every 10 ms
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.timeBase);
    ASSERT_EQ(setUp(4, c.timeBase, c.clockCount), XAN_OK);
    EXPECT_TRUE(waitThrough(c.stepNs, c.runNs));

    EXPECT_EQ(status(XAN_BACK_DATA).backData.more, 0);
    EXPECT_EQ(status(XAN_BACK_STATUS).notifyStatus.state, XAN_STATE_FINISHED);
    const XanRequest sts = status(XAN_STS);
    EXPECT_EQ(sts.sts.count, 4u);
    for (size_t i = 0; i < data_.size(); ++i) {
      EXPECT_EQ(data_[i], morvelboard::SignalValue(constant(channels_[i % 2]), 12, 0)) << i;
    }
  }
}

// A data request in the middle of the run and one after its end: the
// second hands over the scans from where the first stopped, in their places.
TEST_F(BackgroundInputTest, DataRequestsDuringTheRunPutEveryScanInItsPlace) {
  ASSERT_EQ(setUp(8, 1, 200), XAN_OK);  // a tick every 200 us
  XanRequest wait{};
  wait.wait.handle = value(h_);
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DeviceIoControl(h_, XanCode(XAN_WAIT_BACK), &wait, 32, &wait, 32, nullptr, &overlapped);
  for (int step = 0; step < 20; ++step) plat::bus::Advance(50'000);
  status(XAN_BACK_DATA);
  const uint32_t handedOut = status(XAN_STS).sts.count;
  EXPECT_GT(handedOut, 0u);
  EXPECT_LT(handedOut, 8u);
  for (int step = 0; step < 60; ++step) plat::bus::Advance(50'000);
  EXPECT_EQ(WaitForSingleObject(overlapped.hEvent, 0), WAIT_OBJECT_0);
  CloseHandle(overlapped.hEvent);
  EXPECT_EQ(status(XAN_BACK_DATA).backData.more, 0);
  for (size_t i = 0; i < data_.size(); ++i) {
    EXPECT_EQ(data_[i], morvelboard::SignalValue(constant(channels_[i % 2]), 12, 0)) << i;
  }
}

TEST_F(BackgroundInputTest, OneListedChannelIsConvertedAloneAtEveryTick) {
  channels_[0] = 7;
  XanRequest r{};
  r.back.handle = value(h_);
  data_.assign(4, 0);
  r.back.dataAddress = reinterpret_cast<uintptr_t>(data_.data());
  r.back.channelListAddress = reinterpret_cast<uintptr_t>(channels_);
  r.back.count = 1;
  r.back.scansOrRepeat = 4;
  r.back.timeBase = 1;
  r.back.clockCount = 200;
  ASSERT_TRUE(send(h_, XAN_INP_BACK, r));
  ASSERT_EQ(r.back.result, XAN_OK);
  boards_.at(0)->SetTrace(true);
  ASSERT_TRUE(waitThrough(50'000, 3'000'000));
  std::vector<uint32_t> starts;
  for (const auto& a : boards_.at(0)->TakeTrace()) {
    if (a.write && a.offset == morvelboard::kPortStatus) starts.push_back(a.value);
  }
  EXPECT_EQ(starts, std::vector<uint32_t>(4, 7u));
  status(XAN_BACK_STATUS);
  for (uint16_t v : data_) EXPECT_EQ(v, morvelboard::SignalValue(constant(7), 12, 0));
}

TEST_F(BackgroundInputTest, TheDataRequestAfterABoardMemoryInputCopiesNothing) {
  ASSERT_EQ(setUp(4, 1, 200), XAN_OK);
  ASSERT_TRUE(waitThrough(50'000, 3'000'000));
  std::fill(data_.begin(), data_.end(), 0x5555);
  XanRequest bdMem{};
  bdMem.bdMem.handle = value(h_);
  bdMem.bdMem.mode = 4;
  bdMem.bdMem.channelListAddress = reinterpret_cast<uintptr_t>(channels_);
  bdMem.bdMem.channelCount = 2;
  bdMem.bdMem.samplesPerChannel = 4;
  bdMem.bdMem.scanClock = 399;
  bdMem.bdMem.samplingClock = 3999;
  ASSERT_TRUE(send(h_, XAN_INP_BD_MEM, bdMem));
  ASSERT_EQ(bdMem.bdMem.result, XAN_OK);
  for (int step = 0; step < 20; ++step) plat::bus::Advance(100'000);
  status(XAN_BACK_DATA);
  status(XAN_BACK_STATUS);
  for (uint16_t v : data_) EXPECT_EQ(v, 0x5555);
}

// A single input after a run keeps to its own channels: the status request
// that follows copies the run's channels into the run's buffer only.
TEST_F(BackgroundInputTest, ASingleInputAfterARunLeavesTheRunsChannelsAndBuffer) {
  ASSERT_EQ(setUp(4, 1, 200), XAN_OK);
  ASSERT_TRUE(waitThrough(50'000, 3'000'000));
  std::fill(data_.begin(), data_.end(), 0x5555);
  uint16_t list[4] = {0, 1, 2, 3};
  std::vector<uint16_t> values(4 + 32, 0x7777);  // what follows the four values is not the caller's to lose
  XanRequest single{};
  single.singleIo.handle = value(h_);
  single.singleIo.count = 4;
  single.singleIo.channelListAddress = reinterpret_cast<uintptr_t>(list);
  single.singleIo.valuesAddress = reinterpret_cast<uintptr_t>(values.data());
  ASSERT_TRUE(send(h_, XAN_INP, single));
  ASSERT_EQ(single.singleIo.result, XAN_OK);
  status(XAN_BACK_STATUS);
  for (size_t i = 4; i < values.size(); ++i) EXPECT_EQ(values[i], 0x7777) << i;
  for (size_t i = 0; i < data_.size(); ++i) {
    EXPECT_EQ(data_[i], morvelboard::SignalValue(constant(channels_[i % 2]), 12, 0)) << i;
  }
}

// A counter gate's wait during the run leaves the run its interrupt step;
// one between the run's end and its status takes the step. Either way
// every scan reaches the caller.
TEST_F(BackgroundInputTest, ACounterWaitDuringOrAfterTheRunLeavesEveryScanToTheCaller) {
  for (const bool during : {true, false}) {
    SCOPED_TRACE(during ? "during the run" : "after its end");
    ASSERT_EQ(setUp(4, 1, 200), XAN_OK);  // a tick every 200 us
    OVERLAPPED back{}, counter{};
    pend(XAN_WAIT_BACK, waits_[0], back);
    plat::bus::Advance(300'000);
    if (during) pend(XAN_WAIT_CNT, waits_[1], counter);
    for (int step = 0; step < 60; ++step) plat::bus::Advance(50'000);
    EXPECT_EQ(WaitForSingleObject(back.hEvent, 0), WAIT_OBJECT_0);
    if (!during) pend(XAN_WAIT_CNT, waits_[1], counter);
    EXPECT_EQ(status(XAN_BACK_STATUS).notifyStatus.state, XAN_STATE_FINISHED);
    for (size_t i = 0; i < data_.size(); ++i) {
      EXPECT_EQ(data_[i], morvelboard::SignalValue(constant(channels_[i % 2]), 12, 0)) << i;
    }
    status(XAN_CLOSE_CNT_GATE);  // completes the counter wait
    EXPECT_EQ(WaitForSingleObject(counter.hEvent, 10'000), WAIT_OBJECT_0);
    CloseHandle(back.hEvent);
    CloseHandle(counter.hEvent);
  }
}

// Each bound of the set-up's checks, on both sides; what passes is stopped
// before the next row.
TEST_F(BackgroundInputTest, TheSetUpChecksHoldAtTheirBounds) {
  const size_t bytes = size_t{64} << 20;  // room for 0x1000000 scans of one channel
  void* data = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(data, MAP_FAILED);
  uint16_t list[17] = {};
  const struct {
    int16_t count;
    uint32_t scans;
    uint16_t timeBase, message;
    int16_t result;
  } rows[] = {
      {16, 1, 1, 0, XAN_OK},          {17, 1, 1, 0, XAN_E_CHANNEL_COUNT},
      {1, 0, 1, 0, XAN_E_SAMPLES},     {1, 0xFFFFFF, 1, 0, XAN_OK},
      {1, 0x1000000, 1, 0, XAN_E_SAMPLES},
      {1, 1, 1, 1024, XAN_OK},         {1, 1, 1, 1023, XAN_E_MESSAGE},
      {1, 1, 1, 32767, XAN_OK},        {1, 1, 1, 32768, XAN_E_MESSAGE},
      {1, 1, 3, 0, XAN_OK},            {1, 1, 4, 0, XAN_E_TIME_BASE},
  };
  for (const auto& row : rows) {
    XanRequest r{};
    r.back.handle = value(h_);
    r.back.dataAddress = reinterpret_cast<uintptr_t>(data);
    r.back.channelListAddress = reinterpret_cast<uintptr_t>(list);
    r.back.count = row.count;
    r.back.scansOrRepeat = row.scans;
    r.back.timeBase = row.timeBase;
    r.back.clockCount = 200;
    r.back.messageA = row.message;
    ASSERT_TRUE(send(h_, XAN_INP_BACK, r));
    EXPECT_EQ(r.back.result, row.result) << row.count << " " << row.scans << " " << row.timeBase << " " << row.message;
    status(XAN_STOP);
  }
  munmap(data, bytes);
}

// The status and data requests copy into the buffer named at the set-up;
// one the caller has given up since is refused, not written.
TEST_F(BackgroundInputTest, ABufferGivenUpAfterTheSetUpIsRefusedAtEveryCopy) {
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  void* pages = mmap(nullptr, page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(pages, MAP_FAILED);
  XanRequest r{};
  r.back.handle = value(h_);
  r.back.dataAddress = reinterpret_cast<uintptr_t>(pages);
  r.back.channelListAddress = reinterpret_cast<uintptr_t>(channels_);
  r.back.count = 2;
  r.back.scansOrRepeat = 4;
  r.back.timeBase = 1;
  r.back.clockCount = 200;
  ASSERT_TRUE(send(h_, XAN_INP_BACK, r));
  ASSERT_EQ(r.back.result, XAN_OK);
  ASSERT_TRUE(waitThrough(50'000, 3'000'000));
  // Unmapped for every access; kept reserved so that nothing else lands there.
  ASSERT_NE(mmap(pages, page, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0), MAP_FAILED);
  for (uint32_t offset : {XAN_BACK_STATUS, XAN_BACK_DATA}) {
    XanRequest q{};
    q.head.handle = value(h_);
    EXPECT_FALSE(send(h_, offset, q)) << offset;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_USER_BUFFER) << offset;
  }
  munmap(pages, page);
}

// The caller gives its buffer up while the driver works for it: inside a
// single input, between the frame's probe and the copy, or between two scans
// of a run. The process lives on and the copy's request answers the
// buffer's status; a run whose buffer is gone ends in error.
TEST_F(BackgroundInputTest, ABufferGivenUpWhileTheDriverWorksIsRefusedWithoutAFault) {
  const morvel00test::BoardEntry entry = morvel00test::DefaultBoard();
  auto hooked = std::make_shared<HookedBoard>(boards_.at(0));
  plat::bus::Unplug(entry.slot);
  ASSERT_TRUE(plat::bus::Plug(entry.slot, entry.spec.interruptLine, hooked));
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  void* buffer = mmap(nullptr, page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(buffer, MAP_FAILED);
  const auto address = reinterpret_cast<uintptr_t>(buffer);
  for (const uint32_t copier : {XAN_INP, XAN_BACK_DATA, XAN_BACK_STATUS}) {
    SCOPED_TRACE(copier);
    ASSERT_EQ(mprotect(buffer, page, PROT_READ | PROT_WRITE), 0);
    const bool run = copier != XAN_INP;
    OVERLAPPED wait{};
    XanRequest waitRecord{};
    if (run) {
      XanRequest r{};
      r.back.handle = value(h_);
      r.back.dataAddress = address;
      r.back.channelListAddress = reinterpret_cast<uintptr_t>(channels_);
      r.back.count = 2;
      r.back.scansOrRepeat = 1000;
      r.back.timeBase = 1;
      r.back.clockCount = 200;
      ASSERT_TRUE(send(h_, XAN_INP_BACK, r));
      ASSERT_EQ(r.back.result, XAN_OK);
      wait.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
      waitRecord.wait.handle = value(h_);
      DeviceIoControl(h_, XanCode(XAN_WAIT_BACK), &waitRecord, 32, &waitRecord, 32, nullptr, &wait);
    }
    hooked->atNextRead([&] { mprotect(buffer, page, PROT_NONE); });
    if (run) {
      for (int step = 0; step < 10; ++step) plat::bus::Advance(50'000);
    }
    XanRequest q{};
    q.head.handle = value(h_);
    if (!run) {
      q.singleIo.valuesAddress = address;
      q.singleIo.channelListAddress = reinterpret_cast<uintptr_t>(channels_);
      q.singleIo.count = 2;
    }
    EXPECT_FALSE(send(h_, copier, q));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_USER_BUFFER);
    if (run) {
      plat::bus::Advance(50'000);
      EXPECT_EQ(WaitForSingleObject(wait.hEvent, 0), WAIT_OBJECT_0);
      CloseHandle(wait.hEvent);
      EXPECT_EQ(status(XAN_STS).sts.state, XAN_STATE_ERROR);
    }
  }
  munmap(buffer, page);
}

}  // namespace
