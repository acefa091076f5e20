// What start-up writes into the board records: channel counts by board
// type, and which groups get which interrupt.
#include "driver_fixture.h"

namespace {

using morvel00test::BoardEntry;
using morvel00test::DefaultBoard;
using morvel00test::GroupEntry;

// A board in slot 0.<n>.0 at 0x300 + n x 0x20, found or left off the bus.
BoardEntry BoardAt(unsigned n, uint16_t deviceId, bool plug = true) {
  BoardEntry board = DefaultBoard(static_cast<uint16_t>(0x300 + n * 0x20), 5, {0, n, 0});
  board.spec.deviceId = deviceId;
  board.plug = plug;
  return board;
}

TEST_F(DriverTest, ChannelCountsFollowTheBoardTypeAndItsConfiguration) {
  struct Row {
    uint32_t type, config;
    uint8_t configByte;
    uint16_t input, output;
  };
  const Row rows[] = {
      {0, 0, 0, 16, 1},     {0, 1, morvelboard::kConfigDoubled, 16, 1}, {0, 2, morvelboard::kConfigDoubled, 32, 1},
      {0, 5, 0, 0, 0},      {7, 1, 0, 8, 0},   {7, 0xFFFFFFFF, 0, 0, 0},  {55, 3, 0, 16, 0},
      {34, 0, 0, 8, 2},     {65535, 0, 0, 128, 128}, {999, 0, 0, 0, 0},
  };
  std::vector<GroupEntry> groups;
  for (unsigned i = 0; i < std::size(rows); ++i) {
    // Types 0 to 3 read the configuration byte, so their board is on the bus.
    BoardEntry board = BoardAt(i + 1, static_cast<uint16_t>(0x0200 + i), rows[i].type == 0);
    board.spec.boardType = rows[i].type;
    board.spec.configByte = rows[i].configByte;
    board.boardConfig = rows[i].config;
    groups.push_back({{board}});
  }
  ASSERT_EQ(start(groups, morvel00test::kService, "Morvel00Probe"), STATUS_SUCCESS);
  morvel00::XanDeviceExtension* ext = probeExtension();
  ASSERT_NE(ext, nullptr);
  for (unsigned i = 0; i < std::size(rows); ++i) {
    const morvel00::XanBoardRecord& rec = ext->records[i];
    EXPECT_EQ(rec.inputTotal, rows[i].input) << "row " << i;
    EXPECT_EQ(rec.outputTotal, rows[i].output) << "row " << i;
  }
  EXPECT_EQ(ext->records[6].boardConfig[0], 3) << "type 55 keeps its configuration";
}

TEST_F(DriverTest, OnlyGroupsThatFoundTheirBoardGetAnInterrupt) {
  GroupEntry fromBus{{BoardAt(1, 0x0301)}};                // IrqNo none: the bus's line 5
  GroupEntry configured{{BoardAt(2, 0x0302)}, 7};          // IrqNo 7 stays
  GroupEntry lineZero{{BoardAt(3, 0x0303)}, 0};            // 0 is no line: the bus's
  BoardEntry noPin = BoardAt(4, 0x0304);
  noPin.spec.interruptPin = 0;
  GroupEntry unrouted{{noPin}};
  GroupEntry failed{{BoardAt(5, 0x0305, false)}, 5};       // search fails: no interrupt
  BoardEntry lastPin = BoardAt(6, 0x0306);
  lastPin.spec.interruptPin = 4;
  BoardEntry beyondPins = BoardAt(7, 0x0307);
  beyondPins.spec.interruptPin = 5;
  ASSERT_EQ(start({fromBus, configured, lineZero, unrouted, failed, {{lastPin}}, {{beyondPins}}},
                  morvel00test::kService, "Morvel00Probe"),
            STATUS_SUCCESS);
  morvel00::XanDeviceExtension* ext = probeExtension();
  ASSERT_NE(ext, nullptr);
  const uint32_t lines[] = {5, 7, 5, morvel00::kNoLine, morvel00::kNoLine, 5, morvel00::kNoLine};
  for (unsigned g = 0; g < std::size(lines); ++g) {
    EXPECT_EQ(ext->records[g].interruptLine, lines[g]) << "group " << g + 1;
    EXPECT_EQ(ext->records[g].interrupt != nullptr, lines[g] != morvel00::kNoLine) << "group " << g + 1;
  }
}

}  // namespace
