#include <functional>

#include "board_fixture.h"

namespace morvelboard {
namespace {

struct CommandRow {
  uint8_t code;
  std::initializer_list<uint8_t> data;
  std::function<uint32_t(const Registers&)> field;
  uint32_t expected;
};

TEST_F(MorvelBoardTest, EveryCommandTakesItsDataBytesLowestFirst) {
  const CommandRow rows[] = {
      {kCmdFunction, {0x80, 0x10}, [](const Registers& r) { return r.functionWord; }, 0x1080},
      {kCmdGain, {5, 3}, [](const Registers& r) { return r.gain[5]; }, 3},
      {kCmdScanClock, {0x8F, 0x01}, [](const Registers& r) { return r.scanClock; }, 399},
      {kCmdSamplingClock, {0x78, 0x56, 0x34, 0x12}, [](const Registers& r) { return r.samplingClock; }, 0x12345678},
      {kCmdStartTrigChannel, {8, 7}, [](const Registers& r) { return r.startTrigger.direction << 8 | r.startTrigger.channel; }, 0x107},
      {kCmdStartTrigLevels, {0x34, 0x12, 0x78, 0x56}, [](const Registers& r) { return uint32_t{r.startTrigger.level2} << 16 | r.startTrigger.level1; }, 0x56781234},
      {kCmdStopTrigChannel, {0, 3}, [](const Registers& r) { return r.stopTrigger.direction << 8 | r.stopTrigger.channel; }, 3},
      {kCmdStopTrigLevels, {1, 0, 2, 0}, [](const Registers& r) { return uint32_t{r.stopTrigger.level2} << 16 | r.stopTrigger.level1; }, 0x20001},
      {kCmdSampleCount, {0xF3, 0x01, 0x00}, [](const Registers& r) { return r.sampleCount; }, 499},
      {kCmdDelayCount, {1, 2, 3}, [](const Registers& r) { return r.delayCount; }, 0x030201},
      {kCmdTrigDelayCount, {4, 0, 0}, [](const Registers& r) { return r.trigDelayCount; }, 4},
      {kCmdRepeatCount, {0xFF, 0xFF, 0xFF}, [](const Registers& r) { return r.repeatCount; }, 0xFFFFFF},
      {kCmdWriteAddress, {0x10, 0x00, 0x01}, [](const Registers& r) { return r.writeAddress; }, 0x10010 % kSmallMemory},
      {kCmdReadAddress, {0x20, 0, 0}, [](const Registers& r) { return r.readAddress; }, 0x20},
      {kCmdMask, {0x72, 0xFF}, [](const Registers& r) { return r.mask; }, 0xFF72},
      {kCmdLevel, {3}, [](const Registers& r) { return r.level; }, 3},
      {kCmdOutputControl, {0x08}, [](const Registers& r) { return r.outputControl; }, 0x08},
      {kCmdChannelList, {0, 1, 1, 3, 127, 9}, [](const Registers& r) { return r.channelList[0] | r.channelList[1] << 8 | r.channelList[127] << 16; }, 0x090301},
  };
  for (const CommandRow& row : rows) {
    command(row.code, row.data);
    EXPECT_EQ(row.field(board->Snapshot()), row.expected) << "command " << int{row.code};
  }
  EXPECT_TRUE(board->TakeDiagnostics().empty());
}

TEST_F(MorvelBoardTest, ACommandCutShortOrOverlongChangesNothingBeyondItsBytes) {
  command(kCmdFunction, {0x80});
  command(kCmdSampleCount, {1, 0, 0, 0x55});
  EXPECT_EQ(board->Snapshot().functionWord, 0);
  EXPECT_EQ(board->Snapshot().sampleCount, 1u);
  EXPECT_EQ(board->TakeDiagnostics().size(), 1u);
  command(21);
  EXPECT_EQ(board->TakeDiagnostics().size(), 1u);
}

TEST_F(MorvelBoardTest, AddressesAreLatchedAtTheCommandSoTheirBytesAgree) {
  command(kCmdReadAddress, {0xFF, 0, 0});
  out8(kPortCommand, kCmdReadAddress);
  const uint8_t low = in8(kPortCommandData);
  in16(kPortData);  // R moves on to 0x100, then 0x101
  in16(kPortData);
  const uint32_t latched = low | in8(kPortCommandData) << 8 | in8(kPortCommandData) << 16;
  EXPECT_EQ(latched, 0xFFu);
  EXPECT_EQ(answer(kCmdReadAddress, 3), 0x101u);
}

TEST_F(MorvelBoardTest, TheDacLatchesOnlyWhileTheStrobeBitIsSet) {
  // The output sequence with and without sending the register's command again.
  for (const bool resend : {false, true}) {
    out8(kPortCommand, kCmdOutputControl);
    const uint8_t control = in8(kPortCommandData);
    if (resend) out8(kPortCommand, kCmdOutputControl);
    out8(kPortCommandData, control | kOutputDacStrobe);
    board->Out(kBase + kPortDac, 2, resend ? 0x0ABC : 0x0123);
    if (resend) out8(kPortCommand, kCmdOutputControl);
    out8(kPortCommandData, control & ~kOutputDacStrobe);
    EXPECT_EQ(board->Snapshot().dac, resend ? 0x0ABC : 0x0123);
    EXPECT_EQ(board->Snapshot().outputControl & kOutputDacStrobe, 0);
  }
  EXPECT_TRUE(board->TakeDiagnostics().empty());
  board->Out(kBase + kPortDac, 2, 0x0FFF);
  EXPECT_EQ(board->Snapshot().dac, 0x0ABC);
  EXPECT_EQ(board->TakeDiagnostics().size(), 1u);
}

TEST_F(MorvelBoardTest, InitialiseAndMemoryResetClearWhatTheyName) {
  command(kCmdMask, {0, 0});
  command(kCmdLevel, {3});
  command(kCmdFunction, {0x80, 0x10});
  command(kCmdGateOpen);
  command(kCmdExtTrigOpen);
  board->PulseExternalTrigger();
  command(kCmdOutputControl, {kOutputDacStrobe});
  board->Out(kBase + kPortDac, 2, 77);
  command(kCmdWriteAddress, {5, 0, 0});
  command(kCmdInitialise);
  Registers r = board->Snapshot();
  EXPECT_EQ(r.mask, kMaskAll);
  EXPECT_EQ(r.factors, 0);
  EXPECT_EQ(r.level, 0);
  EXPECT_EQ(r.functionWord, 0);
  EXPECT_EQ(r.flags, 0);
  EXPECT_FALSE(r.gateOpen || r.extTrigOpen);
  EXPECT_EQ(r.dac, 77);
  EXPECT_EQ(in8(kPortStatus), kStatusData);  // the memory keeps W = 5
  command(kCmdMemoryReset);
  EXPECT_EQ(in8(kPortStatus), 0);
  EXPECT_EQ(answer(kCmdWriteAddress, 3), 0u);
}

TEST_F(MorvelBoardTest, DigitalPortKeepsItsLatchAndShowsTheInputs) {
  board->SetDigitalInputs(0x5);
  out8(kPortDigital, 0xA5);
  EXPECT_EQ(in8(kPortDigital), 0x05);
  EXPECT_EQ(board->Snapshot().digitalOut, 0xA5);
  EXPECT_EQ(answer(kCmdConfig, 1), 0);
  BoardSpec doubled = spec();
  doubled.configByte = kConfigDoubled;
  use(doubled);
  EXPECT_EQ(answer(kCmdConfig, 1), kConfigDoubled);
  EXPECT_EQ(in8(kPortCommandData), kConfigDoubled);  // one-byte registers answer again
}

TEST_F(MorvelBoardTest, ConfigurationSpaceNamesTheBoardAndItsPorts) {
  BoardSpec s = spec("MVA-1616PCI");
  s.boardId = 3;
  use(s);
  uint8_t c[260];
  board->ReadConfig(0, c, sizeof c);
  EXPECT_EQ(c[0] | c[1] << 8, kVendorId);
  EXPECT_EQ(c[2] | c[3] << 8, 0x0123);
  EXPECT_EQ(c[8], 3);
  EXPECT_EQ(c[0x0B], kClassCode);
  EXPECT_EQ(c[0x0E], 0);
  EXPECT_EQ(c[0x10] | c[0x11] << 8 | c[0x12] << 16 | c[0x13] << 24, kBase | 1);
  EXPECT_EQ(c[0x3C], 9);
  EXPECT_EQ(c[0x3D], 1);
  EXPECT_EQ(c[256], 0xFF);
  EXPECT_TRUE(board->DecodesPort(kBase + 15));
  EXPECT_FALSE(board->DecodesPort(kBase + 16));

  // Sizing the base register, then moving the board.
  const uint32_t ones = 0xFFFFFFFF;
  board->WriteConfig(0x10, &ones, 4);
  uint32_t bar = 0;
  board->ReadConfig(0x10, &bar, 4);
  EXPECT_EQ(bar, 0xFFFFFFF1u);
  const uint32_t moved = 0xE000;
  board->WriteConfig(0x10, &moved, 4);
  EXPECT_TRUE(board->DecodesPort(0xE002));
  const uint8_t off = 0;
  board->WriteConfig(0x04, &off, 1);
  EXPECT_FALSE(board->DecodesPort(0xE002));
}


TEST_F(MorvelBoardTest, TheTraceKeepsEveryAccessWithItsTime) {
  const uint64_t t = board->BoardTime();
  board->SetTrace(true);
  command(kCmdMask, {0xFF, 0xEF});
  in8(kPortStatus);
  board->In(kBase + kPortData, 2);
  board->SetTrace(false);
  in8(kPortStatus);
  const std::vector<PortAccess> expected = {
      {t + 1000, kPortCommand, 1, true, kCmdMask},     {t + 2000, kPortCommandData, 1, true, 0xFF},
      {t + 3000, kPortCommandData, 1, true, 0xEF},     {t + 4000, kPortStatus, 1, false, 0},
      {t + 5000, kPortData, 2, false, 0},
  };
  EXPECT_EQ(board->TakeTrace(), expected);
  EXPECT_TRUE(board->TakeTrace().empty());
}

}  // namespace
}  // namespace morvelboard
