// A save must refuse, before it wipes anything, every list whose numbering
// would lose a board in the image.
#include <gtest/gtest.h>

#include <initializer_list>
#include <tuple>

#include <tarnix.h>
#include <tarnix_records.h>

#include "list/list_validation.h"

namespace {

using tarnix::BoardList;
using Head = std::tuple<int32_t, int32_t, int32_t>;  // driver, group, board

template <typename Record>
int32_t validate(int32_t kind, std::initializer_list<Head> heads) {
  static BoardList<Record> list;
  list = {};
  for (const Head& h : heads) {
    Record& r = list.records[list.count++];
    std::tie(r.head.driverNumber, r.head.groupNumber, r.head.boardNumber) = h;
  }
  return tarnix::ValidateListForStore(kind, &list);
}

TEST(ListValidation, OnlyGaplessNumberingOfKnownDriversIsStored) {
  using tarnix::AnalogBoardRecord;
  using tarnix::CounterBoardRecord;
  using tarnix::GpibBoardRecord;
  EXPECT_EQ(validate<AnalogBoardRecord>(2, {}), kDnkOk);
  EXPECT_EQ(validate<AnalogBoardRecord>(2, {{0, 1, 1}, {0, 1, 2}, {0, 2, 1}, {55, 1, 1}}), kDnkOk);
  EXPECT_EQ(validate<AnalogBoardRecord>(2, {{0, 1, 2}, {0, 1, 3}}), kDnkNumberingLimit) << "boards 2 and 3 only";
  EXPECT_EQ(validate<AnalogBoardRecord>(2, {{0, 1, 1}, {0, 3, 1}}), kDnkNumberingLimit) << "groups 1 and 3";
  EXPECT_EQ(validate<AnalogBoardRecord>(2, {{0, 1, 1}, {0, 1, 1}}), kDnkNumberingLimit) << "one head twice";
  EXPECT_EQ(validate<AnalogBoardRecord>(2, {{31, 1, 1}}), kDnkNumberingLimit) << "no driver 31";
  EXPECT_EQ(validate<AnalogBoardRecord>(2, {{0, 0, 1}}), kDnkNumberingLimit);
  EXPECT_EQ(validate<AnalogBoardRecord>(2, {{0, 1, 1}, {0, 1, 2}, {0, 1, 3}, {0, 1, 4}, {0, 1, 5}}),
            kDnkNumberingLimit)
      << "five boards in a group";
  EXPECT_EQ(validate<GpibBoardRecord>(4, {{1, 0, 1}, {1, 0, 2}, {1, 0, 5}}), kDnkNumberingLimit);
  EXPECT_EQ(validate<GpibBoardRecord>(4, {{1, 0, 1}, {4, 0, 1}}), kDnkOk);
  EXPECT_EQ(validate<CounterBoardRecord>(5, {{0, 0, 17}}), kDnkNumberingLimit);

  // A full list is stored; one claiming more than it holds is not read.
  static BoardList<tarnix::SerialBoardRecord> serial;
  for (uint32_t count : {63u, 64u, 65u}) {
    serial = {};
    for (int32_t b = 1; b <= 64; ++b) serial.records[b - 1].head.boardNumber = b;
    serial.count = count;
    EXPECT_EQ(tarnix::ValidateListForStore(1, &serial), count <= 64 ? kDnkOk : kDnkBadArgument) << count;
  }
}

}  // namespace
