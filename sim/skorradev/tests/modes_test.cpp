// The other ways to start a run: memory mode, FIFO, trigger-started,
// memory-trigger, synchronised and the bus-master synchronised read.
#include "skorradev_fixture.h"

class SkorradevModesTest : public SkorradevTest {
 protected:
  void SetUp() override {
    SkorradevTest::SetUp();
    h1 = open(1);  // 4591: clock type 2
    h2 = open(2);  // 4597: clock type 1
    ASSERT_NE(h1, INVALID_HANDLE_VALUE);
    ASSERT_NE(h2, INVALID_HANDLE_VALUE);
    SkorradevSimSetManualClock(1, TRUE);
    SkorradevSimSetManualClock(2, TRUE);
    auto cfg = normalConfig(1, {2, 3}, 50, 1);
    ASSERT_EQ(request(h1, SKDF_SET_CONFIG, cfg), 0u);
  }
  HANDLE h1 = nullptr, h2 = nullptr;
};

TEST_F(SkorradevModesTest, MemoryModeRunsForItsPreAndPostTriggerCounts) {
  SkorradevMemSamplingRequest mem{};
  mem.head = 1;
  ASSERT_EQ(request(h1, SKDF_MEM_GET_CONFIG, mem), 0u);
  mem.head = 1;
  mem.channelCount = 1;
  mem.channels[0] = {4, 0x80000};
  mem.preTrigger = 10;
  mem.postTrigger = 20;
  const SkorradevMemSamplingRequest chosen = mem;
  ASSERT_EQ(request(h1, SKDF_MEM_SET_CONFIG, mem), 0u);
  ASSERT_EQ(start(h1, 1), 0u);
  ASSERT_TRUE(SkorradevSimAdvance(1, 100));
  EXPECT_EQ(status(h1, 1).state, SKORRADEV_STATE_STOPPED);
  EXPECT_EQ(status(h1, 1).scans, 30u);

  mem = chosen;
  mem.preTrigger = 0x400000;
  mem.postTrigger = 1;  // together above the board memory
  EXPECT_EQ(request(h1, SKDF_MEM_SET_CONFIG, mem), SKORRADEV_STATUS_BAD_CONFIG);
}

TEST_F(SkorradevModesTest, FifoRunDeliversScansWithTheirIndices) {
  EXPECT_EQ(plain(h1, SKDF_FIFO_START, 8, {1})[0], 0u);
  ASSERT_TRUE(SkorradevSimAdvance(1, 5));
  EXPECT_EQ(plain(h1, SKDF_FIFO_STATUS, 8, {1})[1], 5u);
  uint16_t data[8] = {};
  uint32_t indices[4] = {};
  SkorradevFifoDataRequest r{1, 3, reinterpret_cast<uintptr_t>(data), reinterpret_cast<uintptr_t>(indices)};
  ASSERT_EQ(request(h1, SKDF_FIFO_READ_DATA, r), 0u);
  EXPECT_EQ(r.count, 3u);
  EXPECT_EQ(data[5], SkorradevSimSample(1, 3, 2, 16));
  EXPECT_EQ(indices[2], 2u);
  EXPECT_EQ(plain(h1, SKDF_FIFO_RESET, 8, {1})[0], 0u);
  EXPECT_EQ(plain(h1, SKDF_FIFO_STATUS, 8, {1})[1], 0u);
  EXPECT_EQ(plain(h1, SKDF_FIFO_STOP, 8, {1})[0], 0u);
  EXPECT_EQ(status(h1, 1).state, SKORRADEV_STATE_STOPPED);

  SkorradevFifoDataRequest bad{1, 3, reinterpret_cast<uintptr_t>(data), 0};
  EXPECT_EQ(request(h1, SKDF_FIFO_READ_DATA, bad), SKORRADEV_STATUS_NULL_BUFFER);
}

TEST_F(SkorradevModesTest, TriggerStartsCheckWhatTheirRecordsCarry) {
  SkorradevTriggerRequest t{2, {1, 2, 3, 4, 5, 6}, 0xFFFFFFFFu};
  EXPECT_EQ(request(h2, SKDF_TRIGGER_SAMPLING, t), SKORRADEV_STATUS_NOT_AVAILABLE);  // clock type 1
  t = {1, {1, 2, 3, 4, 5, 6}, 0xFFFFFFFFu};
  EXPECT_EQ(request(h1, SKDF_TRIGGER_SAMPLING, t), 0u);
  EXPECT_EQ(plain(h1, SKDF_STOP, 4, {1})[0], 0u);

  SkorradevMemTriggerRequest m{};
  m.head = 1;
  m.count = 257;
  EXPECT_EQ(request(h1, SKDF_MEM_TRIGGER_SAMPLING, m), SKORRADEV_STATUS_BAD_ARGUMENT);
  m = {};
  m.head = 1;
  m.count = 1;
  m.list[0] = {7, 0x80000};
  m.clockCode = (1000u << 16) | 8u;
  m.event = 0xFFFFFFFFu;
  EXPECT_EQ(request(h1, SKDF_MEM_TRIGGER_SAMPLING, m), 0u);
  ASSERT_TRUE(SkorradevSimAdvance(1, 1));
  uint16_t value = 0;
  SkorradevDataRequest r{1, 1, reinterpret_cast<uintptr_t>(&value)};
  ASSERT_EQ(request(h1, SKDF_READ_DATA, r), 0u);
  EXPECT_EQ(value, SkorradevSimSample(1, 7, 0, 16));  // the request's own list
  EXPECT_EQ(plain(h1, SKDF_STOP, 4, {1})[0], 0u);

  for (DWORD flags : {0u, 3u, 0x103u}) {
    SkorradevStartRequest s{1, flags, 0xFFFFFFFFu};
    EXPECT_EQ(request(h1, SKDF_SYNC_SAMPLING, s), SKORRADEV_STATUS_BAD_CONFIG) << flags;
  }
  SkorradevStartRequest s{1, 0x101, 0xFFFFFFFFu};
  EXPECT_EQ(request(h1, SKDF_SYNC_SAMPLING, s), 0u);
  EXPECT_EQ(plain(h1, SKDF_BUSY_STATUS, 8, {1})[1], 1u);
}

TEST_F(SkorradevModesTest, BusMasterSynchronisedReadCompletesWhenTheRunEnds) {
  SkorradevBmSamplingRequest bm{};
  bm.head = 1;
  ASSERT_EQ(request(h1, SKDF_BM_GET_CONFIG, bm), 0u);
  bm.head = 1;
  bm.sampleCount = 4;
  bm.repeatCount = 2;  // 8 scans of 1 channel + 1 extra word
  ASSERT_EQ(request(h1, SKDF_BM_SET_CONFIG, bm), 0u);
  std::vector<uint16_t> buffer(16, 0xEEEE);
  SkorradevStartRequest in{1, 3, 0xFFFFFFFFu};
  OVERLAPPED ov{};
  ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(SkorradevDeviceIoControl(h1, code(SKDF_BM_SYNC_READ), &in, sizeof in, buffer.data(), 32, nullptr,
                                        &ov));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));  // count 1..2
  in.value = 1;
  ASSERT_FALSE(SkorradevDeviceIoControl(h1, code(SKDF_BM_SYNC_READ), &in, sizeof in, buffer.data(), 32, nullptr,
                                        &ov));
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  ASSERT_TRUE(SkorradevSimAdvance(1, 8));
  ASSERT_EQ(WaitForSingleObject(ov.hEvent, 5000), WAIT_OBJECT_0);
  DWORD bytes = 0;
  EXPECT_TRUE(GetOverlappedResult(h1, &ov, &bytes, FALSE));
  EXPECT_EQ(bytes, 32u);
  EXPECT_EQ(buffer[14], SkorradevSimSample(1, 1, 7, 16));
  EXPECT_EQ(buffer[15], 7u);
  CloseHandle(ov.hEvent);
}

TEST_F(SkorradevModesTest, SamplingBufferReadReportsItsCountInDwordTwo) {
  ASSERT_EQ(start(h1, 1), 0u);
  ASSERT_TRUE(SkorradevSimAdvance(1, 4));
  uint16_t data[8] = {};
  SkorradevBufferReadRequest r{1, -2, 4, reinterpret_cast<uintptr_t>(data)};
  EXPECT_EQ(request(h1, SKDF_READ_BUFFER, r), SKORRADEV_STATUS_BAD_ARGUMENT);
  r = {1, -1, 4, reinterpret_cast<uintptr_t>(data)};
  ASSERT_EQ(request(h1, SKDF_READ_BUFFER, r), 0u);
  EXPECT_EQ(r.count, 4u);  // reply dword 2
  EXPECT_EQ(data[7], SkorradevSimSample(1, 3, 3, 16));
}

TEST_F(SkorradevModesTest, AFloodOfEventCountInterruptsIsCountedNotQueued) {
  auto cfg = normalConfig(1, {1}, 10, 9, 1);
  ASSERT_EQ(request(h1, SKDF_SET_CONFIG, cfg), 0u);
  ASSERT_EQ(start(h1, 1), 0u);
  ASSERT_TRUE(SkorradevSimAdvance(1, 5000000));
  int queued = 0;
  while (plain(h1, SKDF_INTERRUPT_CAUSE, 8, {1})[1] == SKORRADEV_CAUSE_EVENT_COUNT) ++queued;
  EXPECT_EQ(queued, 1024);
  EXPECT_EQ(plain(h1, SKDF_EVENT_COUNT, 8, {1})[1], 5000000u);
}
