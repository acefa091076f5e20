#include <gtest/gtest.h>

#include "system/tests/support/system_fixture.h"
#include "tables/board_models.h"

namespace {

using namespace tarnix;

class SerialRules : public SystemFixture {};

TEST_F(SerialRules, PortClassSharingAndAddressDecideThePortCode) {
  machine(0);
  struct Case {
    const char* model;
    int32_t address, code;
  } cases[] = {
      {"COM1", 0x3F8, 1},       {"COM1", 0x2E8, 1},        {"COM1", 0x2A0, 2},         {"COM1", 0x1B8, 2},
      {"COM1", 0x300, 0},       {"RSI-2C(PC)", 0x300, 2},  {"RSI-8C(PCI)", 0x300, 1},  {"RSI-4C", 0x3F8, 0},
      {"NO-SUCH", 0x3F8, 1},    {"", 0x3F8, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifySerialPort(c.model, c.address), c.code) << c.model << " " << std::hex << c.address;
  }
  machine(2);
  EXPECT_EQ(ClassifySerialPort("COM1", 0x3F8), -1);
  EXPECT_EQ(FindSerialChannelCount("RSI-4C"), 0);
  EXPECT_EQ(FindSerialBaudRateType("RSI-4C"), -1);
}

TEST_F(SerialRules, BoardTypeWordPacksTwoBitsAChannel) {
  const int32_t ports[8] = {0x3F8, 0x300, 0x2A0, 0x2F8, 0, 0, 0, 0};
  struct Case {
    int32_t machine;
    const char* model;
    int32_t first, last, word;
  } cases[] = {
      // Board type 0xFFFF: only its two low bits (3) go into a channel.
      {0, "RSI-2C", 5, 6, 0x1FFF0 | 0x0 | (3 << 2)},
      {0, "COM1", 1, 4, 0x1FF00 | (1 << 4)},
      {0, "RSI-4C", 1, 4, 0x1FFFF},  // a shared port keeps the model's type on every channel
      {1, "RSI-2C(98)", 1, 2, 0xFFF0},
      {1, "RSI-4C(PCI)", 1, 2, 0x1FFFA},      // a nonzero port class sets bit 16 on PC-9800 too
      {0, "RSI-2C", 1, 20, 0x1FF00 | (3 << 2) | (1 << 4)},  // at most eight channels
      {0, "RSI-2C", 3, 1, 0x1FFFF},           // no channel
  };
  for (const Case& c : cases) {
    machine(c.machine);
    EXPECT_EQ(BuildSerialBoardType(c.model, ports, c.first, c.last), c.word) << c.model;
  }
}

TEST_F(SerialRules, ChannelsBaudSingleInterruptAndComDefaults) {
  machine(1);
  EXPECT_EQ(FindSerialChannelCount("RSI-8C(PCI)"), 8);
  EXPECT_EQ(FindSerialBaudRateType("RSI-8C(PCI)"), 2);
  EXPECT_EQ(FindSerialChannelCount("NO-SUCH"), 0);
  EXPECT_EQ(FindSerialBaudRateType(""), -1);
  struct Case {
    int32_t machine;
    const char* model;
    int32_t single;
  } cases[] = {{1, "RSI-2C(98)", 1}, {1, "RSI-4C(PCI)", 1}, {1, "RSI-8C(PCI)", 0}, {1, "RSI-2C", 0},
               {0, "RSI-4C(PCI)", 0}, {1, "NO-SUCH", 0}};
  for (const Case& c : cases) {
    machine(c.machine);
    EXPECT_EQ(IsSingleInterruptModel(c.model), c.single) << c.model << " on " << c.machine;
  }
  machine(0);
  int32_t v[5] = {9, 9, 9, 9, 9};
  EXPECT_EQ(FindComPortDefaults("RSC-4PCI-R2", &v[0], &v[1], &v[2], &v[3], &v[4]), 0);
  EXPECT_EQ(std::vector<int32_t>(v, v + 5), (std::vector<int32_t>{4, 1, 8, 64, 64}));
  EXPECT_EQ(FindComPortDefaults("NO-SUCH", &v[0], &v[1], &v[2], &v[3], &v[4]), -1);
  EXPECT_EQ(std::vector<int32_t>(v, v + 5), (std::vector<int32_t>{0, 0, 0, 0, 0}));
  v[0] = 9;
  EXPECT_EQ(FindComPortDefaults("", &v[0], nullptr, nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(v[0], 9) << "an empty name leaves the outs";
}

}  // namespace
