// Exports of the processing library: blocks.
#pragma once
#include <windef.h>

// A RawBlock is what ReadBlock hands out: scans x channels signed 16-bit
// counts, interleaved scan by scan (element s x channels + c is scan s,
// channel c), each the raw count minus the zero offset, or the raw count
// unchanged for a channel marked signed by SetupSampling2.
typedef SHORT RawBlockSample;
#ifdef __cplusplus
static_assert(sizeof(RawBlockSample) == 2, "RawBlock samples are 16 bits");
#endif

// Blocks until scans scans are handed out into buffer (at least scans x
// channels values), pumping one window message per pass and drawing every
// newly arrived strip into the monitor display. Ends when the block is
// complete or the run stops, fails or is closed: running receives the run
// flag and status the last status (30000 when the run was not or no longer
// running, or for a NULL buffer). Either output may be NULL.
DLL_EXPORT LONG WINAPI ReadBlock(SHORT* buffer, LONG scans, LONG* running, LONG* status);

// A single-shot read of 1000 samples of channel 1 on board "SKORRA1" (the
// selection's device name becomes that name; the resolution is taken as 12
// bits). The first call opens and sets up the board; every call starts one
// run of 1000 samples at 1 kHz, waits for its end without a time-out and
// copies the raw samples to buffer (room for 1000 values). The other three
// arguments are not used. Returns 0, or the board library's code with its
// message built (the board is then set up again at the next call); a NULL
// buffer gives 30000 and touches no board.
DLL_EXPORT LONG WINAPI ReadBlock2(SHORT* buffer, LONG unused1, LONG unused2, LONG unused3);
