// The calling thread's interrupt request level, and the raw spin lock that
// spin locks, the cancel lock and interrupt objects share.
#pragma once
#include <ntkrnl/nt_ke.h>

namespace ntk {

KIRQL currentIrql();
// Returns the level to restore; never lowers.
KIRQL raiseIrql(KIRQL level);
// Back to `level`; coming down to DISPATCH_LEVEL or below delivers the
// interrupts that fell due while the thread was above it.
void lowerIrql(KIRQL level);

void acquireRaw(PKSPIN_LOCK lock);
void releaseRaw(PKSPIN_LOCK lock);

}  // namespace ntk
