#include <vector>

#include "board_fixture.h"

namespace morvelboard {
namespace {

constexpr uint16_t kStep1us = 39;      // scan clock register: 1 us between channels
constexpr uint32_t kPeriod10us = 399;  // sampling clock register: 10 us between scans

class MorvelAcquisitionTest : public MorvelBoardTest {
 protected:
  void program(uint16_t fw, const std::vector<uint8_t>& list, uint16_t scanClock, uint32_t samplingClock,
               uint32_t samples) {
    command(kCmdMemoryReset);
    command(kCmdFunction, fw, 2);
    out8(kPortCommand, kCmdChannelList);
    for (size_t i = 0; i < list.size(); ++i) {
      out8(kPortCommandData, static_cast<uint8_t>(i));
      out8(kPortCommandData, list[i]);
    }
    command(kCmdScanClock, scanClock, 2);
    command(kCmdSamplingClock, samplingClock, 4);
    command(kCmdSampleCount, samples - 1, 3);
  }
  // The start write; returns the board time of the first conversion.
  uint64_t start(uint8_t value) {
    out8(kPortStatus, value);
    return board->BoardTime();
  }
  void ramp(unsigned channel, uint64_t periodNs = 1'000'000) {
    board->SetWaveform(channel, {Waveform::Shape::Ramp, 0.5, 0.5, periodNs});
  }
  uint32_t writeAddress() { return answer(kCmdWriteAddress, 3); }
};

TEST_F(MorvelAcquisitionTest, ASoftwareStartConvertsTheListOnceIntoMemory) {
  struct Row {
    uint16_t fw;
    std::vector<uint8_t> list;
    uint8_t value;
    std::vector<uint8_t> converted;
  };
  const Row rows[] = {{0x1080, {1, 3}, 1, {1, 3}}, {0x1000, {}, 5, {5}}};
  for (const Row& row : rows) {
    use(spec());
    program(row.fw, row.list, 399, 799, 1);
    const uint64_t t0 = start(row.value);
    int polls = 0;
    while (in8(kPortStatus) & kStatusBusy) ++polls;
    const uint64_t took = board->BoardTime() - t0;
    EXPECT_GE(took, row.converted.size() * 10'000);
    EXPECT_LT(took, row.converted.size() * 10'000 + 2'000);
    EXPECT_EQ(in8(kPortStatus), kStatusData);
    for (size_t k = 0; k < row.converted.size(); ++k) {
      EXPECT_EQ(in16(kPortData), board->SignalAt(row.converted[k], t0 + k * 10'000));
    }
    EXPECT_EQ(in8(kPortStatus), 0);
    EXPECT_EQ(board->Snapshot().factors, kFactorEnd);
  }
}

TEST_F(MorvelAcquisitionTest, TheKnownSignalWrapsWriteAndReadAddressesAtTheMemoryEnd) {
  ramp(0, 77'000);
  ramp(2, 131'000);
  program(0x1000 | kFnScan | kFnBackToBack, {0, 2}, kStep1us, 0, 20);
  const uint32_t m = board->MemorySize();
  command(kCmdWriteAddress, m - 10, 3);
  command(kCmdReadAddress, m - 10, 3);
  const uint64_t t0 = start(1);
  wait(1'000'000);
  EXPECT_EQ(writeAddress(), 30u);
  EXPECT_EQ(in8(kPortStatus) & kStatusBusy, 0);
  for (uint64_t k = 0; k < 40; ++k) {
    ASSERT_EQ(in16(kPortData), board->SignalAt(k % 2 == 0 ? 0 : 2, t0 + k * 1000)) << k;
  }
  EXPECT_EQ(answer(kCmdReadAddress, 3), 30u);
  EXPECT_EQ(in8(kPortStatus) & kStatusData, 0);
}

TEST_F(MorvelAcquisitionTest, MillionsOfSamplesComeInOneAdvance) {
  program(0x1000 | kFnContinuous | kFnRing | kFnBackToBack, {}, kStep1us, 0, 500);
  const uint64_t t0 = start(0);
  wait(5'000'000'000);
  const uint32_t w = 5'000'000 % board->MemorySize();
  EXPECT_EQ(board->Snapshot().writeAddress, w);
  // The memory holds the last M samples, each where the ring put it.
  const uint64_t m = board->MemorySize();
  for (uint64_t i = 5'000'000 - m; i < 5'000'000; i += 997) {
    ASSERT_EQ(board->MemoryAt(static_cast<uint32_t>(i % m)), board->SignalAt(0, t0 + i * 1000)) << i;
  }
  EXPECT_EQ(in8(kPortStatus) & kStatusBusy, kStatusBusy);
}

TEST_F(MorvelAcquisitionTest, ALevelConditionStartsThePassAndMarksTheTriggerAddress) {
  struct Row {
    uint8_t direction;
    uint16_t level1, level2;
  };
  for (const Row& row : {Row{0, 1000, 2000}, Row{1, 3000, 1000}}) {
    use(spec());
    ramp(0);
    program(0x1000 | kFnEdge, {}, kStep1us, kPeriod10us, 5);
    command(kCmdStartTrigChannel, {static_cast<uint8_t>(row.direction * 8), 0});
    command(kCmdStartTrigLevels, uint32_t{row.level2} << 16 | row.level1, 4);
    const uint64_t t0 = start(0);
    wait(3'000'000);
    // The first scan past level 2 after one on the far side of level 1.
    uint64_t ts = t0;
    for (bool armed = false;; ts += 10'000) {
      const uint16_t v = board->SignalAt(0, ts);
      if (armed && (row.direction ? v <= row.level2 : v >= row.level2)) break;
      if (row.direction ? v > row.level1 : v < row.level1) armed = true;
    }
    EXPECT_EQ(in8(kPortStatus) & kStatusBusy, 0);
    EXPECT_EQ(writeAddress(), 5u);
    EXPECT_EQ(answer(kCmdTriggerAddress, 3), 0u);
    for (uint32_t k = 0; k < 5; ++k) EXPECT_EQ(board->MemoryAt(k), board->SignalAt(0, ts + k * 10'000)) << k;
    EXPECT_EQ(board->Snapshot().factors, kFactorTrigger | kFactorEnd);
  }
}

TEST_F(MorvelAcquisitionTest, AStopLevelEndsTheRecordingAfterTheDelayCount) {
  ramp(0);
  program(0x1000 | kFnStopEdge | kFnRing, {}, kStep1us, kPeriod10us, 1);
  command(kCmdStopTrigChannel, {0, 0});
  command(kCmdStopTrigLevels, 2000u << 16 | 1000, 4);
  command(kCmdDelayCount, 3, 3);
  start(0);
  wait(3'000'000);
  const uint32_t t = answer(kCmdTriggerAddress, 3);
  EXPECT_EQ(writeAddress() - t, 3u);
  EXPECT_GT(t, 10u);  // scans before the trigger were kept
  EXPECT_GE(board->MemoryAt(t), 2000);
  EXPECT_LT(board->MemoryAt(t - 1), 2000);
}

TEST_F(MorvelAcquisitionTest, ExternalTriggersStartEachPassAndRaiseTheirInputsFactor) {
  struct Row {
    unsigned input;
    uint16_t factor;
  };
  for (const Row& row : {Row{1, kFactorTrigger}, Row{2, kFactorTrigger2}, Row{3, kFactorTrigger3}, Row{4, 0}}) {
    use(spec());
    program(0x1000 | kFnExternalStart, {}, kStep1us, kPeriod10us, 3);
    command(kCmdRepeatCount, 1, 3);  // two passes
    start(0);
    wait(1'000'000);
    EXPECT_EQ(writeAddress(), 0u);
    board->PulseExternalTrigger(row.input);
    wait(100'000);
    EXPECT_EQ(writeAddress(), 3u);
    EXPECT_EQ(board->Snapshot().factors, row.factor);
    EXPECT_EQ(in8(kPortStatus) & kStatusBusy, kStatusBusy);
    board->PulseExternalTrigger(row.input);
    wait(100'000);
    EXPECT_EQ(writeAddress(), 6u);
    EXPECT_EQ(in8(kPortStatus) & kStatusBusy, 0);
    EXPECT_EQ(board->Snapshot().factors, row.factor | kFactorEnd);
  }
}

TEST_F(MorvelAcquisitionTest, AnExternalTriggerEndsAContinuousRecordingAfterTheDelayCount) {
  program(0x1000 | kFnContinuous | kFnRing, {}, kStep1us, kPeriod10us, 1);
  command(kCmdDelayCount, 4, 3);
  start(0);
  wait(1'000'000);
  board->PulseExternalTrigger();
  wait(1'000'000);
  const uint32_t t = answer(kCmdTriggerAddress, 3);
  EXPECT_GE(t, 100u);
  EXPECT_EQ(writeAddress() - t, 4u);
  EXPECT_EQ(in8(kPortStatus) & kStatusBusy, 0);
}

TEST_F(MorvelAcquisitionTest, MemoryFullStopsTheBoardUnlessTheRingIsOn) {
  for (const bool ring : {false, true}) {
    use(spec("MVA-1216PCI", 7));  // a board with the 512-value FIFO only
    program(0x1000 | kFnContinuous | kFnBackToBack | (ring ? kFnRing : 0), {}, kStep1us, 0, 1);
    start(0);
    wait(1'000'000);
    const Registers r = board->Snapshot();
    if (ring) {
      EXPECT_EQ(in8(kPortStatus), kStatusBusy | kStatusData);
      EXPECT_EQ(r.writeAddress, 1000u % kFifoSize);
      EXPECT_EQ(r.factors, 0);
    } else {
      EXPECT_EQ(in8(kPortStatus), kStatusFull | kStatusData);
      EXPECT_EQ(r.writeAddress, r.readAddress);
      EXPECT_EQ(r.factors, kFactorFull);
    }
  }
}

TEST_F(MorvelAcquisitionTest, AScanPeriodShorterThanItsConversionsIsAnOverrun) {
  program(0x1000 | kFnScan, {0, 1}, 399, 399, 10);
  start(1);
  EXPECT_EQ(in8(kPortStatus), kStatusError);
  EXPECT_EQ(board->Snapshot().factors, kFactorError);
}

TEST_F(MorvelAcquisitionTest, StopClearsTheBusyBitShortlyAfterAndRaisesNoEnd) {
  program(0x1000 | kFnContinuous | kFnRing, {}, kStep1us, kPeriod10us, 1);
  start(0);
  wait(100'000);
  command(kCmdStop);
  EXPECT_EQ(in8(kPortStatus) & kStatusBusy, kStatusBusy);
  wait(kStopDelayNs);
  EXPECT_EQ(in8(kPortStatus) & kStatusBusy, 0);
  const uint32_t w = writeAddress();
  wait(100'000);
  EXPECT_EQ(writeAddress(), w);
  EXPECT_EQ(board->Snapshot().factors, 0);
}

}  // namespace
}  // namespace morvelboard
