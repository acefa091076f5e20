// The board operations between the request handlers and the register
// routines. Each works on one group's record and, unless said otherwise, on
// its first board. Where the record has an interrupt object the handlers
// run them through the Sync callbacks (sync_callbacks.h).
#pragma once
#include <morvel_requests.h>

#include <cstdint>

#include "board_record.h"

namespace morvel00 {

// Resets the first board's factors, initialises each board and reads its
// status: an all-ones status (no board answering) gives 768, else 0.
int16_t XanBoardCheck(XanBoardRecord* rec);

// 0, 770 for a count below 1 or above the group's input channels, or 769
// for a channel at or above that total. `channels` is the driver's own copy.
int16_t XanCheckChannelList(const XanBoardRecord* rec, const uint16_t* channels, int count);

// The software-timed scan of single and background input over the checked
// list copy. A channel listed more than once is scanned once; its first
// position is kept in listPosition, and XanCopyDuplicates fills the others.
// A list that XanCheckChannelList refuses gets its answer, with nothing
// written to any board.
int16_t XanSetADMode(XanBoardRecord* rec, const uint16_t* channels, int count);
// After the values of one scan are stored by list position: each repeated
// channel's value to its later positions as well.
// Nothing to do when no channel repeats.
void XanCopyDuplicates(const XanBoardRecord* rec, const uint16_t* channels, int count, uint16_t* values);

// The DAC of the board at `base`; the channel is not sent. Returns 0.
int16_t XanStartDA(uint16_t base, uint16_t channel, uint16_t code);

// 0, 772, 805 or 806 for a background-input request.
int16_t XanInpBackParaChk(const XanBoardRecord* rec, const XanBackRecord* request);
int16_t XanOutBackParaChk(const XanBackRecord* request);  // always 0

// The 8254 pacer for the record's time base (1 to 3) and clock count.
// Returns the count written to counter 2; 0 and nothing written for a time
// base without a prescaler pair.
uint32_t XanSetCounter(XanBoardRecord* rec);

// Digital I/O on the board at `base`; the port is not sent. Return 1.
int XanDigitalIn(uint16_t base, uint16_t port, uint16_t* value);
int XanDigitalOut(uint16_t base, uint16_t port, uint8_t value);

// The record's gain mode, channel and code: 0, 789 or 807. The record's
// gain channel becomes the board-local channel in one-channel mode.
int16_t XanSetGain(XanBoardRecord* rec);
// 0 or 10003.
int16_t XanSetRange(XanBoardRecord* rec, const XanSetRangeRecord* request);
int16_t XanRange(XanBoardRecord* rec);                                     // 0
int16_t XanGetRange(XanBoardRecord* rec, const XanGetRangeRecord* request);  // 0

// Board-memory state and count into the record: 0, or 800 when the write
// address will not settle.
int16_t XanGetSts(XanBoardRecord* rec);
// Reads of the status port a stop waits for the board at most.
inline constexpr unsigned kStopPolls = 65535;
// Stops the input; true when the board went idle within kStopPolls reads
// (the rest of the stop is done either way).
bool XanStop(XanBoardRecord* rec);
// Initialises every board, cancels the polling timer and completes the
// pended waits.
void XanClose(XanBoardRecord* rec, const XanClose36* request);

// True when board `board`'s configuration byte has bit 1 set.
bool XanGetBoardConfig(XanBoardRecord* rec, unsigned board);

}  // namespace morvel00
