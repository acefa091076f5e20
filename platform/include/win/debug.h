// Debug output. Goes to the sink set by PlatSetDebugSink
// (<platform/debug_sink.h>); without one, to stderr when
// $ORVANE_DEBUG_OUTPUT=1, else nowhere.
#pragma once
#include "../windef.h"

PLATFORM_API void WINAPI OutputDebugStringA(LPCSTR lpOutputString);
#define OutputDebugString OutputDebugStringA
