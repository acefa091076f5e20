#include <gtest/gtest.h>

#include <tarnix.h>

#include <string>
#include <vector>

#include "system/tests/support/system_fixture.h"
#include "tables/board_models.h"

namespace {

using namespace tarnix;

class BoardList : public SystemFixture {
 protected:
  void SetUp() override {
    SystemFixture::SetUp();
    machine(0);
  }
  // Every name of a walk from the first to the end.
  static std::vector<std::string> walk(int32_t kind) {
    std::vector<std::string> names;
    char name[40] = "stale";
    for (LONG r = DnkConfigGetBoardListFirst(kind, name); r == 0; r = DnkConfigGetBoardListNext(kind, name)) {
      names.emplace_back(name);
    }
    EXPECT_STREQ(name, "");
    return names;
  }
};

TEST_F(BoardList, OffersOnlyModelsOfInstalledDriversAndCountsThem) {
  install("drivers/Morvel00.SYS");
  const std::vector<std::string> names = walk(2);
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.front(), "MVA-1216PCI");
  for (const std::string& n : names) EXPECT_EQ(FindModelDriverNumber(n.c_str()), 0) << n;
  EXPECT_EQ(DnkConfigGetBoardListNum(2), static_cast<LONG>(names.size()));

  char name[40] = "stale";
  EXPECT_EQ(DnkConfigGetBoardListNext(2, name), 3) << "the end answers 3 until the walk restarts";
  EXPECT_STREQ(name, "");
  EXPECT_EQ(DnkConfigGetBoardListFirst(2, name), 0);
  EXPECT_STREQ(name, "MVA-1216PCI");

  EXPECT_TRUE(walk(5).empty()) << "no counter driver installed";
  EXPECT_EQ(DnkConfigGetBoardListNext(2, name), 0) << "each kind walks on its own";
  EXPECT_STREQ(name, "MVA-1216FPCI");
  DnkConfigSetBoardCheckMode(0);
  EXPECT_EQ(walk(2).size(), 45u);
  EXPECT_EQ(DnkConfigGetBoardListNum(2), 45);
}

TEST_F(BoardList, SteppersAreListedByTheirRowsDriverNumbers) {
  install("drivers/Stpdel01.SYS");
  machine(1);
  const std::vector<std::string> names = walk(6);
  EXPECT_EQ(names, (std::vector<std::string>{"SMC-2", "SMC-4(98)", "SMCX-N001"}));
}

TEST_F(BoardList, BadKindsAndMissingOutsAnswerOne) {
  char name[40];
  for (int32_t kind : {0, 8, 9, 11, -1}) {
    EXPECT_EQ(DnkConfigGetBoardListFirst(kind, name), 1) << kind;
    EXPECT_EQ(DnkConfigGetBoardListNext(kind, name), 1) << kind;
    EXPECT_EQ(DnkConfigGetBoardListNum(kind), 0) << kind;
  }
  EXPECT_EQ(DnkConfigGetBoardListFirst(2, nullptr), 1);
  machine(4);
  EXPECT_EQ(DnkConfigGetBoardListFirst(2, name), 1);
  EXPECT_EQ(DnkConfigGetBoardListNum(2), 0);
}

}  // namespace
