// The caller memory each request names, by the lengths its counts imply
// (its own record's addresses, or the buffer a set-up named earlier that the
// request copies into), and its check before the handler runs.
#pragma once
#include "board_record.h"
#include "handlers.h"

namespace morvel00 {

// STATUS_SUCCESS when every address of the record is readable or writable
// for its length, else the probe's failure. Counts a handler rejects
// anyway (below 1) need no memory.
NTSTATUS XanProbeCallerMemory(uint32_t offset, const XanRequest& request, const XanBoardRecord* rec);

}  // namespace morvel00
