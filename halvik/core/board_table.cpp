#include "board_table.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <set>
#include <utility>
#include <vector>

namespace halvik {

namespace {

// The family values shared by every model of one kind; input and output
// differ in their ranges, codes and lowest clock.
FamilyInfo familyValues(int bits, std::vector<int16_t> ranges, std::vector<int16_t> codes5,
                        std::vector<int16_t> codes6, double lowestClock) {
  FamilyInfo f;
  f.ranges = std::move(ranges);
  f.value1 = bits == 16 ? 65536 : 8192;
  f.value3 = 1;
  f.value4 = bits == 16 ? 1 : 0;
  f.codes5 = std::move(codes5);
  f.codes6 = std::move(codes6);
  f.value10[0] = lowestClock;
  f.value10[1] = 1000000000.0;
  f.value11[0] = 0.0;
  f.value11[1] = 65535.0;
  f.value13[0] = 1.0;
  f.value13[1] = 10.0;
  f.value13[2] = 100.0;
  f.value14 = 1;
  f.value15 = 2147483647;
  return f;
}

FamilyInfo inputValues(int bits) {
  return familyValues(bits, bits == 16 ? std::vector<int16_t>{0, 1, 2, 3, 4, 50, 51, 53, 54}
                                       : std::vector<int16_t>{0, 1, 2, 50, 51, 53},
                      {0, 1, 2}, {0, 1}, 1.0);
}

FamilyInfo outputValues(int bits) {
  return familyValues(bits, bits == 16 ? std::vector<int16_t>{0, 1, 50, 51} : std::vector<int16_t>{0, 50}, {0, 1},
                      {0}, 10.0);
}

struct Capabilities {
  int aiChannels, aiBits, aoChannels, aoBits, diBits, doBits, counters;
};

BoardRow makeRow(const std::string& model, const Capabilities& c) {
  BoardRow row;
  row.model = model;
  const int values[kBoardCapabilities] = {c.aiChannels, c.aoChannels, c.diBits, c.doBits,
                                          c.counters,   c.aiBits,     c.aoBits};
  for (int i = 0; i < kBoardCapabilities; ++i) row.capabilities[i] = static_cast<int16_t>(values[i]);
  if (c.aiChannels > 0) row.ai = inputValues(c.aiBits);
  if (c.aoChannels > 0) row.ao = outputValues(c.aoBits);
  return row;
}

// The models the simulated devices are: their rows are fixed.
const struct {
  const char* model;
  Capabilities capabilities;
} kFixedRows[] = {
    {"HVA-1632PE", {32, 16, 2, 16, 4, 4, 2}},
    {"HVA-1216PCI", {16, 12, 2, 12, 4, 4, 0}},
    {"TXQ-830715ZB-USB", {8, 16, 2, 16, 8, 8, 1}},
    {"TX-4297ZB-USB", {4, 16, 2, 16, 8, 8, 1}},
    {"HVU-1608USB", {8, 16, 2, 16, 4, 4, 0}},
};
const Capabilities kDemo = {16, 12, 2, 12, 4, 4, 2};

// The product lines: "<prefix><bits><channels><bus>" for each resolution
// and channel count. Input boards ("HVA-", "HVU-") carry two outputs;
// output boards ("HVO-") none of the inputs.
const struct {
  const char* prefix;
  const char* bus;
  std::initializer_list<int> bits;
  std::initializer_list<int> channels;
  int counters;
} kFamilies[] = {
    {"HVA-", "PCI", {12, 16}, {8, 16, 32, 64}, 2},   {"HVA-", "LPCI", {12, 16}, {8, 16, 32, 64}, 2},
    {"HVA-", "PE", {12, 16}, {8, 16, 32, 64}, 2},    {"HVA-", "CB", {12, 16}, {8, 16, 32}, 0},
    {"HVA-", "(PC)", {12, 16}, {8, 16, 32}, 0},      {"HVA-", "(PM)", {12, 16}, {8, 16, 32}, 0},
    {"HVU-", "USB", {12, 16}, {4, 8, 16, 32, 64}, 0}, {"HVO-", "PCI", {12, 16}, {4, 8, 16}, 0},
    {"HVO-", "LPCI", {12, 16}, {4, 8, 16}, 0},       {"HVO-", "PE", {12, 16}, {4, 8, 16}, 0},
    {"HVO-", "USB", {12, 16}, {4, 8, 16}, 0},        {"HVO-", "CB", {16}, {4, 8, 16}, 0},
};

std::vector<BoardRow> buildTable() {
  std::vector<BoardRow> rows;
  std::set<std::string> names;
  for (const auto& fixed : kFixedRows) {
    rows.push_back(makeRow(fixed.model, fixed.capabilities));
    names.insert(fixed.model);
  }
  // Bus-master output (info type 20016, bit 0x2): one model has it.
  rows.front().ao.bufferMode = 0x2;
  for (const auto& family : kFamilies) {
    const bool output = std::strcmp(family.prefix, "HVO-") == 0;
    for (int bits : family.bits) {
      for (int channels : family.channels) {
        char model[64];
        std::snprintf(model, sizeof model, "%s%02d%02d%s", family.prefix, bits, channels, family.bus);
        if (!names.insert(model).second) continue;
        Capabilities c = output ? Capabilities{0, bits, channels, bits, 4, 4, family.counters}
                                : Capabilities{channels, bits, 2, bits, 4, 4, family.counters};
        rows.push_back(makeRow(model, c));
      }
    }
  }
  rows.push_back(makeRow("Demo Device", kDemo));
  rows.push_back(BoardRow{});
  rows.back().model = "END";
  return rows;
}

}  // namespace

const std::vector<BoardRow>& BoardTable() {
  static const std::vector<BoardRow> table = buildTable();
  return table;
}

const BoardRow* FindBoardRow(const char* model) {
  if (model == nullptr) return nullptr;
  if (std::strcmp(model, "Demo") == 0) model = "Demo Device";
  const std::vector<BoardRow>& table = BoardTable();
  for (size_t i = 0; i + 1 < table.size(); ++i) {
    if (table[i].model == model) return &table[i];
  }
  return nullptr;
}

}  // namespace halvik
