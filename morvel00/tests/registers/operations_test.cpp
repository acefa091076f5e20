#include <algorithm>
#include <functional>

#include "board_layer_fixture.h"
#include "operations/board_operations.h"
#include "operations/sync_callbacks.h"
#include "registers/xan_registers.h"

namespace morvel00 {
namespace {

using morvelboard::Faults;
using Writes = std::vector<std::pair<int, uint32_t>>;

TEST_F(BoardLayerTest, BoardCheckAnswers768WhenABoardDoesNotAnswer) {
  struct Row {
    const char* name;
    unsigned boards;
    int faulty;  // board index, -1 none
    Faults fault;
    int16_t expected;
  };
  const Row rows[] = {
      {"present", 2, -1, {}, XAN_OK},
      {"absent", 1, 0, {.absent = true}, XAN_E_BOARD},
      {"status all ones", 1, 0, {.statusAllOnes = true}, XAN_E_BOARD},
      {"second board absent", 2, 1, {.absent = true}, XAN_E_BOARD},
  };
  for (const Row& row : rows) {
    TearDown();
    SetUp();
    for (unsigned b = 0; b < row.boards; ++b) addBoard();
    if (row.faulty >= 0) board(row.faulty).SetFaults(row.fault);
    XanSyncCall call{.rec = rec.get()};
    SyncXanBoardCheck(&call);
    EXPECT_EQ(call.result, row.expected) << row.name;
  }
}

TEST_F(BoardLayerTest, PacerLoadsThePrescalersAndTheClockCount) {
  struct Row {
    uint16_t timeBase;
    uint32_t expected;
    Writes writes;
  };
  const Row rows[] = {
      {1, 50, {{14, 0x34}, {8, 2}, {8, 0}, {14, 0x74}, {10, 2}, {10, 0}, {14, 0xB4}, {12, 50}, {12, 0}}},
      {2, 50, {{14, 0x34}, {8, 2}, {8, 0}, {14, 0x74}, {10, 0xD0}, {10, 7}, {14, 0xB4}, {12, 50}, {12, 0}}},
      {3, 50, {{14, 0x34}, {8, 0xD0}, {8, 7}, {14, 0x74}, {10, 0xD0}, {10, 7}, {14, 0xB4}, {12, 50}, {12, 0}}},
      {0, 0, {}},
  };
  addBoard();
  rec->clockCount = 50;
  for (const Row& row : rows) {
    rec->timeBase = row.timeBase;
    EXPECT_EQ(XanSetCounter(rec.get()), row.expected) << row.timeBase;
    EXPECT_EQ(writes(), row.writes) << row.timeBase;
  }
  // Time base 1: 2 x 2 x 50 counts of 250 ns, a tick every 50 us.
  rec->timeBase = 1;
  XanSetCounter(rec.get());
  XanExOpen8254(kBase);
  advance(120'000);
  uint8_t flag = 0;
  XanExGet8254Flag(kBase, &flag);
  EXPECT_EQ(flag & 1, 1);  // counter 2 reached its terminal count
  EXPECT_NE(board().Snapshot().factors & 0x1000, 0);
}

TEST_F(BoardLayerTest, BackgroundParametersAreChecked) {
  struct Row {
    int16_t mode;
    uint16_t timeBase, clockCount, boardType;
    int16_t expected;
  };
  const Row rows[] = {
      {3, 1, 10, 0, XAN_E_MODE},       {-1, 1, 10, 0, XAN_E_MODE},      {1, 9, 0, 54, XAN_OK},
      {0, 4, 10, 0, XAN_E_TIME_BASE},  {2, 0, 10, 0, XAN_E_MODE},       {0, 0, 0, 0, XAN_E_CLOCK_COUNT},
      {0, 1, 1, 0, XAN_E_CLOCK_COUNT}, {2, 1, 1, 0, XAN_E_CLOCK_COUNT}, {0, 2, 1, 0, XAN_OK},
      {0, 1, 2, 0, XAN_OK},            {0, 0, 5, 54, XAN_OK},           {2, 3, 5, 54, XAN_E_TIME_BASE},
  };
  rec->boardCount = 1;
  for (const Row& row : rows) {
    rec->boardType[0] = row.boardType;
    XanBackRecord request{};
    request.mode = row.mode;
    request.timeBase = row.timeBase;
    request.clockCount = row.clockCount;
    EXPECT_EQ(XanInpBackParaChk(rec.get(), &request), row.expected)
        << row.mode << "/" << row.timeBase << "/" << row.clockCount << "/" << row.boardType;
  }
}

TEST_F(BoardLayerTest, GainAndRangeCodesReachTheirChannels) {
  addBoard();
  addBoard();
  rec->gainMode = 0;
  rec->gainChannel = 18;
  rec->gainCode = 3;
  EXPECT_EQ(XanSetGain(rec.get()), XAN_OK);
  EXPECT_EQ(board(1).Snapshot().gain[2], 3);
  EXPECT_EQ(rec->gainChannel, 2);
  rec->gainCode = 4;
  EXPECT_EQ(XanSetGain(rec.get()), XAN_E_GAIN_CODE);
  rec->boardType[1] = 7;
  rec->gainCode = 1;
  trace(0);
  trace(1);
  EXPECT_EQ(XanSetGain(rec.get()), XAN_E_NO_GAIN);
  EXPECT_TRUE(trace(0).empty());
  EXPECT_TRUE(trace(1).empty());
  rec->boardType[1] = 0;

  struct Row {
    uint16_t direction, scope, channel, code;
    int16_t expected;
    std::function<bool(const morvelboard::Registers&)> effect;
  };
  const Row rows[] = {
      {1, 0, 0, 1, XAN_OK, [](const auto& r) { return r.dac == 2048; }},
      {1, 0, 0, 4, XAN_OK, [](const auto& r) { return r.dac == 0; }},
      {1, 0, 0, 2, XAN_E_SET_RANGE_CODE, [](const auto& r) { return r.dac == 0; }},
      {0, 1, 3, 6, XAN_OK, [](const auto& r) { return r.gain[3] == 2 && r.gain[4] == 0; }},
      {0, 0, 0, 5, XAN_OK, [](const auto& r) { return std::all_of(r.gain.begin(), r.gain.begin() + 16, [](uint8_t g) { return g == 1; }); }},
      {0, 1, 3, 8, XAN_E_SET_RANGE_CODE, [](const auto& r) { return r.gain[3] == 1; }},
  };
  for (const Row& row : rows) {
    const XanSetRangeRecord request{0, 0, row.direction, row.scope, row.channel, row.code, 0};
    XanSyncCall call{.rec = rec.get(), .data = &request};
    SyncXanSetRange(&call);
    EXPECT_EQ(call.result, row.expected) << row.direction << "/" << row.code;
    EXPECT_TRUE(row.effect(board().Snapshot())) << row.direction << "/" << row.code;
  }
}

// Reads of W (command 18) in a trace.
size_t WriteAddressReads(const std::vector<morvelboard::PortAccess>& t) {
  return std::count_if(t.begin(), t.end(), [](const auto& a) { return a.write && a.offset == 6 && a.value == 18; });
}

TEST_F(BoardLayerTest, GetStsTakesTheWriteAddressTwoOfThreeReadsAgreeOn) {
  constexpr uint32_t M = morvelboard::kSmallMemory;
  struct Row {
    const char* name;
    const char* model;
    std::vector<uint32_t> script;
    uint32_t readAddress;
    int16_t result;
    uint32_t count;
    size_t reads;
  };
  const Row rows[] = {
      {"third pair", "MVA-1216PCI", {100, 250, 251}, 0, XAN_OK, 250, 3},
      {"first pair", "MVA-1216PCI", {100, 101, 300}, 1, XAN_OK, 100, 3},
      {"over the wrap", "MVA-1216PCI", {M - 1, 0, 7}, M - 10, XAN_OK, 10, 3},
      {"never settles", "MVA-1216PCI", {1, 50, 100}, 0, 800, 0, 303},
      {"read once", "MVA-1616MPCI", {5, 900, 901}, 2, XAN_OK, 3, 1},
  };
  for (const Row& row : rows) {
    TearDown();
    SetUp();
    addBoard(row.model);
    XanExSetReadAddress(kBase, row.readAddress);
    board().SetFaults({.writeAddressScript = row.script, .scriptRepeats = true});
    rec->count = 77;
    trace();
    EXPECT_EQ(XanGetSts(rec.get()), row.result) << row.name;
    EXPECT_EQ(rec->count, row.count) << row.name;
    EXPECT_EQ(WriteAddressReads(trace()), row.reads) << row.name;
  }
}

TEST_F(BoardLayerTest, GetStsKeepsAFullMemoryApartFromANormalEnd) {
  struct Row {
    uint16_t memoryMode;
    uint16_t state;
  };
  for (const Row row : {Row{0, XAN_STATE_MEMORY_16}, Row{1, XAN_STATE_FINISHED}}) {
    TearDown();
    SetUp();
    addBoard("MVA-16128PCI", 128);  // a 512-value FIFO fills in a few ms
    const uint16_t channel[] = {0};
    XanExSetAIChannel(kBase, channel, 1);
    XanExSetScanClock(kBase, 1000);
    XanExSetSamplingClock(kBase, 10);
    XanExSetAIFunction(kBase, 0x1008);  // free run, no ring
    XanExStartAISingle(kBase, 0);
    advance(20'000'000);
    uint16_t status = 0;
    XanExGetStatus(kBase, &status);
    ASSERT_EQ(status & 0x09, 0x08) << "the board should have stopped full";
    rec->state = XAN_STATE_STARTED;
    rec->memoryMode = row.memoryMode;
    EXPECT_EQ(XanGetSts(rec.get()), XAN_OK);
    EXPECT_EQ(rec->state, row.state) << "memory mode " << row.memoryMode;
  }
}

TEST_F(BoardLayerTest, StopGivesUpOnAStuckBoardAfterItsReadsAndFinishes) {
  struct Row {
    bool stuck;
    uint16_t kind, triggerSource;
    bool idle;
    bool maskAll, gateClosed;
  };
  const Row rows[] = {{true, kKindBackgroundInput, 0, false, false, true}, {false, kKindBoardMemory, 1, true, true, false}};
  for (const Row& row : rows) {
    TearDown();
    SetUp();
    addBoard();
    XanExOpen8254(kBase);
    XanExSetIntMask(kBase, 0xCFFF);
    board().SetFaults({.busyStuck = row.stuck});
    rec->kind = row.kind;
    rec->triggerSource = row.triggerSource;
    trace();
    XanSyncCall call{.rec = rec.get()};
    SyncXanStop(&call);
    EXPECT_EQ(call.result, row.idle ? 1 : 0);
    const auto t = trace();
    const auto polls = std::count_if(t.begin(), t.end(), [](const auto& a) { return !a.write && a.offset == 2; });
    if (row.stuck) {
      EXPECT_EQ(polls, kStopPolls);
    }
    const auto r = board().Snapshot();
    EXPECT_EQ(r.mask == 0xFFFF, row.maskAll);
    EXPECT_EQ(!r.gateOpen, row.gateClosed);
  }
}

}  // namespace
}  // namespace morvel00
