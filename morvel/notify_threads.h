// The notification threads of a slot: they keep a wait request pending in
// the driver, ask for the state when it completes and post the caller's
// window message. They park (suspend themselves) between runs, are woken
// by the next start and end at close.
#pragma once
#include <windows.h>

#include <cstdint>

#include "library.h"

namespace morvel {

// Back notification thread (and, for input, the back data thread): created
// at the first start, woken at later ones. 0, 5 (no thread) or 1281 (the
// parked thread could not be woken).
LONG startBackThreads(Slot& s, bool input);
// Board-memory thread; returns once its wait is pending in the driver (at
// most a few seconds): 0, 5 or 1281 (not woken, or its wait not armed).
LONG startBdMemThread(Slot& s);
// Counter thread: created when none runs and the message is not 0, else
// resumed once. 0 or 5.
LONG startCounterThread(Slot& s, uint16_t message);

// Ends every thread of the slot: their pending waits are cancelled first,
// so they end; 1 when one of them still did not end within the budget.
int stopNotifyThreads(Slot& s);
// Closes and forgets the thread handles and the ready event.
void closeSlotThreadHandles(Slot& s);

}  // namespace morvel
