#include "module_series.h"

#include <cstring>

namespace tarnix {

namespace {

constexpr FlnModuleRow kRows[] = {
    {"FLN-DI16", 1, 0, 3},      {"FLN-DO16", 1, 1, 3},      {"FLN-DIO8", 1, 2, 3},    {"FLN-DI32", 1, 3, 3},
    {"FLN-DO32", 1, 4, 3},      {"FLN-DIO16", 1, 5, 3},     {"FLN-RO8", 1, 6, 3},     {"FLN-PI16", 1, 7, 3},
    {"FLN-PO16", 1, 8, 3},      {"FLN-DI16L", 1, 9, 3},     {"FLN-DO16L", 1, 10, 3},  {"FLN-DIO32", 1, 11, 3},
    {"FLN-TI8", 1, 12, 3},      {"FLN-AI816", 2, 0, 2},     {"FLN-AI1612", 2, 1, 2},  {"FLN-AO412", 2, 2, 2},
    {"FLN-AIO816", 2, 3, 2},    {"FLN-AI16M", 2, 4, 10},    {"FLN-CNT24", 3, 0, 5},   {"FLN-CNT32", 3, 1, 5},
    {"FLN-CNT24E", 3, 2, 5},    {"FLN-COM2", 4, 0, 7},      {"FLN-COM4", 4, 1, 7},    {"FLN-GPIB", 5, 0, 4},
    {"End", -1, -1, -1},
};
static_assert(std::size(kRows) == 25);

}  // namespace

std::span<const FlnModuleRow> FlnModuleRows() { return kRows; }

const FlnModuleRow* FindFlnModule(int32_t classId, int32_t typeId) {
  for (const FlnModuleRow& row : kRows) {
    if (std::strcmp(row.name, "End") == 0) break;
    if (row.classId == classId && row.typeId == typeId) return &row;
  }
  return nullptr;
}

}  // namespace tarnix
