// Placing, renumbering and removing records inside a caller's board list,
// kept in the order of driver, group and board numbers.
#pragma once
#include <cstdint>

namespace tarnix {

// Mode: the checker's CheckMode (1 add, 2 modify, 3 insert).
void PlaceBoardRecord(int32_t kind, void* list, const void* record, int32_t mode);
// The group only counts for kinds 2 and 3. The entry must be in the list.
void RemoveBoardRecord(int32_t kind, void* list, int32_t driver, int32_t group, int32_t board);
// 0 found, 1 none free; run may be null, else room for 5 values.
int32_t FindGpibDriverRun(const void* list, int32_t driver, int32_t* run);
// Ascending order of 32-bit values, for the sort of resource lists.
int CompareInt32(const void* a, const void* b);

}  // namespace tarnix
