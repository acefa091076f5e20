// Threads of the library that a close told to end but that did not end
// within the close's wait: a callback still running, a thread the machine
// has not scheduled yet. The close answers as it always has; an unload's
// detach waits for them, since once it returns the library's code may be
// unmapped under them, and keeps the library mapped for one that does not
// end. At process end nothing is unmapped: nothing waits.
#pragma once
#include <windows.h>

namespace halvik {

// Takes over the handle of a thread that has been told to end.
void KeepStragglerThread(HANDLE thread);

// Waits until every kept thread has ended (each is only finishing its way
// out: its own waits are bounded) and closes their handles. The wait is
// bounded too, far beyond any such way out; a thread still running after
// it (a callback that blocks) pins the library in the process.
void AwaitStragglerThreads();

}  // namespace halvik
