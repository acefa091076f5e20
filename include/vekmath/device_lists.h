// Exports of the processing library: device_lists.
#pragma once
#include <windef.h>

// Room of each list buffer, the terminating NUL included.
#define VEKMATH_DEVICE_LIST_BYTES 1024

// Appends the devices that can be opened now to two comma-separated lists of
// equal length: device names to names, model names to models, vendor B's
// boards first, then NI-DAQmx's when that library is bound. Each device is
// opened and closed again at once; one that cannot be opened is left out,
// and the board selected for acquisition is left as it was (while its run
// holds it open it cannot be opened here, so it is not listed).
// Both buffers hold VEKMATH_DEVICE_LIST_BYTES bytes and are passed as NUL-
// terminated text (normally empty). Entries are added whole, in pairs, while
// both still fit; the first that does not fit ends the lists. Either buffer
// NULL: nothing is done.
DLL_EXPORT void WINAPI SelectBoardNAME(char* names, char* models);
