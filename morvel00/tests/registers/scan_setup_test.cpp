#include <algorithm>

#include "board_layer_fixture.h"
#include "operations/board_operations.h"
#include "registers/xan_registers.h"

namespace morvel00 {
namespace {

using morvelboard::Waveform;

// A constant signal per channel, so a scan's values name their channels.
Waveform Level(unsigned channel) { return {Waveform::Shape::Constant, 0.05 + 0.05 * channel, 0, 1'000'000}; }
uint16_t LevelCount(unsigned channel) { return morvelboard::SignalValue(Level(channel), 12, 0); }

struct ScanRow {
  const char* name;
  unsigned boards;
  std::vector<uint16_t> list;
  std::vector<std::vector<uint8_t>> scanned;  // per board: the physical channels, ascending
};

// Runs the set-up, then one scan on every board, and stores the values by
// list position as the single-input handler does.
std::vector<uint16_t> ScanOnce(XanBoardRecord* rec, const std::vector<uint16_t>& list) {
  std::vector<uint16_t> values(list.size(), 0xDEAD);
  for (int b = 0; b < rec->boardCount; ++b) {
    const uint16_t n = rec->scanChannels[b];
    if (n == 1) {
      for (uint16_t ch = 0; ch < kListPositions; ++ch) {
        if (rec->listPosition[b][ch] != 0) XanExStartAISingle(rec->ioBase[b], static_cast<uint8_t>(ch));
      }
    } else if (n > 1) {
      XanExStartAIMulti(rec->ioBase[b], static_cast<uint8_t>(n));
    }
  }
  plat::bus::Advance(200'000);
  for (int b = 0; b < rec->boardCount; ++b) {
    for (uint16_t ch = 0; ch < kListPositions; ++ch) {
      if (const uint16_t p = rec->listPosition[b][ch]; p != 0) XanExGetAIData(rec->ioBase[b], &values[p - 1]);
    }
  }
  XanCopyDuplicates(rec, list.data(), static_cast<int>(list.size()), values.data());
  return values;
}

TEST_F(BoardLayerTest, SetADModeScansTheListedChannelsIntoTheirListPositions) {
  const ScanRow rows[] = {
      {"two out of order", 1, {3, 1}, {{1, 3}}},
      {"one channel", 1, {5}, {{5}}},
      {"across two boards", 2, {17, 2}, {{2}, {1}}},
      {"a repeated channel", 1, {3, 3, 1}, {{1, 3}}},
      {"only the second board", 2, {31, 16, 31}, {{}, {0, 15}}},
  };
  for (const ScanRow& row : rows) {
    SCOPED_TRACE(row.name);
    TearDown();
    SetUp();
    for (unsigned b = 0; b < row.boards; ++b) {
      addBoard();
      for (unsigned ch = 0; ch < 16; ++ch) board(b).SetWaveform(ch, Level(ch + 16 * b));
    }
    ASSERT_EQ(XanSetADMode(rec.get(), row.list.data(), static_cast<int>(row.list.size())), XAN_OK);
    for (unsigned b = 0; b < row.boards; ++b) {
      const auto r = board(b).Snapshot();
      const auto& expected = row.scanned[b];
      EXPECT_EQ(rec->scanChannels[b], expected.size()) << "board " << b;
      EXPECT_TRUE(std::equal(expected.begin(), expected.end(), r.channelList.begin())) << "board " << b;
      if (expected.empty()) continue;
      EXPECT_EQ(r.functionWord, expected.size() == 1 ? 0x1000 : 0x1080);
      EXPECT_EQ(r.scanClock, 399);
      EXPECT_EQ(r.samplingClock, expected.size() * 10 * 40 - 1);
      EXPECT_EQ(r.sampleCount, 0u);
    }
    EXPECT_EQ(board(0).Snapshot().mask, 0xCFFF);
    const std::vector<uint16_t> values = ScanOnce(rec.get(), row.list);
    for (size_t i = 0; i < row.list.size(); ++i) EXPECT_EQ(values[i], LevelCount(row.list[i])) << "element " << i;
  }
}

TEST_F(BoardLayerTest, SetADModeWritesNothingForAListItRefuses) {
  addBoard();
  const uint16_t beyond[] = {2, 16};
  EXPECT_EQ(XanSetADMode(rec.get(), beyond, 2), XAN_E_CHANNEL);
  EXPECT_EQ(XanSetADMode(rec.get(), beyond, 0), XAN_E_CHANNEL_COUNT);
  EXPECT_EQ(XanSetADMode(rec.get(), beyond, 17), XAN_E_CHANNEL_COUNT);
  EXPECT_TRUE(trace().empty());
}

TEST_F(BoardLayerTest, SetADModeGivesEveryChannelOfA128ChannelBoardItsPosition) {
  addBoard("MVA-16128PCI", 128);
  std::vector<uint16_t> list(128);
  for (uint16_t i = 0; i < 128; ++i) list[i] = static_cast<uint16_t>(127 - i);
  ASSERT_EQ(XanSetADMode(rec.get(), list.data(), 128), XAN_OK);
  EXPECT_EQ(rec->scanChannels[0], 128);
  EXPECT_EQ(rec->listPosition[0][127], 1);
  EXPECT_EQ(rec->listPosition[0][0], 128);
  EXPECT_EQ(board().Snapshot().channelList[127], 127);
}

TEST_F(BoardLayerTest, SetADModeSetsTheLevelCodeOnlyForAPacedOrTriggeredInput) {
  addBoard();
  const uint16_t list[] = {0};
  XanSetADMode(rec.get(), list, 1);
  EXPECT_EQ(board().Snapshot().level, 0);
  rec->timeBase = 1;
  XanSetADMode(rec.get(), list, 1);
  EXPECT_EQ(board().Snapshot().level, 3);  // line 9 on the AT table
  rec->machineType = 1;
  XanSetADMode(rec.get(), list, 1);
  EXPECT_EQ(board().Snapshot().level, 4);  // line 9 on the PC-98 table
}

}  // namespace
}  // namespace morvel00
