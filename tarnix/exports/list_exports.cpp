// Selecting, exchanging and removing records, and the numbering questions
// a configuration program asks of its list.
#include <cstddef>
#include <cstring>
#include <utility>

#include <tarnix.h>

#include "edit/list_editing.h"
#include "edit/list_queries.h"
#include "list_export_support.h"

using namespace tarnix;

namespace {

// Bytes of a record behind its driver, group and board numbers.
constexpr std::size_t kHeadNumbersBytes = offsetof(RecordHead, boardName);

bool IsBadCall(int32_t kind, const void* list) { return !IsBoardListKind(kind) || IsBadList(list); }

}  // namespace

LONG WINAPI DnkConfigSelectBoardData(int32_t kind, void* list, int32_t driver, int32_t group, int32_t board,
                                     void* record) {  // 7
  if (IsBadCall(kind, list) || record == nullptr) return kDnkBadArgument;
  const ListView view(kind, list);
  const auto found = FindEntry(kind, view, driver, group, board);
  if (!found) {
    std::memset(record, 0, view.recordBytes());
    return kDnkNotFound;
  }
  std::memcpy(record, view.record(*found), view.recordBytes());
  return kDnkOk;
}

LONG WINAPI DnkConfigExchangeBoardData(int32_t kind, void* list, int32_t driver1, int32_t group1, int32_t board1,
                                       int32_t driver2, int32_t group2, int32_t board2) {  // 12
  if (IsBadCall(kind, list)) return kDnkBadArgument;
  const ListView view(kind, list);
  const auto a = FindEntry(kind, view, driver1, group1, board1);
  const auto b = FindEntry(kind, view, driver2, group2, board2);
  if (!a || !b) return kDnkNotFound;
  // Each keeps its own numbers; the model and everything after it change places.
  unsigned char* x = view.record(*a);
  unsigned char* y = view.record(*b);
  for (std::size_t i = kHeadNumbersBytes; i < view.recordBytes(); ++i) std::swap(x[i], y[i]);
  return kDnkOk;
}

LONG WINAPI DnkConfigDelBoardData(int32_t kind, void* list, int32_t driver, int32_t group, int32_t board) {  // 13
  if (IsBadCall(kind, list)) return kDnkBadArgument;
  if (!FindEntry(kind, ListView(kind, list), driver, group, board)) return kDnkNotFound;
  RemoveBoardRecord(kind, list, driver, group, board);
  return kDnkOk;
}

LONG WINAPI DnkConfigDelGrp(int32_t kind, void* list, int32_t driver, int32_t group) {  // 14
  if (!HasGroups(kind) || IsBadList(list)) return kDnkBadArgument;
  const ListView view(kind, list);
  // Counted first: once the group is empty the groups above move down into
  // its number, and they must stay.
  const int32_t boards = CountBoards(kind, view, driver, group);
  if (boards == 0) return kDnkNotFound;
  for (int32_t n = 0; n < boards; ++n) {
    for (std::size_t i = 0; i < view.count(); ++i) {
      const RecordHead& h = view.head(i);
      if (h.driverNumber == driver && h.groupNumber == group) {
        RemoveBoardRecord(kind, list, driver, group, h.boardNumber);
        break;
      }
    }
  }
  return kDnkOk;
}

LONG WINAPI DnkConfigDelDrv(int32_t kind, void* list, int32_t driver) {  // 15
  if (IsBadCall(kind, list)) return kDnkBadArgument;
  const ListView view(kind, list);
  if (!UsesDriver(view, driver)) return kDnkNotFound;
  for (std::size_t i = 0; i < view.count();) {
    const RecordHead& h = view.head(i);
    if (h.driverNumber == driver) {
      RemoveBoardRecord(kind, list, driver, h.groupNumber, h.boardNumber);
    } else {
      ++i;
    }
  }
  return kDnkOk;
}

// Reads nothing of the list, so a count gone wrong is no reason to refuse
// the reset.
LONG WINAPI DnkConfigDelTool(int32_t kind, void* list) {  // 16
  if (!IsBoardListKind(kind) || list == nullptr) return kDnkBadArgument;
  ListView(kind, list).clear();
  return kDnkOk;
}

LONG WINAPI DnkConfigGetGrpMax(int32_t kind, void* list, int32_t driver) {  // 17
  if (IsBadList(list)) return kDnkBadArgument;
  return HasGroups(kind) ? HighestGroup(ListView(kind, list), driver) : 0;
}

LONG WINAPI DnkConfigGetBoardMax(int32_t kind, void* list, int32_t driver, int32_t group) {  // 18
  if (IsBadList(list)) return kDnkBadArgument;
  return IsBoardListKind(kind) ? HighestBoard(kind, ListView(kind, list), driver, group) : 0;
}
