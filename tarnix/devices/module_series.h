// The module-series units: which model and device kind a module's class and
// type identifiers name.
#pragma once
#include <cstdint>
#include <span>

#include <xan_board_config.h>

namespace tarnix {

// `FlnModuleRow`
struct FlnModuleRow {
  char name[xanconfig::kBoardNameBytes];
  int32_t classId;
  int32_t typeId;
  int32_t kind;
};
static_assert(sizeof(FlnModuleRow) == 52);

// The 24 rows and the "End" row.
std::span<const FlnModuleRow> FlnModuleRows();

// The row of a module, or nullptr; never reads past the "End" row.
const FlnModuleRow* FindFlnModule(int32_t classId, int32_t typeId);

}  // namespace tarnix
