// The board-list exports as a configuration program calls them.
#include <gtest/gtest.h>

#include <functional>

#include <tarnix.h>

#include "library_state.h"
#include "support/list_builder.h"

namespace tarnix::testing {
namespace {

class ListExports : public ::testing::Test {
 protected:
  FakeLibrary fake;
};

TEST_F(ListExports, ListClaimingMoreThan64RecordsIsRefusedUntouched) {
  AnyList list = MakeList(5, {{0, 0, 1}});
  list.count() = 65;
  AnyRecord r = NewRecord(5, {0, 0, 2});
  const std::function<LONG()> calls[] = {
      [&] { return DnkConfigCheckListData(5, list.bytes); },
      [&] { return DnkConfigSelectBoardData(5, list.bytes, 0, 0, 1, r.bytes); },
      [&] { return DnkConfigCheckBoardData(5, list.bytes, 0, 0, 2, r.bytes, 1); },
      [&] { return DnkConfigAddBoardData(5, list.bytes, 0, 0, r.bytes); },
      [&] { return DnkConfigModBoardData(5, list.bytes, 0, 0, 1, r.bytes); },
      [&] { return DnkConfigInsBoardData(5, list.bytes, 0, 0, 1, r.bytes); },
      [&] { return DnkConfigExchangeBoardData(5, list.bytes, 0, 0, 1, 0, 0, 1); },
      [&] { return DnkConfigDelBoardData(5, list.bytes, 0, 0, 1); },
      [&] { return DnkConfigDelGrp(2, list.bytes, 0, 1); },
      [&] { return DnkConfigDelDrv(5, list.bytes, 0); },
      [&] { return DnkConfigGetGrpMax(2, list.bytes, 0); },
      [&] { return DnkConfigGetBoardMax(5, list.bytes, 0, 0); },
  };
  const AnyList before = list;
  for (std::size_t i = 0; i < std::size(calls); ++i) {
    EXPECT_EQ(calls[i](), 1) << "call " << i;
    EXPECT_EQ(std::memcmp(before.bytes, list.bytes, sizeof list.bytes), 0) << "call " << i;
  }
}

TEST_F(ListExports, AFullListIsReadToItsLastRecord) {
  std::vector<Head> heads;
  for (int32_t b = 1; b <= 64; ++b) heads.push_back({0, 0, b});
  struct Row {
    uint32_t count;
    LONG selectLast, boardMax;
  } rows[] = {{63, 3, 63}, {64, 0, 64}, {65, 1, 1}};
  for (const Row& row : rows) {
    AnyList list = MakeList(1, heads);
    list.count() = row.count;
    AnyRecord r = NewRecord(1, {0, 0, 1});
    EXPECT_EQ(DnkConfigSelectBoardData(1, list.bytes, 0, 0, 64, r.bytes), row.selectLast) << row.count;
    EXPECT_EQ(DnkConfigGetBoardMax(1, list.bytes, 0, 0), row.boardMax) << row.count;
  }
}

TEST_F(ListExports, SelectExchangeAndTheHighestNumbers) {
  AnyList list = MakeList(2, {{3, 1, 1}, {3, 1, 2}, {3, 2, 1}});
  AnyRecord out;
  out.bytes[0] = 0x55;
  EXPECT_EQ(DnkConfigSelectBoardData(2, list.bytes, 3, 1, 2, out.bytes), 0);
  EXPECT_EQ(GetRun(out.bytes, FieldsOf(2)->io, 0), 0x101);
  EXPECT_EQ(DnkConfigSelectBoardData(2, list.bytes, 3, 3, 1, out.bytes), 3);
  EXPECT_EQ(out.head().driverNumber, 0);
  EXPECT_EQ(DnkConfigSelectBoardData(9, list.bytes, 3, 1, 1, out.bytes), 1);

  EXPECT_EQ(DnkConfigExchangeBoardData(2, list.bytes, 3, 1, 1, 3, 2, 1), 0);
  EXPECT_EQ(Describe(2, list), "3.1.1@2 3.1.2@1 3.2.1@0 ");
  EXPECT_EQ(DnkConfigExchangeBoardData(2, list.bytes, 3, 1, 1, 3, 4, 1), 3);

  EXPECT_EQ(DnkConfigGetGrpMax(2, list.bytes, 3), 2);
  EXPECT_EQ(DnkConfigGetGrpMax(5, list.bytes, 3), 0);
  EXPECT_EQ(DnkConfigGetBoardMax(2, list.bytes, 3, 1), 2);
  EXPECT_EQ(DnkConfigGetBoardMax(2, list.bytes, 4, 1), 0);
  EXPECT_EQ(DnkConfigGetBoardMax(2, nullptr, 3, 1), 1);
}

TEST_F(ListExports, Removals) {
  AnyList list = MakeList(3, {{1, 1, 1}, {1, 1, 2}, {1, 2, 1}, {2, 1, 1}});
  EXPECT_EQ(DnkConfigDelBoardData(3, list.bytes, 1, 2, 2), 3);
  EXPECT_EQ(DnkConfigDelGrp(5, list.bytes, 1, 1), 1);
  EXPECT_EQ(DnkConfigDelGrp(3, list.bytes, 1, 3), 3);
  // Group 2 moves down into the emptied group 1 and stays.
  EXPECT_EQ(DnkConfigDelGrp(3, list.bytes, 1, 1), 0);
  EXPECT_EQ(Describe(3, list), "1.1.1@2 2.1.1@3 ");
  EXPECT_EQ(DnkConfigDelDrv(3, list.bytes, 1), 0);
  EXPECT_EQ(Describe(3, list), "2.1.1@3 ");
  EXPECT_EQ(DnkConfigDelDrv(3, list.bytes, 1), 3);
  EXPECT_EQ(DnkConfigDelTool(3, list.bytes), 0);
  EXPECT_EQ(list.count(), 0u);
  EXPECT_EQ(DnkConfigDelDrv(3, list.bytes, 2), 3);
  EXPECT_EQ(DnkConfigDelTool(9, list.bytes), 1);
}

struct EditCase {
  const char* what;
  int32_t kind;
  std::vector<Head> before;
  std::function<LONG(void* list, AnyRecord& r)> call;
  LONG expected;
  const char* after;  // the list's entries afterwards, nullptr: unchanged
};

TEST_F(ListExports, AddInsertModifyHeadsAndLimits) {
  std::vector<Head> fullCounter, fullGroup, sixtyFour;
  for (int32_t b = 1; b <= 16; ++b) fullCounter.push_back({0, 0, b});
  for (int32_t b = 1; b <= 4; ++b) fullGroup.push_back({3, 1, b});
  for (int32_t b = 1; b <= 64; ++b) sixtyFour.push_back({b <= 32 ? 0 : 1, 0, (b - 1) % 32 + 1});
  const auto add = [](int32_t kind, int32_t driver, int32_t group) {
    return [=](void* l, AnyRecord& r) { return DnkConfigAddBoardData(kind, l, driver, group, r.bytes); };
  };
  const auto ins = [](int32_t kind, int32_t driver, int32_t group, int32_t board) {
    return [=](void* l, AnyRecord& r) { return DnkConfigInsBoardData(kind, l, driver, group, board, r.bytes); };
  };
  const auto mod = [](int32_t kind, int32_t driver, int32_t group, int32_t board) {
    return [=](void* l, AnyRecord& r) { return DnkConfigModBoardData(kind, l, driver, group, board, r.bytes); };
  };
  const EditCase cases[] = {
      {"analog add into the next group", 2, {{3, 1, 1}}, add(2, 0, 2), 0, "3.1.1@0 3.2.1@99 "},
      {"analog add leaving a group out", 2, {{3, 1, 1}}, add(2, 0, 3), 6, nullptr},
      {"analog add to group 0", 2, {}, add(2, 0, 0), 6, nullptr},
      {"analog add to a full group", 2, fullGroup, add(2, 0, 1), 6, nullptr},
      {"counter add beyond 16", 5, fullCounter, add(5, 0, 0), 6, nullptr},
      {"add to a list of 64", 1, sixtyFour, add(1, 0, 0), 6, nullptr},
      {"GPIB add takes the lowest free driver", 4, {{1, 0, 1}, {2, 0, 1}}, add(4, 0, 0), 0,
       "1.0.1@0 2.0.1@1 3.0.1@99 "},
      {"GPIB add on a used driver", 4, {{1, 0, 1}}, add(4, 1, 0), 6, nullptr},
      {"GPIB add on driver 5", 4, {}, add(4, 5, 0), 6, nullptr},
      {"GPIB add on driver -1", 4, {}, add(4, -1, 0), 6, nullptr},
      {"counter insert at 17", 5, {}, ins(5, 0, 0, 17), 6, nullptr},
      {"counter insert at 0", 5, {}, ins(5, 0, 0, 0), 6, nullptr},
      {"counter insert leaving a gap", 5, {{0, 0, 1}, {0, 0, 2}}, ins(5, 0, 0, 10), 6, nullptr},
      {"counter insert into a full driver", 5, fullCounter, ins(5, 0, 0, 1), 6, nullptr},
      {"analog insert into a full group", 2, fullGroup, ins(2, 0, 1, 1), 6, nullptr},
      {"analog insert at board 5", 2, {}, ins(2, 0, 1, 5), 6, nullptr},
      {"insert into a list of 64", 1, sixtyFour, ins(1, 0, 0, 1), 6, nullptr},
      {"counter insert at 1 moves the driver's boards", 5, {{0, 0, 1}, {0, 0, 2}}, ins(5, 0, 0, 1), 0,
       "0.0.1@99 0.0.2@0 0.0.3@1 "},
      {"GPIB insert at a taken driver moves the run", 4, {{1, 0, 1}, {2, 0, 1}, {3, 0, 1}}, ins(4, 2, 0, 1), 0,
       "1.0.1@0 2.0.1@99 3.0.1@1 4.0.1@2 "},
      {"GPIB insert with every driver taken", 4, {{1, 0, 1}, {2, 0, 1}, {3, 0, 1}, {4, 0, 1}}, ins(4, 2, 0, 1), 6,
       nullptr},
      {"GPIB insert at board 2", 4, {}, ins(4, 1, 0, 2), 6, nullptr},
      {"modify a missing entry", 5, {{0, 0, 1}}, mod(5, 0, 0, 2), 3, nullptr},
      {"modify with a model of another driver", 5, {{1, 0, 1}}, mod(5, 1, 0, 1), 6, nullptr},
      {"modify in place", 5, {{0, 0, 1}, {0, 0, 2}}, mod(5, 0, 0, 2), 0, "0.0.1@0 0.0.2@99 "},
      {"GPIB modify keeps any model's driver", 4, {{3, 0, 1}}, mod(4, 3, 0, 1), 0, "3.0.1@99 "},
  };
  for (const EditCase& c : cases) {
    AnyList list = MakeList(c.kind, c.before);
    const std::string before = Describe(c.kind, list);
    AnyRecord r = NewRecord(c.kind, {77, 77, 77});
    EXPECT_EQ(c.call(list.bytes, r), c.expected) << c.what;
    EXPECT_EQ(Describe(c.kind, list), c.after != nullptr ? c.after : before) << c.what;
    if (c.expected == 0) {
      EXPECT_NE(r.head().boardNumber, 77) << c.what << ": the placed head goes back";
    }
  }
}

TEST_F(ListExports, ModelWithoutDriverOrConflictChangesNothing) {
  AnyList list = MakeList(5, {{0, 0, 1}});
  AnyRecord unknown = NewRecord(5, {0, 0, 2});
  std::strcpy(unknown.head().boardName, "NO-SUCH");
  EXPECT_EQ(DnkConfigAddBoardData(5, list.bytes, 0, 0, unknown.bytes), 2);
  AnyRecord clash = NewRecord(5, {0, 0, 2});
  SetRun(clash.bytes, FieldsOf(5)->io, 0, 0x100);  // board 1's address
  EXPECT_EQ(DnkConfigAddBoardData(5, list.bytes, 0, 0, clash.bytes), 2);
  EXPECT_EQ(Describe(5, list), "0.0.1@0 ");
  int32_t word1 = 0, word2 = 0;
  DnkConfigGetExtError(&word1, &word2);
  EXPECT_EQ(word1, 5 << 26 | 2);
  EXPECT_EQ(word2, 5 << 26 | 1);
  DnkConfigGetExtError(nullptr, nullptr);
  EXPECT_EQ(GetRun(clash.bytes, FieldsOf(5)->io, 0), 0x100);
  EXPECT_EQ(clash.head().boardNumber, 2) << "a refused record is handed back as it came";
}

TEST_F(ListExports, CheckBoardDataTestsTheGivenHead) {
  AnyList list = MakeList(5, {{0, 0, 1}});
  AnyRecord r = NewRecord(5, {0, 0, 1});
  SetRun(r.bytes, FieldsOf(5)->io, 0, 0x100);
  EXPECT_EQ(DnkConfigCheckBoardData(5, list.bytes, 0, 0, 1, r.bytes, 2), 0);
  EXPECT_EQ(DnkConfigCheckBoardData(5, list.bytes, 0, 0, 2, r.bytes, 2), 5 << 3 | 2);
  EXPECT_EQ(DnkConfigCheckBoardData(5, list.bytes, 0, 0, 17, r.bytes, 2), 3 << 3 | 1);
  EXPECT_EQ(DnkConfigCheckBoardData(9, list.bytes, 0, 0, 17, r.bytes, 2), 0);
  EXPECT_EQ(DnkConfigCheckListData(5, list.bytes), 0);
}

}  // namespace
}  // namespace tarnix::testing
