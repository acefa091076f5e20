// Single output, digital I/O and the range codes through the library.
#include "library_fixture.h"

namespace {

using Writes = std::vector<std::pair<uint8_t, uint32_t>>;

morvel00test::BoardEntry Model(const char* model, uint16_t ioBase, uint8_t device) {
  morvel00test::BoardEntry b = morvel00test::DefaultBoard(ioBase, 5, {0, device, 0});
  b.spec = *morvelboard::SpecForModel(model);
  b.spec.ioBase = ioBase;
  b.spec.interruptLine = 5;
  b.spec.boardId = device;
  return b;
}

TEST_F(LibraryTest, DigitalIOActsOnTheSelectedBoardAndRefusesBadSelectors) {
  openGroupOf({Model("MVA-1216PCI", 0x300, 4), Model("MVA-1216PCI", 0x320, 5)});
  EXPECT_EQ(XanDO(h_, 0x0201, 0xA5), 0);  // board 1, port 2
  EXPECT_EQ(registers(1).digitalOut, 0xA5);
  EXPECT_EQ(registers(0).digitalOut, 0);
  boards_.at(1)->SetDigitalInputs(0x0B);
  uint16_t in = 0;
  EXPECT_EQ(XanDI(h_, 0x0001, &in), 0);
  EXPECT_EQ(in & 0x0F, 0x0B);

  const struct {
    uint16_t selector;
    LONG result;
  } refused[] = {{0x0002, XAN_E_BOARD_INDEX}, {0x0300, XAN_E_PORT}};
  for (const auto& c : refused) {
    EXPECT_EQ(XanDO(h_, c.selector, 0x11), c.result) << c.selector;
    EXPECT_EQ(XanDI(h_, c.selector, &in), c.result) << c.selector;
  }
  EXPECT_EQ(registers(0).digitalOut, 0);
  EXPECT_EQ(registers(1).digitalOut, 0xA5);
}

TEST_F(LibraryTest, SingleOutputFindsTheBoardOfEachChannel) {
  openGroupOf({Model("MVA-16128PCI", 0x300, 4), Model("MVA-1216PCI", 0x320, 5)});
  // Channel 128 is the second board's only output.
  uint16_t channel = 128, code = 0x321;
  XanIoParams out{&code, &channel, 1};
  EXPECT_EQ(XanOut(h_, &out), 0);
  EXPECT_EQ(registers(1).dac, 0x321);
  // The board does not learn a channel, so a 128-output board's second
  // channel cannot be written without overwriting its first.
  channel = 1;
  EXPECT_EQ(XanOut(h_, &out), XAN_E_CHANNEL);
  channel = 129;
  EXPECT_EQ(XanOut(h_, &out), XAN_E_CHANNEL);
  EXPECT_EQ(registers(0).dac, 0);
  // As many channels as the group has outputs, and one more.
  uint16_t channels[130] = {128, 0};
  uint16_t codes[130] = {0x123, 0x456};
  XanIoParams all{codes, channels, 129};
  EXPECT_EQ(XanOut(h_, &all), 0);
  EXPECT_EQ(registers(1).dac, 0x123);
  all.count = 130;
  EXPECT_EQ(XanOut(h_, &all), XAN_E_CHANNEL_COUNT);
}

TEST_F(LibraryTest, SetRangeWithEveryFieldZeroCodesEveryInputChannelOfTheFirstBoard) {
  openGroupOf({morvel00test::DefaultBoard()});
  XanSetRange(h_, 0, 1, 3, 2);
  writes();
  EXPECT_EQ(XanSetRange(h_, 0, 0, 0, 0), 0);
  Writes expected;
  for (uint8_t i = 0; i < 16; ++i) {
    expected.insert(expected.end(), {{6, 1}, {7, i}, {7, 0}});
  }
  EXPECT_EQ(writes(), expected);
  uint16_t code = 99;
  EXPECT_EQ(XanGetRange(h_, 0, 0, 0, &code), 0);
  EXPECT_EQ(code, 0);
  code = 99;
  EXPECT_EQ(XanGetRange(h_, 0, 1, 3, &code), 0);
  EXPECT_EQ(code, 0) << "the earlier one-channel code is overwritten";
}

TEST_F(LibraryTest, ARangeChannelEqualToTheCountIsRefused) {
  openGroupOf({morvel00test::DefaultBoard()});
  uint16_t code = 99;
  EXPECT_EQ(XanSetRange(h_, 0, 1, 15, 1), 0);
  EXPECT_EQ(XanGetRange(h_, 0, 1, 15, &code), 0);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(XanSetRange(h_, 0, 1, 16, 1), XAN_E_SET_RANGE_CHANNEL);
  EXPECT_EQ(XanGetRange(h_, 0, 1, 16, &code), XAN_E_SET_RANGE_CHANNEL);
  EXPECT_EQ(code, 1);
}

// Each bound of the gain, range-list and set-range checks, on both sides.
// The board (type 1) takes no gain: a gain request that passes the checks
// gets the board routine's 807.
TEST_F(LibraryTest, GainAndRangeChecksHoldAtTheirBounds) {
  openGroupOf({Model("MVA-1216FPCI", 0x300, 4)});  // 16 inputs, 1 output
  struct Row {
    uint32_t offset;
    int16_t a, b, c, d;  // gain: mode, channel, code; range list: count, channel, code; set range: all four
    int16_t result;
  };
  const Row rows[] = {
      {XAN_SET_GAIN, 0, 0, 0, 0, XAN_E_NO_GAIN},     {XAN_SET_GAIN, 0, 0, -1, 0, XAN_E_GAIN_CODE},
      {XAN_SET_GAIN, 0, 0, 6, 0, XAN_E_NO_GAIN},     {XAN_SET_GAIN, 0, 0, 7, 0, XAN_E_GAIN_CODE},
      {XAN_SET_GAIN, 1, 0, 0, 0, XAN_E_NO_GAIN},     {XAN_SET_GAIN, 2, 0, 0, 0, XAN_E_GAIN_MODE},
      {XAN_SET_GAIN, 0, 15, 0, 0, XAN_E_NO_GAIN},    {XAN_SET_GAIN, 0, 16, 0, 0, XAN_E_GAIN_CHANNEL},
      {XAN_SET_GAIN, 0, -1, 0, 0, XAN_E_GAIN_CHANNEL},
      {XAN_RANGE, 1, 0, 0, 0, XAN_OK},               {XAN_RANGE, 0, 0, 0, 0, XAN_E_RANGE_COUNT},
      {XAN_RANGE, 16, 0, 0, 0, XAN_OK},              {XAN_RANGE, 17, 0, 0, 0, XAN_E_RANGE_COUNT},
      {XAN_RANGE, 1, 15, 0, 0, XAN_OK},              {XAN_RANGE, 1, 16, 0, 0, XAN_E_RANGE_CHANNEL},
      {XAN_RANGE, 1, -1, 0, 0, XAN_E_RANGE_CHANNEL}, {XAN_RANGE, 1, 0, 38, 0, XAN_OK},
      {XAN_RANGE, 1, 0, 39, 0, XAN_E_RANGE_CODE},    {XAN_RANGE, 1, 0, -1, 0, XAN_E_RANGE_CODE},
      {XAN_SET_RANGE, 1, 1, 0, 1, XAN_OK},           {XAN_SET_RANGE, 2, 1, 0, 1, XAN_E_SET_RANGE_DIRECTION},
      {XAN_SET_RANGE, 1, 2, 0, 1, XAN_E_SET_RANGE_SCOPE},
      {XAN_SET_RANGE, 1, 1, 1, 1, XAN_E_SET_RANGE_CHANNEL},
      {XAN_SET_RANGE, 0, 1, 0, 7, XAN_OK},           {XAN_SET_RANGE, 0, 1, 0, 8, XAN_E_SET_RANGE_CODE},
      {XAN_SET_RANGE, 0, 1, 0, 27, XAN_E_SET_RANGE_CODE},
      {XAN_SET_RANGE, 1, 1, 0, 27, XAN_E_SET_RANGE_CODE},
      {XAN_SET_RANGE, 0, 1, 0, 28, XAN_E_SET_RANGE_CODE},
  };
  int16_t channels[17] = {};
  int16_t codes[17] = {};
  for (const Row& row : rows) {
    XanRequest r{};
    r.head.handle = h_;
    if (row.offset == XAN_SET_GAIN) {
      r.setGain.gainMode = static_cast<uint16_t>(row.a);
      r.setGain.channel = row.b;
      r.setGain.gainCode = row.c;
    } else if (row.offset == XAN_RANGE) {
      channels[0] = row.b;
      codes[0] = row.c;
      r.range.count = row.a;
      r.range.channelListAddress = reinterpret_cast<uintptr_t>(channels);
      r.range.rangeListAddress = reinterpret_cast<uintptr_t>(codes);
    } else {
      r.setRange.direction = static_cast<uint16_t>(row.a);
      r.setRange.scope = static_cast<uint16_t>(row.b);
      r.setRange.channel = static_cast<uint16_t>(row.c);
      r.setRange.rangeCode = static_cast<uint16_t>(row.d);
    }
    ASSERT_TRUE(send(reinterpret_cast<HANDLE>(uintptr_t{h_}), row.offset, r)) << row.offset;
    EXPECT_EQ(r.head.result, row.result) << std::hex << row.offset << std::dec << " " << row.a << " " << row.b
                                         << " " << row.c << " " << row.d;
  }
}

}  // namespace
