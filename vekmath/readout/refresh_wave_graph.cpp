// RefreshWaveGraph: the monitor's trace points rebuilt from the ring by the
// wave graph, which owns the traces and their scale.
#include <windows.h>

#include "drawing/wave_graph.h"
#include "vekmath.h"

DLL_EXPORT void WINAPI RefreshWaveGraph(LONG) { vekmath::rebuildTracePoints(); }
