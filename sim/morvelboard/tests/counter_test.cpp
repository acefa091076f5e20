#include "board_fixture.h"

namespace morvelboard {
namespace {

// Counter tests keep the clock still between accesses, so that counts are
// exact: only wait() moves the 4 MHz clock.
class MorvelCounterTest : public MorvelBoardTest {
 protected:
  void SetUp() override { board->SetAccessStep(0); }
  void control(uint8_t word) { out8(kPortCounterControl, word); }
  void count(unsigned counter, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) out8(kPortCounter0 + 2 * counter, b);
  }
  uint8_t read(unsigned counter) { return in8(kPortCounter0 + 2 * counter); }
  uint16_t read16(unsigned counter) {
    const uint8_t low = read(counter);
    return static_cast<uint16_t>(low | read(counter) << 8);
  }
  // Counter 0 and 1 as the pacer's prescaler, counter 2 in `mode2word`.
  void pacer(uint16_t c0, uint16_t c1, uint16_t c2, uint8_t counter2Word = 0xB4) {
    control(0x34);
    count(0, {static_cast<uint8_t>(c0), static_cast<uint8_t>(c0 >> 8)});
    control(0x74);
    count(1, {static_cast<uint8_t>(c1), static_cast<uint8_t>(c1 >> 8)});
    control(counter2Word);
    count(2, {static_cast<uint8_t>(c2), static_cast<uint8_t>(c2 >> 8)});
  }
};

TEST_F(MorvelCounterTest, EachReadWriteModeMovesItsBytes) {
  struct Row {
    uint8_t word;  // counter 0, mode 2
    std::initializer_list<uint8_t> written;
    std::initializer_list<uint8_t> read;  // after five clocks: one load, four counts
  };
  const Row rows[] = {
      {0x34, {0x34, 0x12}, {0x30, 0x12}},
      {0x14, {0x40}, {0x3C}},
      {0x24, {0x02}, {0x01}},  // 0x0200 - 4 = 0x01FC
  };
  for (const Row& row : rows) {
    command(kCmdGateClose);
    control(row.word);
    count(0, row.written);
    command(kCmdGateOpen);
    wait(5 * kCounterClockNs);
    control(0x00);  // latch counter 0
    for (uint8_t expected : row.read) EXPECT_EQ(read(0), expected) << std::hex << int{row.word};
  }
}

TEST_F(MorvelCounterTest, TheFlipFlopsRunAcrossAccessesUntilAControlWord) {
  control(0x34);
  count(0, {0x11});  // only the low byte
  control(0x34);     // starts over: the next byte is a low byte again
  count(0, {0x22, 0x00});
  command(kCmdGateOpen);
  wait(kCounterClockNs);  // load
  EXPECT_EQ(read(0), 0x22);
  EXPECT_EQ(read(0), 0x00);
  EXPECT_EQ(read(0), 0x22);  // the read flip-flop is back on the low byte
}

TEST_F(MorvelCounterTest, ReadBackLatchesCountsAndStatusWithNullCount) {
  pacer(4, 1000, 3000);
  control(0xE8);  // status of counter 2
  EXPECT_EQ(read(2), k8254StatusOut | k8254StatusNullCount | 0x34);
  command(kCmdGateOpen);
  wait(10 * kCounterClockNs);
  control(k8254LatchAll);
  wait(101 * kCounterClockNs);
  EXPECT_EQ(read16(0), 3);
  EXPECT_EQ(read16(1), 999);  // loaded by the first fall of OUT0, counted by the second
  EXPECT_EQ(read16(2), 0);    // OUT1 has not fallen: nothing loaded
  EXPECT_EQ(read16(0), 2);    // the latch is spent: live again
  // Count and status of counter 2 at once: status first. Counter 2 has
  // had no clock yet, so its count is still null.
  control(0xC8);
  EXPECT_EQ(read(2), k8254StatusOut | k8254StatusNullCount | 0x34);
  EXPECT_EQ(read16(2), 0);
}

TEST_F(MorvelCounterTest, TerminalCountsOfTheCascadeSetTheFlagThenTheOverflow) {
  command(kCmdLevel, {3});
  command(kCmdMask, kMaskAll & ~kFactorCounter, 2);
  pacer(2, 2, 10);  // a tick every 2 x 2 x 10 clocks = 10 us
  command(kCmdGateOpen);
  wait(9999);
  EXPECT_EQ(in8(kPortDigital) & (kCounterFlag | kCounterOverflow), 0);
  EXPECT_FALSE(board->InterruptAsserted());
  wait(1);
  EXPECT_EQ(in8(kPortDigital) & (kCounterFlag | kCounterOverflow), kCounterFlag);
  EXPECT_TRUE(board->InterruptAsserted());
  wait(10000);
  EXPECT_EQ(in8(kPortDigital) & (kCounterFlag | kCounterOverflow), kCounterFlag | kCounterOverflow);
  command(kCmdCounterFlagReset);
  command(kCmdFactorReset, kFactorCounter, 2);
  EXPECT_EQ(in8(kPortDigital), 0);
  EXPECT_FALSE(board->InterruptAsserted());
  // A closed gate holds every counter.
  command(kCmdGateClose);
  wait(1'000'000);
  EXPECT_EQ(in8(kPortDigital), 0);
  EXPECT_EQ(board->Snapshot().factors, 0);
}

TEST_F(MorvelCounterTest, ModeZeroOnCounterTwoCountsDownOnce) {
  pacer(2, 2, 3, 0xB0);  // counter 2: one terminal count 1 + 3 of its clocks after the count
  command(kCmdGateOpen);
  wait(3999);
  EXPECT_EQ(in8(kPortDigital) & kCounterFlag, 0);
  wait(1);
  EXPECT_EQ(in8(kPortDigital) & kCounterFlag, kCounterFlag);
  control(0xE8);
  EXPECT_EQ(read(2) & k8254StatusOut, k8254StatusOut);
  wait(1'000'000);
  EXPECT_EQ(in8(kPortDigital) & kCounterOverflow, 0);
}

}  // namespace
}  // namespace morvelboard
