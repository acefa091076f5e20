// The routines handlers run under the interrupt lock, as
// PKSYNCHRONIZE_ROUTINEs for XanSync. Each call has its own XanSyncCall on
// the caller's stack: arguments in, results out, nothing shared between
// calls or handlers.
#pragma once
#include <ntkrnl/ntddk.h>

#include <cstdint>

#include "board_record.h"

namespace morvel00 {

struct XanSyncCall {
  XanBoardRecord* rec = nullptr;
  uint32_t arg[4] = {};          // the routine's scalar arguments, in order
  const void* data = nullptr;    // a channel-list copy or a request record, in driver memory
  uint32_t out = 0;              // what a Get routine read
  int32_t result = 0;            // the routine's result
};

// Register routines on the first board: arg[] holds their arguments after
// the I/O base; Get routines leave their value in `out`.
BOOLEAN SyncXanExSetAIFunction(PVOID call);    // arg0 word
BOOLEAN SyncXanExSetAIChannel(PVOID call);     // data u16 list, arg0 count
BOOLEAN SyncXanExSetTrgLevelStart(PVOID call); // arg0 direction, arg1 channel, arg2 level 1, arg3 level 2
BOOLEAN SyncXanExSetTrgLevelStop(PVOID call);
BOOLEAN SyncXanExSetSamplingNum(PVOID call);   // arg0
BOOLEAN SyncXanExSetDelayNum(PVOID call);
BOOLEAN SyncXanExSetTrgDlyNum(PVOID call);
BOOLEAN SyncXanExSetStartTrgRptNum(PVOID call);
BOOLEAN SyncXanExSetWriteAddress(PVOID call);  // arg0
BOOLEAN SyncXanExGetWriteAddress(PVOID call);  // out
BOOLEAN SyncXanExSetReadAddress(PVOID call);
BOOLEAN SyncXanExGetReadAddress(PVOID call);
BOOLEAN SyncXanExGetTrggerAddress(PVOID call);
BOOLEAN SyncXanExSetIntLevelPC(PVOID call);    // arg0 line; result 0 for a line without a code
BOOLEAN SyncXanExSetIntLevel98(PVOID call);
BOOLEAN SyncXanExSetIntMask(PVOID call);       // arg0
BOOLEAN SyncXanExGetIntMask(PVOID call);       // out
BOOLEAN SyncXanExResetIntRegister(PVOID call); // arg0 bits
BOOLEAN SyncXanExSet8254DataW(PVOID call);     // arg0 counter, arg1 count
BOOLEAN SyncXanExGet8254DataW(PVOID call);     // arg0 counter; out

// Board operations; `result` is the operation's answer.
BOOLEAN SyncXanBoardCheck(PVOID call);
BOOLEAN SyncXanStop(PVOID call);        // result 1 when the board went idle
BOOLEAN SyncXanGetSts(PVOID call);
BOOLEAN SyncXanSetADMode(PVOID call);   // data u16 list copy, arg0 count
BOOLEAN SyncXanSetCounter(PVOID call);  // result and out: the count of counter 2
BOOLEAN SyncXanSetGain(PVOID call);
BOOLEAN SyncXanSetRange(PVOID call);    // data XanSetRangeRecord
BOOLEAN SyncXanDigitalOut(PVOID call);  // arg0 board index, arg1 port, arg2 value; result 0 for no such board

}  // namespace morvel00
