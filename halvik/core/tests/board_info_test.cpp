#include <gtest/gtest.h>
#include <halvik.h>

#include <cstdint>
#include <set>
#include <string>

#include "board_table.h"

namespace {

using namespace halvik;

int16_t info16(const char* model, short type) {
  int16_t value = -99;
  EXPECT_EQ(XanGetDeviceInfo(model, type, &value, nullptr, nullptr), 0) << model << " " << type;
  return value;
}

TEST(BoardTable, HoldsTheProductRowsThenDemoThenEnd) {
  const auto& table = BoardTable();
  ASSERT_EQ(table.size(), 83u);
  EXPECT_EQ(table[81].model, "Demo Device");
  EXPECT_EQ(table[82].model, "END");
  std::set<std::string> names;
  for (size_t i = 0; i + 1 < table.size(); ++i) {
    const char* model = table[i].model.c_str();
    EXPECT_TRUE(names.insert(model).second) << "twice: " << model;
    EXPECT_EQ(info16(model, 10016), 0) << model;
    EXPECT_EQ(info16(model, 20016), i == 0 ? 0x2 : 0) << model << ": only the first outputs by bus master";
    for (short bits : {info16(model, 10), info16(model, 11)}) EXPECT_TRUE(bits == 12 || bits == 16) << model;
  }
  int16_t value = 0;
  EXPECT_EQ(XanGetDeviceInfo("END", 1, &value, nullptr, nullptr), 10000);
}

TEST(BoardTable, SimulatedModelsCarryTheirCapabilities) {
  const struct {
    const char* model;
    short values[7];  // info types 1, 2, 3, 4, 5, 10, 11
  } cases[] = {
      {"HVA-1632PE", {32, 2, 4, 4, 2, 16, 16}},
      {"HVA-1216PCI", {16, 2, 4, 4, 0, 12, 12}},
      {"Demo Device", {16, 2, 4, 4, 2, 12, 12}},
      {"Demo", {16, 2, 4, 4, 2, 12, 12}},  // the name the virtual device registers
      {"TXQ-830715ZB-USB", {8, 2, 8, 8, 1, 16, 16}},
      {"HVU-1608USB", {8, 2, 4, 4, 0, 16, 16}},
  };
  const short types[7] = {1, 2, 3, 4, 5, 10, 11};
  for (const auto& c : cases) {
    for (int i = 0; i < 7; ++i) EXPECT_EQ(info16(c.model, types[i]), c.values[i]) << c.model << " " << types[i];
  }
}

TEST(DeviceInfo, ListsOutputsAndRefusals) {
  const char* m = "HVA-1632PE";
  const BoardRow& row = *FindBoardRow(m);
  const int16_t count = static_cast<int16_t>(row.ai.ranges.size());
  int16_t index = 0, code = -1, isDefault = -1;
  ASSERT_EQ(XanGetDeviceInfo(m, 10002, &index, &code, &isDefault), 0);
  EXPECT_EQ(code, row.ai.ranges[0]);
  EXPECT_EQ(isDefault, 1);
  index = 1;
  ASSERT_EQ(XanGetDeviceInfo(m, 10002, &index, &code, &isDefault), 0);
  EXPECT_EQ(isDefault, 0);
  EXPECT_EQ(XanGetDeviceInfo(m, 10002, &index, nullptr, nullptr), 0) << "NULL outputs are skipped";
  index = count;
  EXPECT_EQ(XanGetDeviceInfo(m, 10002, &index, &code, &isDefault), 10000);
  index = -1;
  EXPECT_EQ(XanGetDeviceInfo(m, 20002, &index, &code, &isDefault), 10000);

  int16_t probe = 0, has = -1;
  EXPECT_EQ(XanGetDeviceInfo(m, 10005, &probe, &has, nullptr), 0);
  EXPECT_EQ(has, 1);
  probe = 9;
  EXPECT_EQ(XanGetDeviceInfo(m, 20006, &probe, &has, nullptr), 0);
  EXPECT_EQ(has, 0);
  probe = 10;
  EXPECT_EQ(XanGetDeviceInfo(m, 10006, &probe, &has, nullptr), 10000);
  EXPECT_EQ(XanGetDeviceInfo(m, 10005, &probe, nullptr, nullptr), 10000);

  int32_t a = 0, b = 0, c = 0;
  EXPECT_EQ(XanGetDeviceInfo(m, 10013, &a, nullptr, &c), 0);
  EXPECT_EQ(a, static_cast<int32_t>(row.ai.value13[0]));
  EXPECT_EQ(c, static_cast<int32_t>(row.ai.value13[2]));
  EXPECT_EQ(XanGetDeviceInfo(m, 20010, &a, &b, nullptr), 0);
  EXPECT_EQ(b, static_cast<int32_t>(row.ao.value10[1]));

  // 16-bit answers write two bytes, 32-bit ones four.
  const struct {
    short type;
    uint32_t expected;
  } widths[] = {{1, 0xFFFF0020u},
                {20004, 0xFFFF0001u},
                {10017, 0xFFFF0000u | static_cast<uint16_t>(row.ai.value17)},
                {20016, 0xFFFF0000u | static_cast<uint16_t>(row.ao.bufferMode)},
                {10001, 65536u},
                {100, 0u}};
  for (const auto& w : widths) {
    uint32_t out = 0xFFFFFFFFu;
    EXPECT_EQ(XanGetDeviceInfo(m, w.type, &out, nullptr, nullptr), 0) << w.type;
    EXPECT_EQ(out, w.expected) << w.type;
  }

  const struct {
    const char* model;
    short type;
    bool param1;
  } refused[] = {{"HVA-1632PE", 7, true},     {"HVA-1632PE", 10000, true}, {"HVA-1632PE", 10018, true},
                 {"HVA-1632PE", 20000, true},     {"HVA-1632PE", 20017, true},
                 {"HVA-1632PE", 1, false},    {"hva-1632pe", 1, true},     {"Demo Device X", 1, true},
                 {nullptr, 1, true}};
  for (const auto& r : refused) {
    uint32_t out = 0;
    EXPECT_EQ(XanGetDeviceInfo(r.model, r.type, r.param1 ? &out : nullptr, &out, &out), 10000) << r.type;
  }
}

TEST(DeviceType, FirstMatchingRuleOfTheModelName) {
  const struct {
    const char* model;
    short type;
    LONG status;
  } cases[] = {{"HVA-1216PCI", 1, 0},     {"HVA-1216LPCI", 1, 0},  {"HVA-1632PE", 1, 0}, {"HVA-USB-PCI", 1, 0},
               {"HVA-1216(PM)", 2, 0},    {"HVU-1608USB", 3, 0},   {"HVA-1216(PC)", 4, 0}, {"Demo Device", 5, 0},
               {"HVA-1216CB", 6, 0},      {"XYZ", -1, 10013}};
  for (const auto& c : cases) {
    short type = 99;
    EXPECT_EQ(XanGetDeviceType(c.model, &type), c.status) << c.model;
    EXPECT_EQ(type, c.type) << c.model;
  }
  short type = 0;
  EXPECT_EQ(XanGetDeviceType(nullptr, &type), 10014);
  EXPECT_EQ(XanGetDeviceType("HVA-1216PCI", nullptr), 10015);
}

}  // namespace
