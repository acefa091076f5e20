// The caller memory each request's record names, by the lengths its counts
// imply, and its check before the handler runs: a request with a bad
// address changes nothing. The check holds only for that moment; the copies
// themselves (frame/caller_memory.h) answer for memory given up later, the
// buffer that a background input's status and data requests copy into
// among it.
#pragma once
#include "board_record.h"
#include "handlers.h"

namespace morvel00 {

// STATUS_SUCCESS when every address of the record is readable or writable
// for its length, STATUS_INSUFFICIENT_RESOURCES when the system could not
// tell, else STATUS_INVALID_USER_BUFFER. Counts a handler rejects
// anyway (below 1) need no memory.
NTSTATUS XanProbeCallerMemory(uint32_t offset, const XanRequest& request, const XanBoardRecord* rec);

}  // namespace morvel00
