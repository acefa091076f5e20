// The pool: blocks from the C heap, counted until freed, with a hook that
// makes chosen allocations fail.
#include <windows.h>
#include <win/debug.h>

#include <cstdlib>
#include <mutex>
#include <unordered_map>

#include "pool.h"

namespace ntk {

namespace {

struct Block {
  SIZE_T bytes;
  ULONG tag;
  const void* caller;
};

struct Pool {
  std::mutex mutex;
  std::unordered_map<void*, Block> blocks;
  NTK_POOL_FAILURE_HOOK hook = nullptr;
  PVOID hookContext = nullptr;
};

Pool& pool() {
  static auto* p = new Pool;  // lives through static destruction
  return *p;
}

}  // namespace

bool poolRefuses(POOL_TYPE type, SIZE_T bytes, ULONG tag) {
  Pool& p = pool();
  NTK_POOL_FAILURE_HOOK hook;
  PVOID context;
  {
    std::lock_guard<std::mutex> lock(p.mutex);
    hook = p.hook;
    context = p.hookContext;
  }
  return hook != nullptr && hook(type, bytes, tag, context);
}

void* poolAllocate(POOL_TYPE type, SIZE_T bytes, ULONG tag, const void* caller) {
  if (poolRefuses(type, bytes, tag)) return nullptr;
  void* block = std::malloc(bytes == 0 ? 1 : bytes);
  if (block == nullptr) return nullptr;
  Pool& p = pool();
  std::lock_guard<std::mutex> lock(p.mutex);
  p.blocks.emplace(block, Block{bytes, tag, caller});
  return block;
}

void poolFree(void* block) {
  if (block == nullptr) return;
  Pool& p = pool();
  bool ours = false;
  {
    std::lock_guard<std::mutex> lock(p.mutex);
    ours = p.blocks.erase(block) != 0;
  }
  // A block the pool never gave out (or took back already) is not ours to
  // free; the system would stop here, we say so and go on.
  if (!ours) {
    OutputDebugStringA("ntkrnl: ExFreePool of a block the pool did not give out\n");
    return;
  }
  std::free(block);
}

unsigned poolOutstanding(SIZE_T& bytes) {
  Pool& p = pool();
  std::lock_guard<std::mutex> lock(p.mutex);
  unsigned count = 0;
  bytes = 0;
  for (const auto& [address, block] : p.blocks) {
    ++count;
    bytes += block.bytes;
  }
  return count;
}

unsigned poolDisownWhere(bool (*inModule)(const void*, const void*), const void* context, SIZE_T& bytes) {
  Pool& p = pool();
  std::lock_guard<std::mutex> lock(p.mutex);
  unsigned count = 0;
  bytes = 0;
  for (auto& [address, block] : p.blocks) {
    if (block.caller == nullptr || !inModule(block.caller, context)) continue;
    ++count;
    bytes += block.bytes;
    block.caller = nullptr;
  }
  return count;
}

}  // namespace ntk

NTKRNL_API PVOID NTAPI ExAllocatePool(POOL_TYPE PoolType, SIZE_T NumberOfBytes) {
  return ntk::poolAllocate(PoolType, NumberOfBytes, 0, __builtin_return_address(0));
}

NTKRNL_API PVOID NTAPI ExAllocatePoolWithTag(POOL_TYPE PoolType, SIZE_T NumberOfBytes, ULONG Tag) {
  return ntk::poolAllocate(PoolType, NumberOfBytes, Tag, __builtin_return_address(0));
}

NTKRNL_API VOID NTAPI ExFreePool(PVOID P) { ntk::poolFree(P); }

NTKRNL_API VOID NTAPI ExFreePoolWithTag(PVOID P, ULONG) { ntk::poolFree(P); }

NTKRNL_API ULONG NTAPI NtkPoolOutstanding(PSIZE_T Bytes) {
  SIZE_T bytes = 0;
  const unsigned count = ntk::poolOutstanding(bytes);
  if (Bytes != nullptr) *Bytes = bytes;
  return count;
}

NTKRNL_API VOID NTAPI NtkSetPoolFailureHook(NTK_POOL_FAILURE_HOOK Hook, PVOID Context) {
  ntk::Pool& p = ntk::pool();
  std::lock_guard<std::mutex> lock(p.mutex);
  p.hook = Hook;
  p.hookContext = Context;
}
