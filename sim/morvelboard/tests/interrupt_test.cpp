#include "board_fixture.h"

namespace morvelboard {
namespace {

TEST_F(MorvelBoardTest, TheLineFollowsUnmaskedFactorsWhileALevelIsSet) {
  struct Row {
    uint8_t level;
    uint16_t mask;
    bool asserted;
  };
  const Row rows[] = {
      {3, kMaskAll & ~kFactorExtTrig, true},
      {0, kMaskAll & ~kFactorExtTrig, false},
      {3, kMaskAll, false},
      {3, kMaskAll & ~kFactorCounter, false},
  };
  for (const Row& row : rows) {
    use(spec());
    command(kCmdLevel, {row.level});
    command(kCmdMask, row.mask, 2);
    command(kCmdExtTrigOpen);
    board->PulseExternalTrigger();
    EXPECT_EQ(answer(kCmdFactors, 2), kFactorExtTrig);
    EXPECT_EQ(board->InterruptAsserted(), row.asserted) << int{row.level} << " " << row.mask;
  }
  // The output is a level: it stays until the factor is reset or masked.
  use(spec());
  command(kCmdLevel, {3});
  command(kCmdMask, kMaskAll & ~kFactorExtTrig, 2);
  command(kCmdExtTrigOpen);
  board->PulseExternalTrigger();
  wait(1'000'000);
  EXPECT_TRUE(board->InterruptAsserted());
  command(kCmdMask, kMaskAll, 2);
  EXPECT_FALSE(board->InterruptAsserted());
  command(kCmdMask, kMaskAll & ~kFactorExtTrig, 2);
  EXPECT_TRUE(board->InterruptAsserted());
  command(kCmdFactorReset, kFactorExtTrig, 2);
  EXPECT_FALSE(board->InterruptAsserted());
}

TEST_F(MorvelBoardTest, ExternalTriggersWhileClosedLeaveTheFlagsAlone) {
  board->PulseExternalTrigger();
  EXPECT_EQ(in8(kPortDigital), 0);
  command(kCmdExtTrigOpen);
  board->PulseExternalTrigger();
  EXPECT_EQ(in8(kPortDigital), kExtTrigSeen);
  board->PulseExternalTrigger();
  EXPECT_EQ(in8(kPortDigital), kExtTrigSeen | kExtTrigOverflow);
  command(kCmdExtTrigReset);
  EXPECT_EQ(in8(kPortDigital), 0);
}

TEST(MorvelForeignDeviceTest, HoldsTheSharedLineWithItsOwnClaim) {
  ForeignDevice other(9);
  uint8_t header[64];
  other.ReadConfig(0, header, sizeof header);
  EXPECT_EQ(header[0] | header[1] << 8, kForeignVendorId);
  EXPECT_EQ(header[0x3C], 9);
  EXPECT_FALSE(other.DecodesPort(0xD000));
  other.Assert(true);
  EXPECT_TRUE(other.InterruptAsserted());
  other.Assert(false);
  EXPECT_FALSE(other.InterruptAsserted());
}

TEST_F(MorvelBoardTest, FaultHooksBreakWhatTheyName) {
  board->SetFaults({.statusAllOnes = true});
  EXPECT_EQ(in8(kPortStatus), 0xFF);
  board->SetFaults({.busyStuck = true});
  command(kCmdStop);
  command(kCmdInitialise);
  wait(1'000'000);
  EXPECT_EQ(in8(kPortStatus), kStatusBusy);
  board->SetFaults({.absent = true});
  EXPECT_FALSE(board->DecodesPort(kBase));
  command(kCmdLevel, {5});
  EXPECT_EQ(in8(kPortStatus), 0xFF);
  board->SetFaults({});
  EXPECT_EQ(board->Snapshot().level, 0);
  EXPECT_EQ(in8(kPortStatus), 0);
}

TEST_F(MorvelBoardTest, AWriteAddressScriptAnswersInsteadOfW) {
  board->SetFaults({.writeAddressScript = {100, 250, 251}});
  for (uint32_t expected : {100u, 250u, 251u, 0u}) EXPECT_EQ(answer(kCmdWriteAddress, 3), expected);
  board->SetFaults({.writeAddressScript = {0, 1000, 2000}, .scriptRepeats = true});
  for (uint32_t expected : {0u, 1000u, 2000u, 0u, 1000u}) EXPECT_EQ(answer(kCmdWriteAddress, 3), expected);
}

TEST_F(MorvelBoardTest, EachPortAccessMovesTheBoardClockByTheStep) {
  const uint64_t before = board->BoardTime();
  in8(kPortStatus);
  EXPECT_EQ(board->BoardTime() - before, kDefaultAccessStepNs);
  board->SetAccessStep(5000);
  in8(kPortStatus);
  EXPECT_EQ(board->BoardTime() - before, kDefaultAccessStepNs + 5000);
  board->AdvanceTo(before + 3000);  // the machine lags behind: nothing moves back
  EXPECT_EQ(board->BoardTime() - before, kDefaultAccessStepNs + 5000);
}

}  // namespace
}  // namespace morvelboard
