// A board the scans found, and its record appended to the caller's list.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "list/board_list_view.h"

namespace tarnix {

struct FoundBoard {
  std::string model;
  // In field order: kind 1's eight ports, another kind's first field(s);
  // -1 where nothing was found.
  std::array<int32_t, 8> io;
  std::array<int32_t, 8> irq;
  int32_t memory = 0;
  int32_t boardId = 0;
  std::string hardwareKey;
};

// The first `n` entries of a list, -1 in the rest.
std::array<int32_t, 8> FirstEntries(const std::vector<int32_t>& list, std::size_t n);

// False when the list is full (64 records): the scan ends there.
bool AppendFound(int32_t kind, const ListView& list, const FoundBoard& board);

}  // namespace tarnix
