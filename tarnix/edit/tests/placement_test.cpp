// Placing, inserting and removing records, and the renumbering behind them.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "support/list_builder.h"
#include "edit/list_editing.h"

namespace tarnix::testing {
namespace {

struct PlaceCase {
  const char* what;
  int32_t kind;
  std::vector<Head> before;
  Head record;
  int32_t mode;
  const char* after;
};

TEST(Placement, AddInsertModifyKeepTheOrderAndRenumber) {
  const PlaceCase cases[] = {
      {"add to an empty list", 5, {}, {0, 0, 1}, 1, "0.0.1@99 "},
      {"add below every entry", 5, {{1, 0, 1}, {2, 0, 1}}, {0, 0, 1}, 1, "0.0.1@99 1.0.1@0 2.0.1@1 "},
      {"add at a driver's end", 1, {{0, 0, 1}, {0, 0, 2}}, {0, 0, 3}, 1, "0.0.1@0 0.0.2@1 0.0.3@99 "},
      {"insert board 2 into a group of three", 2, {{3, 1, 1}, {3, 1, 2}, {3, 1, 3}}, {3, 1, 2}, 3,
       "3.1.1@0 3.1.2@99 3.1.3@1 3.1.4@2 "},
      {"insert leaves other drivers and groups alone", 3, {{1, 1, 1}, {1, 2, 1}, {2, 1, 1}}, {1, 1, 1}, 3,
       "1.1.1@99 1.1.2@0 1.2.1@1 2.1.1@2 "},
      {"insert a counter board 1", 5, {{0, 0, 1}, {0, 0, 2}, {1, 0, 1}}, {0, 0, 1}, 3,
       "0.0.1@99 0.0.2@0 0.0.3@1 1.0.1@2 "},
      {"GPIB insert at 2 moves the run 2, 3 into the free 4", 4, {{1, 0, 1}, {2, 0, 1}, {3, 0, 1}}, {2, 0, 1}, 3,
       "1.0.1@0 2.0.1@99 3.0.1@1 4.0.1@2 "},
      {"modify overwrites its entry", 7, {{0, 0, 1}, {0, 0, 2}}, {0, 0, 2}, 2, "0.0.1@0 0.0.2@99 "},
      {"modify of a missing entry changes nothing", 7, {{0, 0, 1}}, {0, 0, 2}, 2, "0.0.1@0 "},
  };
  for (const PlaceCase& c : cases) {
    AnyList list = MakeList(c.kind, c.before);
    AnyRecord r = NewRecord(c.kind, c.record);
    PlaceBoardRecord(c.kind, list.bytes, r.bytes, c.mode);
    EXPECT_EQ(Describe(c.kind, list), c.after) << c.what;
  }
}

TEST(Placement, InsertedFirstBoardTakesTheGroupsLinesAndNameIsShared) {
  AnyList list = MakeList(2, {{3, 1, 1}, {3, 1, 2}});
  ListView(2, list.bytes).as<AnalogBoardRecord>(0).irqNo = 10;
  AnyRecord r = NewRecord(2, {3, 1, 1});
  r.as<AnalogBoardRecord>().irqNo = 7;
  std::strcpy(r.as<AnalogBoardRecord>().objectName, "Ai");
  PlaceBoardRecord(2, list.bytes, r.bytes, 3);
  const ListView view(2, list.bytes);
  EXPECT_EQ(view.as<AnalogBoardRecord>(0).irqNo, 7);
  EXPECT_EQ(view.as<AnalogBoardRecord>(1).irqNo, -1);  // the former board 1
  for (std::size_t i = 0; i < 3; ++i) EXPECT_STREQ(view.as<AnalogBoardRecord>(i).objectName, "Ai");
}

TEST(Placement, FullListTakesNoSixtyFifthRecord) {
  std::vector<Head> heads;
  for (int32_t b = 1; b <= 64; ++b) heads.push_back({0, 0, b});
  AnyList list = MakeList(1, heads);
  const AnyList before = list;
  AnyRecord r = NewRecord(1, {0, 0, 1});
  for (int32_t mode : {1, 3}) {
    PlaceBoardRecord(1, list.bytes, r.bytes, mode);
    EXPECT_EQ(std::memcmp(before.bytes, list.bytes, sizeof list.bytes), 0);
  }
}

struct RemoveCase {
  const char* what;
  int32_t kind;
  std::vector<Head> before;
  Head removed;
  const char* after;
};

TEST(Placement, RemoveRenumbersBoardsAndGroups) {
  const RemoveCase cases[] = {
      {"counter board 1 of three", 5, {{0, 0, 1}, {0, 0, 2}, {0, 0, 3}, {1, 0, 1}}, {0, 0, 1},
       "0.0.1@1 0.0.2@2 1.0.1@3 "},
      {"analog board 1 of a group of three", 2, {{3, 1, 1}, {3, 1, 2}, {3, 1, 3}}, {3, 1, 1}, "3.1.1@1 3.1.2@2 "},
      {"last board of group 2 of three groups", 3, {{1, 1, 1}, {1, 2, 1}, {1, 3, 1}, {1, 3, 2}, {2, 3, 1}},
       {1, 2, 1}, "1.1.1@0 1.2.1@2 1.2.2@3 2.3.1@4 "},
      {"a group keeps its number while it has boards", 2, {{3, 1, 1}, {3, 2, 1}, {3, 2, 2}}, {3, 2, 1},
       "3.1.1@0 3.2.1@2 "},
  };
  for (const RemoveCase& c : cases) {
    AnyList list = MakeList(c.kind, c.before);
    RemoveBoardRecord(c.kind, list.bytes, c.removed.driver, c.removed.group, c.removed.board);
    EXPECT_EQ(Describe(c.kind, list), c.after) << c.what;
    // The freed slot behind the entries is zero.
    const ListView view(c.kind, list.bytes);
    const unsigned char* freed = view.record(view.count());
    EXPECT_TRUE(std::all_of(freed, freed + view.recordBytes(), [](unsigned char b) { return b == 0; })) << c.what;
  }
}

TEST(Placement, RemovedFirstBoardHandsItsLinesToTheNext) {
  AnyList list = MakeList(3, {{1, 1, 1}, {1, 1, 2}});
  ListView view(3, list.bytes);
  view.as<DigitalBoardRecord>(0).irqNos[0] = 11;
  RemoveBoardRecord(3, list.bytes, 1, 1, 1);
  EXPECT_EQ(view.as<DigitalBoardRecord>(0).irqNos[0], 11);
}

TEST(Placement, GpibDriverRuns) {
  struct RunCase {
    std::vector<Head> used;
    int32_t from;
    int32_t result;
    std::vector<int32_t> run;
  };
  const RunCase cases[] = {
      {{{1, 0, 1}, {2, 0, 1}, {3, 0, 1}}, 2, 0, {2, 3, 0}},
      {{{1, 0, 1}, {2, 0, 1}, {3, 0, 1}}, 4, 0, {0}},
      {{{1, 0, 1}, {2, 0, 1}, {3, 0, 1}, {4, 0, 1}}, 1, 1, {}},
      {{}, 5, 1, {}},
      {{}, 0, 1, {}},
  };
  for (const RunCase& c : cases) {
    AnyList list = MakeList(4, c.used);
    int32_t run[5] = {-7, -7, -7, -7, -7};
    EXPECT_EQ(FindGpibDriverRun(list.bytes, c.from, run), c.result) << "from " << c.from;
    EXPECT_EQ(std::vector<int32_t>(run, run + c.run.size()), c.run) << "from " << c.from;
  }
}

TEST(Placement, CompareOrdersValuesFarApart) {
  std::vector<int32_t> values = {0x7FFFFFF0, INT32_MIN + 5, 0, -1, INT32_MAX, INT32_MIN};
  std::qsort(values.data(), values.size(), sizeof(int32_t), CompareInt32);
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
  const int32_t low = INT32_MIN;
  const int32_t high = INT32_MAX;
  EXPECT_LT(CompareInt32(&low, &high), 0);
  EXPECT_GT(CompareInt32(&high, &low), 0);
}

}  // namespace
}  // namespace tarnix::testing
