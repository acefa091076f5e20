// The per-device notification worker.
#pragma once
#include <windows.h>

#include "library.h"

namespace skorra {

DWORD WINAPI workerProc(LPVOID context);

// Acts on one interrupt cause (exposed for tests).
void handleCause(WorkerContext& w, uint32_t cause);
// The message word for flags and mask: 0 when nothing is posted.
// Exposed for tests.
bool messageWord(uint32_t flags, uint32_t mask, uint32_t highWord, WPARAM& wParam);

}  // namespace skorra
