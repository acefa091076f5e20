// The processing library as the form and the run call it: one table of its
// entry points, bound by name from the loaded library, so that a recording
// double can stand in for it in tests. (The board selection, the test
// signals and the grid lines go through the core classes' own table.)
#pragma once
#include <vekmath.h>

namespace orvane::forms {

struct VekmathApi {
  void(WINAPI* GetErrorText)(char* text) = nullptr;
  void(WINAPI* SetupSampling2)(const LONG* formatTable, LONG value, LONG* status) = nullptr;
  void(WINAPI* SetupSampling)(LONG channels, const SHORT* channelList, LONG blockScans, LONG scanClockUs,
                              LONG periodUs, LONG eventOffset, LONG triggerChannel, LONG levelB, LONG levelA,
                              LONG* status) = nullptr;
  void(WINAPI* StartSampling)(LONG* status) = nullptr;
  LONG(WINAPI* StopSampling)(LONG* status) = nullptr;
  void(WINAPI* CloseBoard)(LONG* status) = nullptr;
  LONG(WINAPI* ReadBlock)(SHORT* buffer, LONG scans, LONG* running, LONG* status) = nullptr;
  void(WINAPI* ConvertBlock)(FLOAT* dst, const SHORT* raw, SHORT channels, LONG scans,
                             const CalibrationRecord* records) = nullptr;
  void(WINAPI* SetupWaveGraph)(HWND window, const MonitorSettings* settings, const TraceParams* traces, LONG flag) = nullptr;
  void(WINAPI* SetupWaveGraph2)(LONG value) = nullptr;
  void(WINAPI* DrawWaveGraph)() = nullptr;
};

// The table of the library loaded as "Vekmath.dll". Entry points the library
// does not export are left empty (callers test before calling), except the
// block conversion, which has a stand-in of the same arithmetic. Loaded once
// per process.
const VekmathApi& LoadedVekmath();

// Names of the entry points LoadedVekmath() could not bind, comma-separated.
const char* MissingVekmathEntries();

// The conversion the library performs, for when it does not export it.
void WINAPI ConvertBlockLocal(FLOAT* dst, const SHORT* raw, SHORT channels, LONG scans,
                              const CalibrationRecord* records);

}  // namespace orvane::forms
