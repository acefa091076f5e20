#include "list_queries.h"

#include <algorithm>

namespace tarnix {

namespace {

bool InGroupOf(int32_t kind, const RecordHead& h, int32_t driver, int32_t group) {
  return h.driverNumber == driver && (!HasGroups(kind) || h.groupNumber == group);
}

}  // namespace

bool IsEntry(int32_t kind, const RecordHead& h, int32_t driver, int32_t group, int32_t board) {
  return InGroupOf(kind, h, driver, group) && h.boardNumber == board;
}

std::optional<std::size_t> FindEntry(int32_t kind, const ListView& list, int32_t driver, int32_t group,
                                     int32_t board) {
  for (std::size_t i = 0; i < list.count(); ++i) {
    if (IsEntry(kind, list.head(i), driver, group, board)) return i;
  }
  return std::nullopt;
}

int32_t HighestBoard(int32_t kind, const ListView& list, int32_t driver, int32_t group) {
  int32_t highest = 0;
  for (std::size_t i = 0; i < list.count(); ++i) {
    if (InGroupOf(kind, list.head(i), driver, group)) highest = std::max(highest, list.head(i).boardNumber);
  }
  return highest;
}

int32_t HighestGroup(const ListView& list, int32_t driver) {
  int32_t highest = 0;
  for (std::size_t i = 0; i < list.count(); ++i) {
    if (list.head(i).driverNumber == driver) highest = std::max(highest, list.head(i).groupNumber);
  }
  return highest;
}

int32_t CountBoards(int32_t kind, const ListView& list, int32_t driver, int32_t group) {
  int32_t n = 0;
  for (std::size_t i = 0; i < list.count(); ++i) n += InGroupOf(kind, list.head(i), driver, group) ? 1 : 0;
  return n;
}

bool UsesDriver(const ListView& list, int32_t driver) {
  for (std::size_t i = 0; i < list.count(); ++i) {
    if (list.head(i).driverNumber == driver) return true;
  }
  return false;
}

}  // namespace tarnix
