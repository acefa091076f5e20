// The two ways of the copies to and from caller memory (SafeCopyToUser,
// SafeCopyFromUser). Each answers STATUS_ACCESS_VIOLATION when a byte of
// the source cannot be read or a byte of the destination written; a copy
// that stops part of the way is a failure too.
#pragma once
#include <ntkrnl/nt_rtl.h>

#include <cstddef>

namespace ntk {

// The system's copy between two address ranges of this process, which
// reports a fault instead of raising it. STATUS_NOT_IMPLEMENTED when the
// system refuses the call itself (an older kernel, a sandbox's filter).
NTSTATUS copyByProcessVm(void* to, const void* from, size_t length, bool toUser);
// Through a pipe of its own: written from `from`, read into `to`, both
// checked by the system as any read or write buffer is.
NTSTATUS copyThroughPipe(void* to, const void* from, size_t length);

}  // namespace ntk
