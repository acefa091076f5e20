#include "acquisition/board_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>

#include "acquisition/selection.h"
#include "vekmath.h"

using namespace vekmath;

namespace {

TEST(BoardGroups, EveryCodeFallsInItsGroup) {
  struct Case {
    std::initializer_list<int32_t> codes;
    BoardGroup group;
  };
  const Case cases[] = {
      {{-1}, BoardGroup::Simulated},
      {{0, 3}, BoardGroup::OlderVendorA},
      {{5, 6, 8, 9}, BoardGroup::VendorB},
      {{7, 10, 11, 19, 20, 21, 22}, BoardGroup::Wdm},
      {{12, 13, 14, 15, 17, 18, 23, 24, 26, 27, 29, 30}, BoardGroup::NiDaqmx},
      {{32, 33}, BoardGroup::SerialA},
      {{34}, BoardGroup::SerialB},
      {{1, 2, 4, 16, 25, 28, 31}, BoardGroup::NoBackEnd},
      {{-2, 35, 100, INT_MIN, INT_MAX}, BoardGroup::None},
  };
  for (const Case& c : cases) {
    for (int32_t code : c.codes) EXPECT_EQ(groupOf(code), c.group) << "code " << code;
  }
}

TEST(BoardGroups, TableHasOneRowPerCode) {
  std::set<int32_t> codes;
  for (const BoardTypeInfo& info : kBoardTypes) EXPECT_TRUE(codes.insert(info.code).second) << info.code;
  EXPECT_EQ(codes.size(), 36u);  // -1 to 34
}

TEST(NiRawConversion, ShiftedTwelveAndFourteenBitCodes) {
  EXPECT_EQ(niRawToRing(12, 15), 0);
  EXPECT_EQ(niRawToRing(12, 16), 1);
  EXPECT_EQ(niRawToRing(12, 0xFFFF), 4095);  // logical shift, no sign
  EXPECT_EQ(niRawToRing(14, 3), 0);
  EXPECT_EQ(niRawToRing(14, 4), 1);
  EXPECT_EQ(niRawToRing(14, 0xFFFF), 16383);
}

TEST(NiRawConversion, ClippedSingleEndedCodes) {
  struct Case {
    int32_t code;
    uint16_t raw;
    uint16_t stored;
  };
  const Case cases[] = {
      // 13: v = (r >> 4) + 63, kept in 0..2047 above 2048
      {13, 0, 0}, {13, 31760, 0}, {13, 31776, 1}, {13, 64512, 2047}, {13, 65535, 2047},
      // 15: v = (r >> 2) + 63, kept in 0..8191 above 8192
      {15, 0, 0}, {15, 32516, 0}, {15, 32520, 1}, {15, 65276, 8190}, {15, 65280, 8191}, {15, 65535, 8191},
  };
  for (const Case& c : cases) EXPECT_EQ(niRawToRing(c.code, c.raw), c.stored) << c.code << " r=" << c.raw;
}

TEST(NiRawConversion, OffsetCodesWrapAroundSixteenBits) {
  for (int32_t code : {17, 18, 23, 24, 29, 30}) {
    EXPECT_EQ(niRawToRing(code, 0), 32768);
    EXPECT_EQ(niRawToRing(code, 0x8000), 0);       // -32768
    EXPECT_EQ(niRawToRing(code, 0xFFFF), 32767);   // -1
    EXPECT_EQ(niRawToRing(code, 0x7FFF), 65535);
  }
  for (int32_t code : {26, 27}) {
    EXPECT_EQ(niRawToRing(code, 0), 8192);
    EXPECT_EQ(niRawToRing(code, 0xE000), 0);  // -8192
    EXPECT_EQ(niRawToRing(code, 0xFFFF), 8191);
  }
  EXPECT_EQ(niRawToRing(-1, 1234), 1234);  // not an NI code
}

class SelectBoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SelectionState& s = selection();
    s.backEndFlag = 0;
    s.niDeviceNumber = 77;
    std::memset(s.deviceName, 0, kDeviceNameSize);
  }
  SelectionState& s = selection();
};

TEST_F(SelectBoardTest, CodesWithoutFlagLeaveFlagAndNiNumber) {
  for (uint8_t flag : {0, 1}) {
    for (int32_t code : {-1, 7, 31, 32, 33, 34, 1, 99}) {
      s.backEndFlag = flag;
      EXPECT_EQ(SelectBoard(code, 5, "Dev4"), code);
      EXPECT_EQ(s.boardType, code);
      EXPECT_EQ(s.boardValue, 5);
      EXPECT_EQ(s.backEndFlag, flag) << code;
      EXPECT_EQ(s.niDeviceNumber, 77) << code;
      EXPECT_STREQ(s.deviceName, "Dev4");
    }
  }
}

TEST_F(SelectBoardTest, DeviceCodesSetTheFlag) {
  for (int32_t code : {0, 3, 5, 6, 8, 9, 10, 11, 19, 20, 21, 22}) {
    s.backEndFlag = 0;
    SelectBoard(code, 0, "Dev9");
    EXPECT_EQ(s.backEndFlag, 1) << code;
    EXPECT_EQ(s.niDeviceNumber, 77) << code;
  }
}

TEST_F(SelectBoardTest, NiCodesStoreTheDeviceNumber) {
  EXPECT_EQ(SelectBoard(12, 0, "Dev1"), 12);
  EXPECT_EQ(s.niDeviceNumber, 1);
  EXPECT_EQ(s.backEndFlag, 1);
  SelectBoard(30, 0, "Dev12");
  EXPECT_EQ(s.niDeviceNumber, 12);
  SelectBoard(17, 0, "Dev");
  EXPECT_EQ(s.niDeviceNumber, 0);
  SelectBoard(17, 0, "D");  // shorter than the prefix: nothing past it is read
  EXPECT_EQ(s.niDeviceNumber, 0);
  SelectBoard(17, 0, "Dev99999999999999999999");
  EXPECT_EQ(s.niDeviceNumber, -1);  // saturated, then cut to 32 bits
}

TEST_F(SelectBoardTest, NamesAreCutToTheBuffer) {
  const std::string fits(87, 'a');
  SelectBoard(-1, 0, fits.c_str());
  EXPECT_EQ(std::string(s.deviceName), fits);

  const std::string longer(500, 'b');
  SelectBoard(-1, 0, longer.c_str());
  EXPECT_EQ(std::string(s.deviceName), std::string(87, 'b'));
  EXPECT_EQ(s.deviceName[87], '\0');

  SelectBoard(-1, 0, "COM3");  // nothing of the longer name stays behind
  EXPECT_STREQ(s.deviceName, "COM3");
  for (std::size_t i = 4; i < kDeviceNameSize; ++i) EXPECT_EQ(s.deviceName[i], '\0');

  EXPECT_EQ(SelectBoard(12, 0, nullptr), 12);
  EXPECT_STREQ(s.deviceName, "");
  EXPECT_EQ(s.niDeviceNumber, 0);
}

}  // namespace
