// Questions about a caller's board list that the editing functions and
// their exports share. Entries are the first count records; a count above
// 64 is the caller's fault and is refused before any of these runs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

#include "list/board_list_view.h"

namespace tarnix {

// `BoardSortKey`: the order lists are kept in, compared unsigned.
constexpr uint32_t BoardSortKey(const RecordHead& h) {
  return (static_cast<uint32_t>(h.driverNumber) & 0xFF) << 16 | (static_cast<uint32_t>(h.groupNumber) & 0xFF) << 8 |
         (static_cast<uint32_t>(h.boardNumber) & 0xFF);
}

// Kinds 2 and 3 name a board by driver, group and board; the others by
// driver and board.
bool IsEntry(int32_t kind, const RecordHead& h, int32_t driver, int32_t group, int32_t board);
std::optional<std::size_t> FindEntry(int32_t kind, const ListView& list, int32_t driver, int32_t group, int32_t board);

// Highest board number of the driver (kinds 2, 3: of its group), 0 for none.
int32_t HighestBoard(int32_t kind, const ListView& list, int32_t driver, int32_t group);
// Highest group number of the driver, 0 for none.
int32_t HighestGroup(const ListView& list, int32_t driver);
// Entries of the driver (kinds 2, 3: of its group).
int32_t CountBoards(int32_t kind, const ListView& list, int32_t driver, int32_t group);
bool UsesDriver(const ListView& list, int32_t driver);

}  // namespace tarnix
