// Configuration, runs and the data they deliver, on the manual clock.
#include "skorradev_fixture.h"

class SkorradevSamplingTest : public SkorradevTest {
 protected:
  void SetUp() override {
    SkorradevTest::SetUp();
    h1 = open(1);
    h2 = open(2);
    ASSERT_NE(h1, INVALID_HANDLE_VALUE);
    ASSERT_NE(h2, INVALID_HANDLE_VALUE);
    SkorradevSimSetManualClock(1, TRUE);
    SkorradevSimSetManualClock(2, TRUE);
  }

  static uint32_t read(HANDLE h, DWORD n, uint16_t* buffer, uint32_t count, DWORD function = SKDF_READ_DATA) {
    SkorradevDataRequest r{n, count, reinterpret_cast<uintptr_t>(buffer)};
    EXPECT_EQ(request(h, function, r), 0u);
    return r.count;  // reply dword 1: delivered
  }

  static DWORD cause(HANDLE h, DWORD n) {
    SkorradevPair p{n, 0};
    EXPECT_EQ(request(h, SKDF_INTERRUPT_CAUSE, p), 0u);
    return p.value;
  }

  HANDLE h1 = nullptr, h2 = nullptr;
};

TEST_F(SkorradevSamplingTest, ConfigurationsReadBackAsSet) {
  auto cfg = normalConfig(1, {5, 2, 9}, 4000, 1, 100);
  cfg.levelCode1 = 1234;
  cfg.memoryDivisor = 7;
  ASSERT_EQ(request(h1, SKDF_SET_CONFIG, cfg), 0u);
  SkorradevSamplingRequest back{};
  back.head = 1;
  ASSERT_EQ(request(h1, SKDF_GET_CONFIG, back), 0u);
  EXPECT_EQ(back.channelCount, 3u);
  EXPECT_EQ(back.channels[2].channel, 9u);
  EXPECT_EQ(back.sampleCount, 4000u);
  EXPECT_EQ(back.levelCode1, 1234u);
  EXPECT_EQ(back.memoryDivisor, 7u);
}

TEST_F(SkorradevSamplingTest, PowerOnBusMasterConfigurationIsAValidOne) {
  SkorradevBmSamplingRequest bm{};
  bm.head = 1;
  ASSERT_EQ(request(h1, SKDF_BM_GET_CONFIG, bm), 0u);
  EXPECT_EQ(bm.clockOutputSelection, 0x80000000u);  // record offset 2120
  EXPECT_GE(bm.channelCount, 1u);
  EXPECT_GE(bm.sampleCount, 1u);
  EXPECT_TRUE(bm.bufferMode == 1 || bm.bufferMode == 2);
  EXPECT_TRUE(bm.transferSelection == 1 || bm.transferSelection == 2);
  EXPECT_EQ(bm.repeatCount, 1u);
}

TEST_F(SkorradevSamplingTest, ChannelListsBeyondTheBoardAreRefused) {
  auto cfg = normalConfig(2, {1, 17}, 100, 1);  // 4597 has 16 single-ended channels
  EXPECT_EQ(request(h2, SKDF_SET_CONFIG, cfg), SKORRADEV_STATUS_BAD_CONFIG);
  cfg = normalConfig(2, {1}, 100, 1);
  cfg.inputType = 2;
  cfg.channels[0].channel = 9;  // 8 differential channels
  EXPECT_EQ(request(h2, SKDF_SET_CONFIG, cfg), SKORRADEV_STATUS_BAD_CONFIG);
  cfg = normalConfig(2, {1}, 100, 1);
  cfg.channelCount = 0;
  EXPECT_EQ(request(h2, SKDF_SET_CONFIG, cfg), SKORRADEV_STATUS_BAD_CONFIG);
  // Nothing was kept: a start still has no configuration.
  EXPECT_EQ(start(h2, 2), SKORRADEV_STATUS_NOT_READY);
}

TEST_F(SkorradevSamplingTest, StartsAreRefusedUnlessStoppedAndConfigured) {
  EXPECT_EQ(start(h1, 1), SKORRADEV_STATUS_NOT_READY);
  auto cfg = normalConfig(1, {1}, 100, 1);
  ASSERT_EQ(request(h1, SKDF_SET_CONFIG, cfg), 0u);
  EXPECT_EQ(start(h1, 1, 0), SKORRADEV_STATUS_BAD_ARGUMENT);
  EXPECT_EQ(start(h1, 1, 4), SKORRADEV_STATUS_BAD_ARGUMENT);
  EXPECT_EQ(start(h1, 1), 0u);
  EXPECT_EQ(status(h1, 1).state, SKORRADEV_STATE_RUNNING);
  EXPECT_EQ(start(h1, 1), SKORRADEV_STATUS_BUSY);
  cfg = normalConfig(1, {1}, 100, 1);
  EXPECT_EQ(request(h1, SKDF_SET_CONFIG, cfg), SKORRADEV_STATUS_BUSY);
  EXPECT_EQ(plain(h1, SKDF_STOP, 4, {1})[0], 0u);
  EXPECT_EQ(status(h1, 1).state, SKORRADEV_STATE_STOPPED);
}

TEST_F(SkorradevSamplingTest, DataFollowsTheSignalFormulaScanByScan) {
  auto cfg = normalConfig(1, {4, 1, 32}, 1000, 1);
  ASSERT_EQ(request(h1, SKDF_SET_CONFIG, cfg), 0u);
  ASSERT_EQ(start(h1, 1), 0u);
  ASSERT_TRUE(SkorradevSimAdvance(1, 10));
  EXPECT_EQ(status(h1, 1).scans, 10u);
  EXPECT_EQ(status(h1, 1).held, 10u);

  uint16_t data[64] = {};
  ASSERT_EQ(read(h1, 1, data, 4), 4u);
  for (uint32_t s = 0; s < 4; ++s) {
    EXPECT_EQ(data[3 * s + 0], SkorradevSimSample(1, 4, s, 16)) << s;
    EXPECT_EQ(data[3 * s + 1], SkorradevSimSample(1, 1, s, 16)) << s;
    EXPECT_EQ(data[3 * s + 2], SkorradevSimSample(1, 32, s, 16)) << s;
  }
  EXPECT_EQ(data[12], 0u);  // nothing beyond the count asked for
  // The next read goes on where the last one ended, and gets what is held.
  ASSERT_EQ(read(h1, 1, data, 20), 6u);
  EXPECT_EQ(data[0], SkorradevSimSample(1, 4, 4, 16));
  EXPECT_EQ(read(h1, 1, data, 20), 0u);
  EXPECT_EQ(SkorradevSimSample(1, 4, 4, 16), 4u + 256u * 4u);
}

TEST_F(SkorradevSamplingTest, DataRequestsCheckCountAndBuffer) {
  SkorradevDataRequest r{1, 0, 0x1000};
  EXPECT_EQ(request(h1, SKDF_READ_DATA, r), SKORRADEV_STATUS_BAD_ARGUMENT);
  r = {1, 5, 0};
  EXPECT_EQ(request(h1, SKDF_READ_DATA, r), SKORRADEV_STATUS_NULL_BUFFER);
  EXPECT_EQ(r.count, 0u);
}

TEST_F(SkorradevSamplingTest, TwelveBitBoardWrapsWithinItsResolution) {
  auto cfg = normalConfig(2, {16}, 10000, 1);
  ASSERT_EQ(request(h2, SKDF_SET_CONFIG, cfg), 0u);
  ASSERT_EQ(start(h2, 2), 0u);
  ASSERT_TRUE(SkorradevSimAdvance(2, 5000));
  std::vector<uint16_t> data(5000);
  ASSERT_EQ(read(h2, 2, data.data(), 5000), 5000u);
  for (uint32_t s : {0u, 1000u, 4999u}) {
    EXPECT_EQ(data[s], (s + 256u * 16 + 1024u) % 4096) << s;
  }
}

TEST_F(SkorradevSamplingTest, FiniteRunEndsAtItsSampleCountWithAnEndCause) {
  auto cfg = normalConfig(1, {1, 2}, 1000, 1, 250);
  ASSERT_EQ(request(h1, SKDF_SET_CONFIG, cfg), 0u);
  ASSERT_EQ(start(h1, 1), 0u);
  ASSERT_TRUE(SkorradevSimAdvance(1, 600));
  EXPECT_EQ(cause(h1, 1), SKORRADEV_CAUSE_EVENT_COUNT);
  EXPECT_EQ(cause(h1, 1), SKORRADEV_CAUSE_EVENT_COUNT);
  EXPECT_EQ(cause(h1, 1), SKORRADEV_CAUSE_NONE);
  EXPECT_EQ(plain(h1, SKDF_EVENT_COUNT, 8, {1})[1], 2u);

  ASSERT_TRUE(SkorradevSimAdvance(1, 5000));  // more than the run has left
  const auto s = status(h1, 1);
  EXPECT_EQ(s.state, SKORRADEV_STATE_STOPPED);
  EXPECT_EQ(s.scans, 1000u);
  EXPECT_EQ(cause(h1, 1), SKORRADEV_CAUSE_EVENT_COUNT);
  EXPECT_EQ(cause(h1, 1), SKORRADEV_CAUSE_EVENT_COUNT);
  EXPECT_EQ(cause(h1, 1), SKORRADEV_CAUSE_END);
  EXPECT_EQ(plain(h1, SKDF_EVENT_FLAGS, 8, {1})[1], 2u);
  EXPECT_FALSE(SkorradevSimAdvance(1, 1));
  // The data of a finished run stays readable until it is cleared.
  std::vector<uint16_t> data(2000);
  EXPECT_EQ(read(h1, 1, data.data(), 100), 100u);
  EXPECT_EQ(plain(h1, SKDF_CLEAR_DATA, 4, {1})[0], 0u);
  EXPECT_EQ(read(h1, 1, data.data(), 100), 0u);
}

TEST_F(SkorradevSamplingTest, TriggerModeNineRunsUntilStopped) {
  auto cfg = normalConfig(1, {1}, 1000, 9);
  ASSERT_EQ(request(h1, SKDF_SET_CONFIG, cfg), 0u);
  ASSERT_EQ(start(h1, 1), 0u);
  ASSERT_TRUE(SkorradevSimAdvance(1, 3000));
  EXPECT_EQ(status(h1, 1).state, SKORRADEV_STATE_RUNNING);
  EXPECT_EQ(status(h1, 1).scans, 3000u);
  EXPECT_EQ(plain(h1, SKDF_STOP, 4, {1})[0], 0u);
  EXPECT_EQ(cause(h1, 1), SKORRADEV_CAUSE_END);
}

TEST_F(SkorradevSamplingTest, UnreadScansBeyondTheHoldingRoomAreDropped) {
  auto cfg = normalConfig(1, {1}, 10, 9);
  ASSERT_EQ(request(h1, SKDF_SET_CONFIG, cfg), 0u);
  ASSERT_EQ(start(h1, 1), 0u);
  ASSERT_TRUE(SkorradevSimAdvance(1, 0x100000 + 5));
  EXPECT_EQ(status(h1, 1).held, 0x100000u);
  const auto bm = plain(h1, SKDF_BM_STATUS, 20, {1});
  EXPECT_EQ(bm[4], 5u);  // dropped
  uint16_t first = 0;
  ASSERT_EQ(read(h1, 1, &first, 1), 1u);
  EXPECT_EQ(first, SkorradevSimSample(1, 1, 5, 16));  // the oldest scan kept
}

TEST_F(SkorradevSamplingTest, TwoBoardsRunIndependently) {
  auto a = normalConfig(1, {1}, 100, 1);
  auto b = normalConfig(2, {1}, 100, 1);
  ASSERT_EQ(request(h1, SKDF_SET_CONFIG, a), 0u);
  ASSERT_EQ(request(h2, SKDF_SET_CONFIG, b), 0u);
  ASSERT_EQ(start(h1, 1), 0u);
  EXPECT_EQ(status(h2, 2).state, SKORRADEV_STATE_STOPPED);
  ASSERT_EQ(start(h2, 2), 0u);
  ASSERT_TRUE(SkorradevSimAdvance(1, 30));
  ASSERT_TRUE(SkorradevSimAdvance(2, 7));
  EXPECT_EQ(status(h1, 1).scans, 30u);
  EXPECT_EQ(status(h2, 2).scans, 7u);
  uint16_t x = 0, y = 0;
  ASSERT_EQ(read(h1, 1, &x, 1), 1u);
  ASSERT_EQ(read(h2, 2, &y, 1), 1u);
  EXPECT_EQ(x, SkorradevSimSample(1, 1, 0, 16));
  EXPECT_EQ(y, SkorradevSimSample(2, 1, 0, 12));
  EXPECT_NE(x, y);
}

class SkorradevBusMasterTest : public SkorradevSamplingTest {
 protected:
  SkorradevBmSamplingRequest bmConfig(std::vector<uint32_t> channels, uint32_t samples, uint32_t stop,
                                      uint32_t transferSelection) {
    SkorradevBmSamplingRequest bm{};
    bm.head = 1;
    EXPECT_EQ(request(h1, SKDF_BM_GET_CONFIG, bm), 0u);
    bm.head = 1;
    bm.channelCount = static_cast<uint32_t>(channels.size());
    for (size_t i = 0; i < channels.size(); ++i) bm.channels[i] = {channels[i], 0x80000};
    bm.sampleCount = samples;
    bm.stopCondition = stop;
    bm.transferSelection = transferSelection;
    return bm;
  }
};

TEST_F(SkorradevBusMasterTest, BusMasterReadsCarryTheExtraWordsOfEachScan) {
  auto bm = bmConfig({1, 2, 3}, 100, 1, 1);  // odd count: one extra word
  ASSERT_EQ(request(h1, SKDF_BM_SET_CONFIG, bm), 0u);
  ASSERT_EQ(start(h1, 1), 0u);
  ASSERT_TRUE(SkorradevSimAdvance(1, 4));
  uint16_t data[32] = {};
  ASSERT_EQ(read(h1, 1, data, 2, SKDF_BM_READ_DATA), 2u);
  EXPECT_EQ(data[0], SkorradevSimSample(1, 1, 0, 16));
  EXPECT_EQ(data[3], 0u);  // scan index 0
  EXPECT_EQ(data[4], SkorradevSimSample(1, 1, 1, 16));
  EXPECT_EQ(data[7], 1u);
  // The normal read delivers the channels only.
  ASSERT_EQ(read(h1, 1, data, 2), 2u);
  EXPECT_EQ(data[0], SkorradevSimSample(1, 1, 2, 16));
  EXPECT_EQ(data[3], SkorradevSimSample(1, 1, 3, 16));
}

TEST_F(SkorradevBusMasterTest, EvenChannelCountsGetTwoExtraWordsUnlessTransferSelectionIsOne) {
  auto bm = bmConfig({1, 2}, 100, 1, 2);
  ASSERT_EQ(request(h1, SKDF_BM_SET_CONFIG, bm), 0u);
  ASSERT_EQ(start(h1, 1), 0u);
  ASSERT_TRUE(SkorradevSimAdvance(1, 2));
  uint16_t data[16] = {};
  ASSERT_EQ(read(h1, 1, data, 2, SKDF_BM_READ_DATA), 2u);
  EXPECT_EQ(data[4], SkorradevSimSample(1, 1, 1, 16));  // 4 words per scan
  EXPECT_EQ(data[6], 1u);
}

TEST_F(SkorradevBusMasterTest, TransferFillsTheCallersBufferAndCompletesAtTheEnd) {
  auto bm = bmConfig({1, 2}, 6, 1, 1);
  ASSERT_EQ(request(h1, SKDF_BM_SET_CONFIG, bm), 0u);
  std::vector<uint16_t> buffer(2 * 4, 0xEEEE);  // room for 4 scans: the run wraps in it
  OVERLAPPED ov{};
  ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  SetLastError(0);
  ASSERT_FALSE(SkorradevDeviceIoControl(h1, code(SKDF_BM_START_TRANSFER), nullptr, 0, buffer.data(),
                                        static_cast<DWORD>(buffer.size() * 2), nullptr, &ov));
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  EXPECT_EQ(status(h1, 1).state, SKORRADEV_STATE_RUNNING);
  EXPECT_EQ(start(h1, 1), SKORRADEV_STATUS_BUSY);

  ASSERT_TRUE(SkorradevSimAdvance(1, 2));
  EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(buffer[2], SkorradevSimSample(1, 1, 1, 16));
  ASSERT_TRUE(SkorradevSimAdvance(1, 10));
  ASSERT_EQ(WaitForSingleObject(ov.hEvent, 5000), WAIT_OBJECT_0);
  DWORD bytes = 0;
  EXPECT_TRUE(GetOverlappedResult(h1, &ov, &bytes, FALSE));
  EXPECT_EQ(bytes, buffer.size() * 2);
  EXPECT_EQ(buffer[0], SkorradevSimSample(1, 1, 4, 16));  // scan 4 overwrote scan 0
  EXPECT_EQ(buffer[3], SkorradevSimSample(1, 2, 5, 16));
  CloseHandle(ov.hEvent);
}

TEST_F(SkorradevBusMasterTest, TransferNeedsABusMasterConfiguration) {
  auto cfg = normalConfig(1, {1}, 100, 1);
  ASSERT_EQ(request(h1, SKDF_SET_CONFIG, cfg), 0u);
  uint16_t buffer[8];
  SetLastError(0);
  EXPECT_FALSE(SkorradevDeviceIoControl(h1, code(SKDF_BM_START_TRANSFER), nullptr, 0, buffer, sizeof buffer,
                                        nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(status(h1, 1).state, SKORRADEV_STATE_STOPPED);
}
