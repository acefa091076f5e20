#include <gtest/gtest.h>

#include <tarnix.h>

#include <climits>
#include <cstring>

#include "system/tests/support/system_fixture.h"

namespace {

constexpr int32_t kUntouched = 0x5A5A5A5A;

class BoardInfo : public SystemFixture {};

TEST_F(BoardInfo, ItemsOfEachKind) {
  struct Case {
    int32_t machine;
    const char* model;
    int32_t code;
    int32_t in;  // p1 on entry
    LONG result;
    int shortOuts;  // bit i: out i + 1 is written as 16 bits
    int32_t out[3];
  } cases[] = {
      {0, "RSI-4C(PCI)", 0x10002, 0, 0, 0, {64, kUntouched, kUntouched}},
      {0, "RSI-4C(PCI)", 0x10006, 77, 0, 0, {77, kUntouched, kUntouched}},  // unknown serial item: 0, nothing
      {0, "RSI-2C(98)", 0x10002, 0, 3, 0, {0, kUntouched, kUntouched}},     // a PC-9800 model on an AT
      {1, "RSI-2C(98)", 0x10002, 0, 0, 0, {1, kUntouched, kUntouched}},
      {5, "RSI-2C(98)", 0x10002, 0, 0, 0, {1, kUntouched, kUntouched}},     // any machine but 0 reads the PC-9800 set
      {0, "MVA-1216PCI", 0x80000, 0, 1, 0, {0, kUntouched, kUntouched}},
      {0, "MVA-1216PCI", 0x0FFFF, 0, 1, 0, {0, kUntouched, kUntouched}},
      {0, "FLN-BASE", 0xA0001, 0, 1, 0, {0, kUntouched, kUntouched}},
      {0, "GPI-PCI", 0x40001, 0, 1, 0, {0, kUntouched, kUntouched}},
      {0, "GPI-NONE", 0x40001, 0, 3, 0, {0, kUntouched, kUntouched}},
      {0, "MVA-1216PCI", 0x20001, 0, 0, 0, {16, kUntouched, kUntouched}},
      {0, "MVA-1216PCI", 0x2000C, 0, 1, 0, {0, kUntouched, kUntouched}},
      {0, "MVA-1216PCI", 0x20027, 0, 1, 0, {0, kUntouched, kUntouched}},
      {0, "MVA-1216PCI", 0x20014, 0, 0, 3, {-10, 10, kUntouched}},
      // Doubles beyond the integer's range give its ends.
      {0, "MVA-1216PCI", 0x20015, 0, 0, 7, {-32768, 32767, 12}},
      {0, "MVA-1216PCI", 0x20019, 0, 0, 4, {4000, INT_MAX, 25}},
      {0, "MVA-1216PCI", 0x2001F, 1, 0, 0, {1, 5, 1}},
      {0, "MVA-1216PCI", 0x2001F, 4, 0, 0, {4, 0, 4}},
      {0, "MVA-1216PCI", 0x2001F, 5, 1, 0, {5, kUntouched, kUntouched}},
      {0, "MVA-1216PCI", 0x20020, 6, 0, 0, {6, 15625, 16}},
      {0, "MVA-1216PCI", 0x20021, 1, 0, 0, {1, 15, kUntouched}},
      {0, "MVA-1216PCI", 0x20021, 2, 1, 0, {2, kUntouched, kUntouched}},
      {0, "MVA-1216PCI", 0x20023, 17, 0, 0, {17, 27, 1}},
      {0, "MVA-1216PCI", 0x20023, 18, 0, 0, {18, 27, 0}},   // past the -1 that ends the list
      {0, "MVA-1216PCI", 0x20024, 127, 0, 0, {127, 27, 1}}, // the 28th entry of a full list
      {0, "MVA-1216PCI", 0x20024, 128, 0, 0, {128, 27, 0}},
      {0, "DIO-48PCI", 0x30001, 0, 0, 0, {48, kUntouched, kUntouched}},
      {0, "DIO-48PCI", 0x30002, 0, 0, 0, {1, kUntouched, kUntouched}},
      {0, "DIO-48PCI", 0x30009, 0, 0, 0, {1, kUntouched, kUntouched}},
      {0, "DIO-48PCI", 0x3000A, 0, 1, 0, {0, kUntouched, kUntouched}},
      {0, "CNT-4PCI", 0x50003, 0, 0, 0, {10000000, kUntouched, kUntouched}},
      {0, "SMC-4PCI", 0x60001, 0, 0, 0, {4, kUntouched, kUntouched}},
      {0, "RSC-8PCI", 0x70001, 0, 0, 0, {2, 64, kUntouched}},
      {0, "RSC-8PCI", 0x70003, 0, 1, 0, {0, kUntouched, kUntouched}},
  };
  for (const Case& c : cases) {
    machine(c.machine);
    int32_t p[3] = {c.in, kUntouched, kUntouched};
    EXPECT_EQ(DnkConfigGetBoardInfo(c.model, c.code, &p[0], &p[1], &p[2]), c.result)
        << c.model << " " << std::hex << c.code;
    for (int i = 0; i < 3; ++i) {
      int32_t seen = p[i];
      if ((c.shortOuts >> i) & 1) {
        int16_t low;
        std::memcpy(&low, &p[i], sizeof low);
        seen = low;
      }
      EXPECT_EQ(seen, c.out[i]) << c.model << " " << std::hex << c.code << " out " << i + 1;
    }
  }
}

TEST_F(BoardInfo, MissingPointersAnswerOneAndFloatsTakeSinglePrecision) {
  machine(0);
  char uart[20] = {};
  EXPECT_EQ(DnkConfigGetBoardInfo("RSI-4C(PCI)", 0x10001, uart, nullptr, nullptr), 0);
  EXPECT_STREQ(uart, "16C950");
  int32_t a = 17, b = 0;
  EXPECT_EQ(DnkConfigGetBoardInfo("RSI-4C(PCI)", 0x10002, nullptr, &b, nullptr), 1);
  EXPECT_EQ(DnkConfigGetBoardInfo("MVA-1216PCI", 0x20014, &a, nullptr, nullptr), 1);
  EXPECT_EQ(DnkConfigGetBoardInfo("MVA-1216PCI", 0x20023, &a, &b, nullptr), 1) << "the found flag needs p3";
  EXPECT_EQ(DnkConfigGetBoardInfo("RSC-8PCI", 0x70001, &a, nullptr, nullptr), 1);
  EXPECT_EQ(DnkConfigGetBoardInfo(nullptr, 0x70001, &a, &b, nullptr), 1);
  float gain[2] = {};
  EXPECT_EQ(DnkConfigGetBoardInfo("MVA-1216PCI", 0x20017, &gain[0], &gain[1], nullptr), 0);
  EXPECT_FLOAT_EQ(gain[0], 10.0f / 4096);
  EXPECT_FLOAT_EQ(gain[1], 20.0f / 4096);
}

}  // namespace
