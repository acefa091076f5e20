// The shape of vendor A's board configuration tables: the driver rows of
// every kind and family, the image's block counts and the count bounds.
#include "xan_board_config.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

using namespace xanconfig;

namespace {

struct KindRows {
  int32_t kind;
  std::vector<int32_t> numbers;
  int digits;  // of the driver number in the service name
};

std::vector<int32_t> analogNumbers() {
  std::vector<int32_t> n;
  for (int32_t i = 0; i <= 30; ++i) n.push_back(i);
  n.push_back(50);
  n.push_back(55);
  return n;
}

std::string numbered(const std::string& stem, int32_t number, int digits) {
  if (digits == 0) return stem;
  std::string text = std::to_string(number);
  return stem + std::string(static_cast<std::size_t>(digits) - text.size(), '0') + text;
}

TEST(DriverFileTables, RowsCarryTheirNumbersAndEndWithTheEndRow) {
  const KindRows kinds[] = {{1, {0}, 0},
                            {2, analogNumbers(), 2},
                            {3, {0, 1, 2, 3, 4, 5, 6}, 2},
                            {4, {1, 2, 3, 4}, 1},
                            {5, {0, 1, 2, 3, 4, 5}, 2},
                            {6, {0, 1}, 2},
                            {7, {0}, 0},
                            {10, {0}, 2}};
  for (const KindRows& k : kinds) {
    for (OsFamily os : {OsFamily::Nt, OsFamily::Win9x}) {
      SCOPED_TRACE(std::to_string(k.kind) + (os == OsFamily::Nt ? " NT" : " 9x"));
      const DriverFileTable table = driverFileTable(k.kind, os);
      const KindInfo* info = kindInfo(k.kind);
      ASSERT_NE(info, nullptr);
      const uint32_t rows = os == OsFamily::Nt ? info->ntRows : info->win9xRows;
      ASSERT_EQ(table.size(), rows + 1);
      EXPECT_STREQ(table.back().fileName, "End");
      EXPECT_STREQ(table.back().serviceName, "End");
      const std::string ext = os == OsFamily::Nt ? ".SYS" : ".VXD";
      const std::string stem(table[0].serviceName, std::strlen(table[0].serviceName) - k.digits);
      for (std::size_t i = 0; i < rows; ++i) {
        const DriverFileRow& row = table[i];
        ASSERT_LT(strnlen(row.fileName, kDriverNameBytes), kDriverNameBytes);
        EXPECT_EQ(row.driverNumber, k.numbers[std::min(i, k.numbers.size() - 1)]);
        if (k.kind == 7 && os == OsFamily::Win9x) continue;  // two files of their own names
        EXPECT_EQ(row.serviceName, numbered(stem, row.driverNumber, k.digits));
        EXPECT_EQ(row.fileName, row.serviceName + ext);
      }
    }
  }
  EXPECT_STREQ(driverFileTable(2, OsFamily::Nt)[0].fileName, "Morvel00.SYS");
  EXPECT_STREQ(driverFileTable(2, OsFamily::Win9x)[32].serviceName, "Morvel55");
  for (int32_t none : {0, 8, 9, 11, -1}) EXPECT_TRUE(driverFileTable(none, OsFamily::Nt).empty()) << none;
}

TEST(ConfigurationImageShape, BlocksListsAndCountBounds) {
  const std::pair<int32_t, std::size_t> blocks[] = {{1, 1}, {2, 33}, {3, 7}, {4, 4}, {5, 6},
                                                    {6, 2}, {7, 1},  {8, 0}, {9, 0}, {10, 1}};
  for (auto [kind, count] : blocks) EXPECT_EQ(imageBlocks(kind), count) << kind;
  EXPECT_EQ(boardListBytes(*kindInfo(2)), 4u + 64u * 180u);
  EXPECT_EQ(sizeof(ConfigurationImage<33>), 33 * sizeof(DriverBlock));

  const int32_t counts[][3] = {{-5, 16, 0}, {0, 16, 0}, {16, 16, 16}, {17, 16, 16}, {INT_MAX, 64, 64}, {3, 4, 3}};
  for (const auto& c : counts) EXPECT_EQ(clampCount(c[0], c[1]), c[2]) << c[0];

  const int32_t categories[][2] = {{1, 1}, {6, 6}, {10, 7}, {7, 100}, {9, -1}};
  for (const auto& c : categories) EXPECT_EQ(categoryOf(c[0]), c[1]) << c[0];
  EXPECT_EQ(deviceTypeOf(4), 4);
  EXPECT_EQ(deviceTypeOf(5), 0);
}

}  // namespace
