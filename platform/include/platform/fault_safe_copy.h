// Copies between the system's own memory and memory a caller handed over.
// The caller can give its memory up (unmap it, take its access away) at any
// moment, also while a request of it is pending and another thread
// completes it: these copies answer a status where a plain copy would fault.
#pragma once
#include <platform/device.h>

#include <cstddef>

namespace plat {

#pragma GCC visibility push(default)

// PLAT_STATUS_SUCCESS, also for a length of 0.
// PLAT_STATUS_ACCESS_VIOLATION when a byte of the source cannot be read or
// of the destination written, or the range is null or wraps; the
// destination may then hold part of the copy.
// PLAT_STATUS_INSUFFICIENT_RESOURCES when the system lacks the means.
LONG CopyToCaller(void* callerDestination, const void* source, size_t length);
LONG CopyFromCaller(void* destination, const void* callerSource, size_t length);

#pragma GCC visibility pop

}  // namespace plat
