// Exports of the processing library: the monitor wave graph, stacked
// sweeping traces in one window.
#pragma once
#include <windef.h>

// The display settings. Colours are 0x00BBGGRR values.
typedef struct MonitorSettings {
  LONG span;             // samples per trace across the display width
  LONG background;       // brush, erase pen and window fill
  LONG eraseWidth;       // pixels erased ahead of the sweep
  LONG sweepColour;
  LONG referenceColour;  // the zero lines
  LONG gridInterval;     // samples between vertical grid lines, 0 = none
  LONG gridColour;       // dotted vertical grid
  LONG unused;
} MonitorSettings;

// One per channel, in channel order; 32 of them.
typedef struct TraceParams {
  LONG visible;         // -1 = shown; any other value hides the channel
  FLOAT gain;           // applied to the counts
  LONG colour;          // solid trace pen
  LONG offset;          // counts, subtracted after the gain
  LONG referenceStep;   // counts between dotted reference lines, 0 = none
  LONG referenceLines;  // dotted lines each side of the zero line; -1 = no zero line either
  LONG referenceColour; // dotted reference lines
} TraceParams;

// One horizontal grid line; 128 of them.
typedef struct GridLine {
  LONG drawn;      // -1 = drawn
  FLOAT position;  // percent of the display height, from the bottom
  LONG style;      // pen style
  DWORD colour;
} GridLine;

#ifdef __cplusplus
#include <cstddef>
static_assert(sizeof(MonitorSettings) == 32 && offsetof(MonitorSettings, gridColour) == 24, "8 values of 32 bits");
static_assert(sizeof(TraceParams) == 28 && offsetof(TraceParams, gain) == 4 && offsetof(TraceParams, colour) == 8 &&
                  offsetof(TraceParams, offset) == 12 && offsetof(TraceParams, referenceStep) == 16 &&
                  offsetof(TraceParams, referenceLines) == 20 && offsetof(TraceParams, referenceColour) == 24,
              "7 values of 32 bits");
static_assert(sizeof(GridLine) == 16 && offsetof(GridLine, position) == 4 && offsetof(GridLine, style) == 8 &&
                  offsetof(GridLine, colour) == 12,
              "4 values of 32 bits");
#endif

#define WAVE_GRAPH_TRACES 32
#define WAVE_GRAPH_GRID_LINES 128

// Prepares the display in window from the settings and the 32 trace
// records; the flag is kept and not used.
DLL_EXPORT void WINAPI SetupWaveGraph(HWND window, const MonitorSettings* settings, const TraceParams* traces,
                                      LONG flag);
// Takes a copy of the 128 grid lines, each with its own pen; window is not used.
DLL_EXPORT void WINAPI SetupWaveGraph_XLINE(HWND window, const GridLine* lines);
// 1: every DrawWaveGraph first rebuilds the trace points from the sample ring.
DLL_EXPORT void WINAPI SetupWaveGraph2(LONG value);
// Redraws the whole display while sampling has been started.
DLL_EXPORT void WINAPI DrawWaveGraph(void);
