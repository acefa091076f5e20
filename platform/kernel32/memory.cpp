// Global memory blocks. The live blocks are remembered, so a second free or
// a pointer from elsewhere is refused instead of corrupting the heap.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include <windows.h>

namespace {

struct LiveBlocks {
  std::mutex lock;
  std::unordered_set<void*> blocks;
};
LiveBlocks& live() {
  static LiveBlocks* instance = new LiveBlocks;  // outlives every static destructor
  return *instance;
}

}  // namespace

PLATFORM_API HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  if ((uFlags & ~GMEM_ZEROINIT) != GMEM_FIXED) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const SIZE_T bytes = dwBytes == 0 ? 1 : dwBytes;
  void* block = (uFlags & GMEM_ZEROINIT) != 0 ? std::calloc(1, bytes) : std::malloc(bytes);
  if (block == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  LiveBlocks& l = live();
  std::lock_guard<std::mutex> guard(l.lock);
  l.blocks.insert(block);
  return block;
}

PLATFORM_API HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) {
  if (hMem == nullptr) return nullptr;
  LiveBlocks& l = live();
  {
    std::lock_guard<std::mutex> guard(l.lock);
    if (l.blocks.erase(hMem) == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return hMem;
    }
  }
  std::free(hMem);
  return nullptr;
}
