// The hook through which the waits of the layer honour SuspendThread.
//
// Suspending another thread cannot stop it at an arbitrary instruction
// here; it stops at its next safe point instead: the next call into one of
// the layer's waits or Sleep. A thread already blocked in a wait stays
// there until it is resumed, even when its objects become signalled.
#pragma once
#include <mutex>

#include "kernel32/object.h"

namespace plat {

// Called with waitLock() held; returns once the calling thread is not
// suspended (at once for threads that nobody can suspend).
void stopWhileSuspended(std::unique_lock<std::mutex>& heldWaitLock);

}  // namespace plat
