#include <functional>

#include "board_layer_fixture.h"
#include "registers/port_access.h"
#include "registers/xan_registers.h"

namespace morvel00 {
namespace {

using morvelboard::Registers;
using Writes = std::vector<std::pair<int, uint32_t>>;

struct WidthRow {
  const char* name;
  std::function<int(uint16_t)> call;
  std::function<uint32_t(const Registers&)> field;
  uint32_t expected;
  Writes data;  // the +7 bytes after the command
};

TEST_F(BoardLayerTest, EachCommandWidthGoesOutLowestByteFirst) {
  addBoard();
  const uint16_t list[] = {1, 3};
  const WidthRow rows[] = {
      {"function", [](uint16_t b) { return XanExSetAIFunction(b, 0x1080); },
       [](const Registers& r) { return r.functionWord; }, 0x1080, {{7, 0x80}, {7, 0x10}}},
      {"scan clock", [](uint16_t b) { return XanExSetScanClock(b, 10000); },
       [](const Registers& r) { return r.scanClock; }, 399, {{7, 0x8F}, {7, 0x01}}},
      {"sampling clock", [](uint16_t b) { return XanExSetSamplingClock(b, 0x10000); },
       [](const Registers& r) { return r.samplingClock; }, 0x27FFFF, {{7, 0xFF}, {7, 0xFF}, {7, 0x27}, {7, 0}}},
      {"samples", [](uint16_t b) { return XanExSetSamplingNum(b, 0x30201); },
       [](const Registers& r) { return r.sampleCount; }, 0x30200, {{7, 0}, {7, 2}, {7, 3}}},
      {"delay", [](uint16_t b) { return XanExSetDelayNum(b, 0x0A0B0C); },
       [](const Registers& r) { return r.delayCount; }, 0x0A0B0C, {{7, 0x0C}, {7, 0x0B}, {7, 0x0A}}},
      {"trigger delay", [](uint16_t b) { return XanExSetTrgDlyNum(b, 4); },
       [](const Registers& r) { return r.trigDelayCount; }, 4, {{7, 4}, {7, 0}, {7, 0}}},
      {"repeat", [](uint16_t b) { return XanExSetStartTrgRptNum(b, 0xFFFFFF); },
       [](const Registers& r) { return r.repeatCount; }, 0xFFFFFF, {{7, 0xFF}, {7, 0xFF}, {7, 0xFF}}},
      {"mask", [](uint16_t b) { return XanExSetIntMask(b, 0xFF72); },
       [](const Registers& r) { return r.mask; }, 0xFF72, {{7, 0x72}, {7, 0xFF}}},
      {"channel list", [&](uint16_t b) { return XanExSetAIChannel(b, list, 2); },
       [](const Registers& r) { return r.channelList[0] | r.channelList[1] << 8; }, 0x0301,
       {{7, 0}, {7, 1}, {7, 1}, {7, 3}}},
      {"start trigger", [](uint16_t b) { return XanExSetTrgLevelStart(b, 1, 7, 0x1234, 0x5678); },
       [](const Registers& r) { return r.startTrigger.direction << 8 | r.startTrigger.channel; }, 0x107,
       {{7, 8}, {7, 7}, {6, 6}, {7, 0x34}, {7, 0x12}, {7, 0x78}, {7, 0x56}}},
      {"stop trigger", [](uint16_t b) { return XanExSetTrgLevelStop(b, 0, 2, 1, 0x0800); },
       [](const Registers& r) { return uint32_t{r.stopTrigger.level2} << 16 | r.stopTrigger.channel; },
       0x08000002, {{7, 0}, {7, 2}, {6, 9}, {7, 1}, {7, 0}, {7, 0}, {7, 8}}},
  };
  for (const WidthRow& row : rows) {
    trace();
    EXPECT_EQ(row.call(kBase), 1) << row.name;
    EXPECT_EQ(row.field(board().Snapshot()), row.expected) << row.name;
    Writes w = writes();
    ASSERT_FALSE(w.empty()) << row.name;
    EXPECT_EQ(w.front().first, 6) << row.name;
    EXPECT_EQ(Writes(w.begin() + 1, w.end()), row.data) << row.name;
  }
  EXPECT_TRUE(board().TakeDiagnostics().empty());
}

TEST_F(BoardLayerTest, AnalogOutHoldsTheStrobeOnlyAroundTheDacWrite) {
  addBoard();
  regs::Put(kBase, regs::kOutputControl, 0x05);
  trace();
  EXPECT_EQ(XanExAnalogOut(kBase, 0x0ABC), 1);
  const Registers r = board().Snapshot();
  EXPECT_EQ(r.dac, 0x0ABC);
  EXPECT_EQ(r.outputControl, 0x05);
  const Writes w = writes();
  const auto dac = std::find_if(w.begin(), w.end(), [](const auto& a) { return a.first == regs::kDac; });
  ASSERT_NE(dac, w.end());
  ASSERT_NE(dac, w.begin());
  EXPECT_EQ(std::prev(dac)->second, 0x0Du);  // output control with bit 3, just before
  EXPECT_EQ(w.back(), (std::pair<int, uint32_t>{regs::kCommandData, 0x05}));
  EXPECT_TRUE(board().TakeDiagnostics().empty());
}

TEST_F(BoardLayerTest, DigitalOutReadsTheOutputControlOnceThenLatches) {
  auto& b = addBoard();
  trace();
  EXPECT_EQ(XanExDigitalOut(kBase, 0xA5), 1);
  const auto t = trace();
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0], (morvelboard::PortAccess{t[0].ns, 6, 1, true, 37}));
  EXPECT_FALSE(t[1].write);
  EXPECT_EQ(t[1].offset, 7);
  EXPECT_EQ(t[2], (morvelboard::PortAccess{t[2].ns, 3, 1, true, 0xA5}));
  EXPECT_EQ(b.Snapshot().digitalOut, 0xA5);

  b.SetDigitalInputs(0x0A);
  uint16_t in = 0x1200;
  XanExDigitalIn(kBase, &in);
  EXPECT_EQ(in, 0x120A);  // only the low byte is the port's
}

TEST_F(BoardLayerTest, InterruptLevelCodesFollowTheirMachinesTable) {
  addBoard();
  struct Row {
    int (*routine)(uint16_t, uint8_t);
    uint8_t line;
    int result;
    uint8_t level;
  };
  const Row rows[] = {
      {XanExSetIntLevelPC, 15, 1, 7}, {XanExSetIntLevelPC, 9, 1, 3},  {XanExSetIntLevelPC, 5, 1, 1},
      {XanExSetIntLevelPC, 4, 0, 0},  {XanExSetIntLevelPC, 16, 0, 0}, {XanExSetIntLevel98, 13, 1, 7},
      {XanExSetIntLevel98, 3, 1, 1},  {XanExSetIntLevel98, 15, 0, 0}, {XanExSetIntLevel98, 7, 0, 0},
  };
  for (const Row& row : rows) {
    regs::Put(kBase, regs::kLevel, 0);
    trace();
    EXPECT_EQ(row.routine(kBase, row.line), row.result) << int{row.line};
    EXPECT_EQ(board().Snapshot().level, row.level) << int{row.line};
    if (row.result == 0) {
      EXPECT_TRUE(trace().empty()) << "line " << int{row.line} << " wrote";
    }
  }
}

// The 8254 loads a count at its next clock edge, so the bytes each counter
// port receives are what shows the carry.
TEST_F(BoardLayerTest, CounterWritesCarryOnIntoTheHigherCounters) {
  addBoard();
  struct Row {
    const char* name;
    std::function<int()> call;
    Writes expected;
  };
  const Row rows[] = {
      {"word to 0", [] { return XanExSet8254DataW(kBase, 0, 0x1234); },
       {{8, 0x34}, {8, 0x12}, {10, 0x34}, {10, 0x12}, {12, 0x34}, {12, 0x12}}},
      {"word to 1", [] { return XanExSet8254DataW(kBase, 1, 0x0500); }, {{10, 0}, {10, 5}, {12, 0}, {12, 5}}},
      {"word to 2", [] { return XanExSet8254DataW(kBase, 2, 0x0102); }, {{12, 2}, {12, 1}}},
      {"word to 3", [] { return XanExSet8254DataW(kBase, 3, 7); }, {}},
      {"byte to 0", [] { return XanExSet8254DataB(kBase, 0, 0x0178); }, {{8, 0x78}, {10, 0x78}, {12, 0x78}}},
      {"byte to 1", [] { return XanExSet8254DataB(kBase, 1, 6); }, {{10, 6}, {12, 6}}},
      {"byte to 3", [] { return XanExSet8254DataB(kBase, 3, 6); }, {}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.call(), 1) << row.name;
    EXPECT_EQ(writes(), row.expected) << row.name;
  }
  uint16_t byte = 0;
  uint32_t word = 0;
  EXPECT_EQ(XanExGet8254DataB(kBase, 3, &byte), 0);
  EXPECT_EQ(XanExGet8254DataW(kBase, 3, &word), 0);
  EXPECT_TRUE(trace().empty());
}

TEST_F(BoardLayerTest, ReadBackSetsTheFlagsAndTheCounterBit) {
  addBoard();
  struct Row {
    uint8_t count, status, counter;
    int result;
    Writes expected;
  };
  const Row rows[] = {
      {0, 0, 0, 1, {{14, 0xC2}}}, {1, 0, 1, 1, {{14, 0xE4}}}, {0, 1, 2, 1, {{14, 0xD8}}},
      {1, 1, 2, 1, {{14, 0xF8}}}, {0, 0, 3, 0, {}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(XanExSet8254ReadBack(kBase, row.count, row.status, row.counter), row.result);
    EXPECT_EQ(writes(), row.expected) << int{row.counter};
  }
}

}  // namespace
}  // namespace morvel00
