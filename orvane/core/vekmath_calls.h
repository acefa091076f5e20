// The processing library as the monitor calls it: one table of its entry
// points, bound by name once from the library loaded as "Vekmath.dll". The
// board, the calibration and scaling classes, the form and the run all go
// through it, so a test double fills this one table and nothing else.
#pragma once
#include <vekmath.h>

namespace orvane::core {

struct VekmathCalls {
  // Board selection and the simulated board's test signals.
  LONG(WINAPI* SelectBoard)(LONG type, LONG value, const char* name) = nullptr;
  void(WINAPI* SetTestSine)(LONG cycles, LONG n, LONG channel) = nullptr;
  // The calibration file.
  LONG(WINAPI* SaveCalibration)(const CalibrationRecord* records, const char* names, const char* units) = nullptr;
  LONG(WINAPI* LoadCalibration)(CalibrationRecord* records, char* names, char* units) = nullptr;
  // Array routines.
  void(WINAPI* Int16ToFloat)(FLOAT* dst, const SHORT* src, LONG n) = nullptr;
  void(WINAPI* ArraySubC)(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n) = nullptr;
  void(WINAPI* ArrayMulC)(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n) = nullptr;
  void(WINAPI* ArrayDivC)(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n) = nullptr;
  void(WINAPI* ArrayAddC)(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n) = nullptr;
  void(WINAPI* FloatToInt16)(SHORT* dst, const FLOAT* src, LONG n) = nullptr;
  // The waveform class's array, detection, smoothing and generator routines.
  void(WINAPI* ArrayAdd)(FLOAT* dst, const FLOAT* a, const FLOAT* b, LONG n) = nullptr;
  void(WINAPI* ArraySub)(FLOAT* dst, const FLOAT* a, const FLOAT* b, LONG n) = nullptr;
  void(WINAPI* ArrayAbs)(FLOAT* dst, const FLOAT* src, LONG n) = nullptr;
  void(WINAPI* ArrayFill)(void* dst, DWORD value, LONG n) = nullptr;
  void(WINAPI* ArraySum)(FLOAT* out, const FLOAT* src, LONG n) = nullptr;
  void(WINAPI* ArrayMean)(FLOAT* out, const FLOAT* src, LONG n) = nullptr;
  void(WINAPI* ArrayMaxIndex)(FLOAT* outMax, LONG* outIndex, const FLOAT* src, LONG n) = nullptr;
  void(WINAPI* ArrayMinIndex)(FLOAT* outMin, LONG* outIndex, const FLOAT* src, LONG n) = nullptr;
  void(WINAPI* ArrayShift)(void* buf, LONG start, LONG count, LONG offset, LONG length) = nullptr;
  void(WINAPI* ArrayMovingAverage)(FLOAT* dst, const FLOAT* src, LONG w, LONG n) = nullptr;
  void(WINAPI* GenerateSine)(FLOAT* dst, LONG cycles, LONG n) = nullptr;
  void(WINAPI* DetectPeaks)(LONG* outPeakCount, FLOAT* outPeakPos, LONG* outValleyCount, FLOAT* outValleyPos,
                            const FLOAT* data, LONG n, FLOAT h) = nullptr;
  void(WINAPI* DetectLevelEvents)(LONG* outUpCount, FLOAT* outUpPos, LONG* outDownCount, FLOAT* outDownPos,
                                  const FLOAT* data, LONG n, FLOAT level, FLOAT width, FLOAT upper,
                                  FLOAT lower) = nullptr;
  void(WINAPI* DecimateMinMax)(FLOAT* dst, const FLOAT* src, LONG unused, LONG n, LONG m) = nullptr;
  // Acquisition, readout and conversion.
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
  // The monitor's wave graph.
  void(WINAPI* SetupWaveGraph)(HWND window, const MonitorSettings* settings, const TraceParams* traces,
                               LONG flag) = nullptr;
  void(WINAPI* SetupWaveGraph2)(LONG value) = nullptr;
  void(WINAPI* DrawWaveGraph)() = nullptr;
  void(WINAPI* SetupWaveGraph_XLINE)(HWND window, const GridLine* lines) = nullptr;
  // The sample ring as the buffer viewer reads it.
  void(WINAPI* GetRingPosition2)(LONG* flag) = nullptr;
  void(WINAPI* GetSampleCount)(LONG* value) = nullptr;
  void(WINAPI* GetRingLength)(LONG* length) = nullptr;
  void(WINAPI* GetRingPosition)(LONG* index, LONG* overrun) = nullptr;
  void(WINAPI* ReadRing2)(WORD* buffer, LONG start, LONG count) = nullptr;
  void(WINAPI* ReadRing3)(WORD* buffer, LONG distance, LONG count) = nullptr;
  // The single drawing target.
  void(WINAPI* SetDrawTarget)(HWND window, HDC dc) = nullptr;
  void(WINAPI* SetDrawArea)(LONG left, LONG right, LONG top, LONG bottom) = nullptr;
  void(WINAPI* SetDrawRange)(FLOAT xMin, FLOAT yMin, FLOAT xMax, FLOAT yMax) = nullptr;
  void(WINAPI* SetPen)(LONG style, LONG colour) = nullptr;
  void(WINAPI* DrawLine)(FLOAT x1, FLOAT y1, FLOAT x2, FLOAT y2) = nullptr;
  void(WINAPI* DrawLineRECT)(FLOAT x1, FLOAT y1, FLOAT x2, FLOAT y2, LONG fill) = nullptr;
  void(WINAPI* DrawWave)(const FLOAT* values, LONG n, LONG style, FLOAT xOffset, FLOAT yOffset) = nullptr;
  void(WINAPI* DrawWave2)(const FLOAT* values, LONG n, LONG style, FLOAT xOffset, FLOAT yOffset) = nullptr;
  void(WINAPI* DrawAxes)(FLOAT xStep, FLOAT yStep, FLOAT xOrigin, FLOAT yOrigin, LONG yLabelXOffset,
                         LONG xLabelYOffset, LONG xLabelEvery, LONG yLabelEvery, LONG gridStyle,
                         const LONG* style) = nullptr;
  void(WINAPI* SetTextSize)(LONG width, LONG height) = nullptr;
  void(WINAPI* DrawTextAt)(FLOAT x, FLOAT y, const char* text) = nullptr;
  // The camera, its list file and the video recorded beside a run.
  LONG(WINAPI* CameraInit)() = nullptr;
  void(WINAPI* CameraExit)() = nullptr;
  LONG(WINAPI* SelectCamera)(LONG index) = nullptr;
  void(WINAPI* OpenCamera)(HWND window, const char* folder, LONG height, LONG width, LONG* status) = nullptr;
  void(WINAPI* CloseCamera)(HWND window, LONG* status) = nullptr;
  void(WINAPI* ListCameras)(const char* path, LONG* status) = nullptr;
  LONG(WINAPI* StartRecord)(const char* videoPath, const char* second, const char* timePath) = nullptr;
  void(WINAPI* EndRecord)(LONG keepCallback, LONG keepPreview, LONG unused) = nullptr;
  LONG(WINAPI* GetCaptureCounts)(LONG* frames, LONG* blocks) = nullptr;
  void(WINAPI* GetCaptureTimes)(LONG* positions, LONG* blockTimes, double* frameTimes, LONG* grabbed) = nullptr;
  void(WINAPI* GetLastStatus)(LONG* status) = nullptr;
};

// The table of the library loaded as "Vekmath.dll", bound on first use and
// kept for the whole run (the library stops and closes the board in its
// detach). Entry points it lacks stay empty; callers test before calling.
const VekmathCalls& LoadedVekmath();

// Names of the entry points LoadedVekmath() could not bind, comma-separated.
const char* MissingVekmathEntries();

// The table in use: the one installed by UseVekmathCalls, else the loaded
// library's.
const VekmathCalls& VekmathInUse();

// Installs a table in place of the library's (tests); nullptr goes back to
// the loaded library. The table is copied as it is. Call from one thread
// while no class is at work.
void UseVekmathCalls(const VekmathCalls* calls);

// The fixed path by which the board class loads the library a second time.
inline constexpr const char* kFixedLibraryPath = "C:\\Windows\\system32\\VKL.DLL";

}  // namespace orvane::core
