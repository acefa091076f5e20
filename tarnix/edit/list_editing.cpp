// Placing and removing records in a caller's list, and the renumbering that
// keeps boards (and groups) numbered from 1 without gaps.
#include "list_editing.h"

#include <cstring>

#include "check/record_fields.h"
#include "list_queries.h"

namespace tarnix {

namespace {

constexpr int32_t kPlaceAdd = 1;
constexpr int32_t kPlaceModify = 2;
constexpr int32_t kPlaceInsert = 3;
constexpr int32_t kGpibKind = 4;

// Every entry of a group carries the group's object name.
void ShareGroupName(int32_t kind, const ListView& list, const unsigned char* from) {
  const KindFields& f = *FieldsOf(kind);
  const RecordHead& h = HeadOf(from);
  for (std::size_t i = 0; i < list.count(); ++i) {
    unsigned char* e = list.record(i);
    if (e != from && list.head(i).driverNumber == h.driverNumber && list.head(i).groupNumber == h.groupNumber) {
      std::memcpy(e + f.names.offset, from + f.names.offset, kObjectNameBytes);
    }
  }
}

// The GPIB boards from the record's driver number up to the first free one
// move up by one number, so the record can take its number.
void MakeRoomForGpib(const ListView& list, int32_t driver) {
  int32_t run[5] = {};
  if (FindGpibDriverRun(&list.count(), driver, run) != 0) return;
  for (std::size_t i = 0; i < list.count(); ++i) {
    for (int k = 0; run[k] != 0; ++k) {
      if (list.head(i).driverNumber == run[k]) {
        ++list.head(i).driverNumber;
        break;
      }
    }
  }
}

}  // namespace

void PlaceBoardRecord(int32_t kind, void* listMemory, const void* recordMemory, int32_t mode) {
  if (!IsBoardListKind(kind) || listMemory == nullptr || recordMemory == nullptr) return;
  const ListView list(kind, listMemory);
  const auto* record = static_cast<const unsigned char*>(recordMemory);
  const RecordHead h = HeadOf(record);
  const std::size_t bytes = list.recordBytes();
  std::size_t place = 0;

  if (mode == kPlaceModify) {
    const auto found = FindEntry(kind, list, h.driverNumber, h.groupNumber, h.boardNumber);
    if (!found) return;
    place = *found;
    std::memcpy(list.record(place), record, bytes);
  } else if (mode == kPlaceAdd || mode == kPlaceInsert) {
    if (list.count() >= kListRecords) return;
    if (mode == kPlaceInsert && kind == kGpibKind) MakeRoomForGpib(list, h.driverNumber);
    const uint32_t key = BoardSortKey(h);
    while (place < list.count() && BoardSortKey(list.head(place)) < key) ++place;
    std::memmove(list.record(place + 1), list.record(place), (list.count() - place) * bytes);
    std::memcpy(list.record(place), record, bytes);
    ++list.count();
    if (mode == kPlaceInsert && kind != kGpibKind) {
      const FieldRun lines = FieldsOf(kind)->irq;
      for (std::size_t i = 0; i < list.count(); ++i) {
        RecordHead& e = list.head(i);
        if (i == place || e.driverNumber != h.driverNumber || e.groupNumber != h.groupNumber ||
            e.boardNumber < h.boardNumber) {
          continue;
        }
        ++e.boardNumber;
        // The group's lines stay with its first board.
        if (HasGroups(kind)) {
          for (int k = 0; k < lines.count; ++k) SetRun(list.record(i), lines, k, -1);
        }
      }
    }
  } else {
    return;
  }
  if (HasGroups(kind)) ShareGroupName(kind, list, list.record(place));
}

void RemoveBoardRecord(int32_t kind, void* listMemory, int32_t driver, int32_t group, int32_t board) {
  if (!IsBoardListKind(kind) || listMemory == nullptr) return;
  const ListView list(kind, listMemory);
  const auto found = FindEntry(kind, list, driver, group, board);
  if (!found) return;
  const std::size_t bytes = list.recordBytes();
  const FieldRun lines = FieldsOf(kind)->irq;
  int32_t removedLines[8] = {};
  for (int k = 0; k < lines.count; ++k) removedLines[k] = GetRun(list.record(*found), lines, k);

  std::memmove(list.record(*found), list.record(*found + 1), (list.count() - *found - 1) * bytes);
  std::memset(list.record(list.count() - 1), 0, bytes);
  --list.count();

  const bool groups = HasGroups(kind);
  bool groupLeft = false;
  for (std::size_t i = 0; i < list.count(); ++i) {
    RecordHead& e = list.head(i);
    if (e.driverNumber != driver || (groups && e.groupNumber != group)) continue;
    groupLeft = true;
    if (e.boardNumber <= board) continue;
    // Removing a group's first board hands its lines to the new first board.
    if (--e.boardNumber == 1 && groups) {
      for (int k = 0; k < lines.count; ++k) SetRun(list.record(i), lines, k, removedLines[k]);
    }
  }
  if (groups && !groupLeft) {
    for (std::size_t i = 0; i < list.count(); ++i) {
      RecordHead& e = list.head(i);
      if (e.driverNumber == driver && e.groupNumber > group) --e.groupNumber;
    }
  }
}

int32_t FindGpibDriverRun(const void* listMemory, int32_t driver, int32_t* run) {
  constexpr int32_t kHighestGpibDriver = 4;
  if (listMemory == nullptr || driver < 1 || driver > kHighestGpibDriver) return 1;
  const ListView list(kGpibKind, const_cast<void*>(listMemory));
  int32_t free = driver;
  while (free <= kHighestGpibDriver && UsesDriver(list, free)) ++free;
  if (free > kHighestGpibDriver) return 1;
  if (run != nullptr) {
    int k = 0;
    for (int32_t d = driver; d < free; ++d) run[k++] = d;
    run[k] = 0;
  }
  return 0;
}

// By comparison, not by difference: values more than 2^31 apart (memory
// addresses) would wrap and break the sort's ordering.
int CompareInt32(const void* a, const void* b) {
  int32_t x;
  int32_t y;
  std::memcpy(&x, a, sizeof x);
  std::memcpy(&y, b, sizeof y);
  return x < y ? -1 : x > y ? 1 : 0;
}

}  // namespace tarnix
