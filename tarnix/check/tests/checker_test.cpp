// What the checker answers before any test, what it leaves in the extended
// error words, and the whole-list check.
#include <gtest/gtest.h>

#include "check/checker.h"
#include "library_state.h"
#include "support/valid_records.h"

namespace tarnix::testing {
namespace {

constexpr int32_t Byte(int32_t check, int32_t severity) { return check << 3 | severity; }

class Checker : public ::testing::Test {
 protected:
  FakeLibrary fake;
  AnyList list;
  AnyRecord bad = [] {
    AnyRecord r = ValidRecord(5);
    r.head().boardNumber = 17;
    return r;
  }();
};

TEST_F(Checker, NothingIsTestedForAnotherKindModeOrNull) {
  for (int32_t kind : {0, 8, 9, 11}) EXPECT_EQ(CheckBoardRecord(kind, list.bytes, bad.bytes, kCheckAdd), 0);
  for (int32_t mode : {0, 4}) EXPECT_EQ(CheckBoardRecord(5, list.bytes, bad.bytes, mode), 0);
  EXPECT_EQ(CheckBoardRecord(5, nullptr, bad.bytes, kCheckAdd), 0);
  EXPECT_EQ(CheckBoardRecord(5, list.bytes, nullptr, kCheckAdd), 0);
}

TEST_F(Checker, AFullListIsCheckedAndOneClaimingMoreIsNotRead) {
  AnyRecord quiet = ValidRecord(5);  // no resource to clash on, however often it is listed
  quiet.as<CounterBoardRecord>().ioAddress = quiet.as<CounterBoardRecord>().irqNo = -1;
  struct Row {
    uint32_t count;
    int32_t listResult, recordResult, wdmResult;  // a WDM list of empty names: 16/1
  } rows[] = {{63, 0, 0, Byte(16, 1)}, {64, 0, 0, Byte(16, 1)}, {65, 1, 1, 1}};
  for (const Row& r : rows) {
    AnyList full;
    for (uint32_t i = 0; i < 64; ++i) full.add(5, quiet);
    full.count() = r.count;
    EXPECT_EQ(CheckListRecords(5, full.bytes), r.listResult) << r.count;
    EXPECT_EQ(CheckBoardRecord(5, full.bytes, quiet.bytes, kCheckAdd), r.recordResult) << r.count;
    AnyList wdm;
    wdm.count() = r.count;
    EXPECT_EQ(CheckListRecords(9, wdm.bytes), r.wdmResult) << r.count;
  }
}

TEST_F(Checker, PassingCheckClearsTheWordsOfAFailedOne) {
  EXPECT_EQ(CheckBoardRecord(5, list.bytes, bad.bytes, kCheckAdd), Byte(3, 1));
  EXPECT_EQ(Library().extendedError[0], 5 << 26 | 17);
  EXPECT_EQ(CheckBoardRecord(5, list.bytes, ValidRecord(5).bytes, kCheckAdd), 0);
  EXPECT_EQ(Library().extendedError[0], 0);
  EXPECT_EQ(Library().extendedError[1], 0);
}

TEST_F(Checker, CallersListAndRecordAreOnlyRead) {
  auto gpib = ValidGpib();
  gpib.handshakeTiming = 1000;  // tested as 500
  AnyRecord entry = ValidRecord(4);
  entry.as<GpibBoardRecord>().head.driverNumber = 2;
  entry.as<GpibBoardRecord>().ioAddress = entry.as<GpibBoardRecord>().irqNo = -1;
  entry.as<GpibBoardRecord>().memoryAddress = 0xD000;
  list.add(4, entry);
  const AnyList before = list;
  EXPECT_EQ(CheckBoardRecord(4, list.bytes, &gpib, kCheckAdd), 0);
  EXPECT_EQ(gpib.handshakeTiming, 1000);
  EXPECT_EQ(std::memcmp(before.bytes, list.bytes, sizeof list.bytes), 0);
}

TEST_F(Checker, WholeListAnswersItsFirstFailingRecord) {
  EXPECT_EQ(CheckListRecords(5, list.bytes), 0);
  list.add(5, ValidRecord(5));
  AnyRecord clash = ValidRecord(5);
  clash.head().boardNumber = 2;
  list.add(5, clash);  // same I/O address as board 1
  list.add(5, bad);
  EXPECT_EQ(CheckListRecords(5, list.bytes), Byte(5, 2));
  EXPECT_EQ(Library().extendedError[0], 5 << 26 | 1);
  EXPECT_EQ(CheckListRecords(8, list.bytes), 1);
  EXPECT_EQ(CheckListRecords(5, nullptr), 1);
}

}  // namespace
}  // namespace tarnix::testing
