// The two ways of the fault-safe copies (platform/fault_safe_copy.h).
#pragma once
#include <platform/device.h>

#include <cstddef>

namespace plat {

// The system's copy between two address ranges of this process, which
// reports a fault instead of raising it. PLAT_STATUS_NOT_IMPLEMENTED when
// the system refuses the call itself (an older kernel, a sandbox's filter).
LONG copyByProcessVm(void* to, const void* from, size_t length, bool toCaller);
// Through a pipe of its own: written from `from`, read into `to`, both
// checked by the system as any read or write buffer is.
LONG copyThroughPipe(void* to, const void* from, size_t length);

}  // namespace plat
