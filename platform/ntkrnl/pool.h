// Pool memory with accounting: every block remembers who asked for it, so
// the loader can tell what one driver left behind.
#pragma once
#include <ntkrnl/ntkrnl_host.h>

namespace ntk {

// The tag the failure hook sees for device objects.
inline constexpr ULONG kDeviceTag = 0x69766544;  // "Devi"

// True when the failure hook refuses this allocation.
bool poolRefuses(POOL_TYPE type, SIZE_T bytes, ULONG tag);
// `caller` is the code address the allocation is charged to.
void* poolAllocate(POOL_TYPE type, SIZE_T bytes, ULONG tag, const void* caller);
void poolFree(void* block);
// Allocations not freed: count and bytes.
unsigned poolOutstanding(SIZE_T& bytes);
// Allocations not freed whose caller satisfies `inModule`: count and bytes.
// The blocks found are charged to no module from then on: a driver's leak
// is reported at its unload, not again at the unload of a later load of the
// same image at the same address.
unsigned poolDisownWhere(bool (*inModule)(const void* address, const void* context), const void* context,
                         SIZE_T& bytes);

}  // namespace ntk
