// Adding, modifying and inserting a record: the head it gets, the limits
// of the numbering, the conflict check, and then the placement.
#include <cstring>

#include <tarnix.h>

#include "check/check_services.h"
#include "check/checker.h"
#include "edit/list_editing.h"
#include "edit/list_queries.h"
#include "list_export_support.h"

using namespace tarnix;

namespace {

constexpr int32_t kGpib = 4;
constexpr int32_t kHighestGpibDriver = 4;

// The lowest GPIB driver number no entry uses, 0 when all are taken.
int32_t LowestFreeGpibDriver(const ListView& list) {
  for (int32_t d = 1; d <= kHighestGpibDriver; ++d) {
    if (!UsesDriver(list, d)) return d;
  }
  return 0;
}

// The group a new record may join: an existing one or the next after the
// driver's highest.
bool IsOpenGroup(const ListView& list, int32_t driver, int32_t group) {
  return group >= 1 && group <= xanconfig::kMaxGroups && group <= HighestGroup(list, driver) + 1;
}

// The driver of the record's model; -1 when the model has none.
int32_t ModelDriver(const RecordBuffer& record) { return Services().driverNumber(record.head().boardName); }

// Check, place, hand the placed record back.
LONG CheckAndPlace(int32_t kind, void* list, RecordBuffer& copy, void* record, int32_t mode) {
  if (CheckBoardRecord(kind, list, copy.bytes, mode) != 0) return kDnkNotAvailable;
  PlaceBoardRecord(kind, list, copy.bytes, mode);
  std::memcpy(record, copy.bytes, RecordBytes(kind));
  return kDnkOk;
}

bool IsBadCall(int32_t kind, const void* list, const void* record) {
  return !IsBoardListKind(kind) || record == nullptr || IsBadList(list);
}

}  // namespace

LONG WINAPI DnkConfigAddBoardData(int32_t kind, void* list, int32_t gpibDriver, int32_t group, void* record) {  // 9
  if (IsBadCall(kind, list, record)) return kDnkBadArgument;
  const ListView view(kind, list);
  if (view.count() >= kListRecords) return kDnkNumberingLimit;
  RecordBuffer copy;
  std::memcpy(copy.bytes, record, view.recordBytes());

  int32_t driver = gpibDriver;
  int32_t board = 1;
  if (kind == kGpib) {
    group = 0;
    if (driver == 0) driver = LowestFreeGpibDriver(view);
    if (driver < 1 || driver > kHighestGpibDriver || UsesDriver(view, driver)) return kDnkNumberingLimit;
  } else {
    driver = ModelDriver(copy);
    if (driver < 0) return kDnkNotAvailable;
    if (HasGroups(kind)) {
      if (!IsOpenGroup(view, driver, group)) return kDnkNumberingLimit;
    } else {
      group = 0;
    }
    board = HighestBoard(kind, view, driver, group) + 1;
    if (board > FieldsOf(kind)->boardLimit) return kDnkNumberingLimit;
  }
  copy.head().driverNumber = driver;
  copy.head().groupNumber = group;
  copy.head().boardNumber = board;
  return CheckAndPlace(kind, list, copy, record, kCheckAdd);
}

LONG WINAPI DnkConfigInsBoardData(int32_t kind, void* list, int32_t gpibDriver, int32_t group, int32_t board,
                                  void* record) {  // 11
  if (IsBadCall(kind, list, record)) return kDnkBadArgument;
  const ListView view(kind, list);
  if (view.count() >= kListRecords) return kDnkNumberingLimit;
  RecordBuffer copy;
  std::memcpy(copy.bytes, record, view.recordBytes());

  int32_t driver = gpibDriver;
  if (kind == kGpib) {
    group = 0;
    if (driver == 0) driver = LowestFreeGpibDriver(view);
    // A taken number is accepted when a later one is free: the boards from
    // it up move along.
    if (driver < 1 || board != 1 || FindGpibDriverRun(list, driver, nullptr) != 0) return kDnkNumberingLimit;
  } else {
    driver = ModelDriver(copy);
    if (driver < 0) return kDnkNotAvailable;
    if (HasGroups(kind) && !IsOpenGroup(view, driver, group)) return kDnkNumberingLimit;
    if (!HasGroups(kind)) group = 0;
    // Room in the driver (or group), and no gap after its last board.
    const int32_t limit = FieldsOf(kind)->boardLimit;
    if (board < 1 || board > limit || CountBoards(kind, view, driver, group) >= limit ||
        board > HighestBoard(kind, view, driver, group) + 1) {
      return kDnkNumberingLimit;
    }
  }
  copy.head().driverNumber = driver;
  copy.head().groupNumber = group;
  copy.head().boardNumber = board;
  return CheckAndPlace(kind, list, copy, record, kCheckInsert);
}

LONG WINAPI DnkConfigModBoardData(int32_t kind, void* list, int32_t driver, int32_t group, int32_t board,
                                  void* record) {  // 10
  if (IsBadCall(kind, list, record)) return kDnkBadArgument;
  const ListView view(kind, list);
  if (!FindEntry(kind, view, driver, group, board)) return kDnkNotFound;
  RecordBuffer copy;
  std::memcpy(copy.bytes, record, view.recordBytes());
  if (kind != kGpib) {
    const int32_t modelDriver = ModelDriver(copy);
    if (modelDriver < 0) return kDnkNotAvailable;
    if (modelDriver != driver) return kDnkNumberingLimit;
  }
  copy.head().driverNumber = driver;
  copy.head().groupNumber = HasGroups(kind) ? group : 0;
  copy.head().boardNumber = board;
  return CheckAndPlace(kind, list, copy, record, kCheckModify);
}
