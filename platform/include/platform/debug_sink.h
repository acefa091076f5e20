// Where OutputDebugStringA goes, for tests and tools that want to see it.
#pragma once
#include <windows.h>

typedef void (*PLAT_DEBUG_SINK)(const char* text, void* context);

// Replaces the sink; NULL restores the default (stderr when
// $ORVANE_DEBUG_OUTPUT=1). Calls of the sink are serialised, and once this
// returns the previous sink is no longer running or called. The sink may
// itself call OutputDebugStringA or PlatSetDebugSink.
PLATFORM_API void WINAPI PlatSetDebugSink(PLAT_DEBUG_SINK sink, void* context);
