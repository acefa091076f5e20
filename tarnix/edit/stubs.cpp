// Stand-in bodies until the list editing is built.
#include "list_editing.h"

namespace tarnix {

void PlaceBoardRecord(int32_t, void*, const void*, int32_t) {}
void RemoveBoardRecord(int32_t, void*, int32_t, int32_t, int32_t) {}
int32_t FindGpibDriverRun(const void*, int32_t, int32_t*) { return 1; }
int CompareInt32(const void* a, const void* b) {
  const int32_t x = *static_cast<const int32_t*>(a);
  const int32_t y = *static_cast<const int32_t*>(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

}  // namespace tarnix
