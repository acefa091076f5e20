// The processing library's entry points that the monitor's classes call,
// as one table bound by name from the library loaded as "Vekmath.dll", so
// that tests can put a recording double in its place.
#pragma once
#include <vekmath.h>

namespace orvane::core {

struct VekmathCalls {
  LONG(WINAPI* SelectBoard)(LONG type, LONG value, const char* name) = nullptr;
  void(WINAPI* SetTestSine)(LONG cycles, LONG n, LONG channel) = nullptr;
  LONG(WINAPI* SaveCalibration)(const CalibrationRecord* records, const char* names, const char* units) = nullptr;
  LONG(WINAPI* LoadCalibration)(CalibrationRecord* records, char* names, char* units) = nullptr;
  void(WINAPI* Int16ToFloat)(FLOAT* dst, const SHORT* src, LONG n) = nullptr;
  void(WINAPI* ArraySubC)(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n) = nullptr;
  void(WINAPI* ArrayMulC)(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n) = nullptr;
  void(WINAPI* ArrayDivC)(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n) = nullptr;
  void(WINAPI* ArrayAddC)(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n) = nullptr;
  void(WINAPI* FloatToInt16)(SHORT* dst, const FLOAT* src, LONG n) = nullptr;
  void(WINAPI* SetupWaveGraph_XLINE)(HWND window, const GridLine* lines) = nullptr;
};

// The table in use: the one installed by UseVekmathCalls, else the library
// loaded as "Vekmath.dll" (bound once per process). Entry points the library
// lacks stay empty, and the classes skip those calls, except the array
// routines, which fall back on the same arithmetic done here.
const VekmathCalls& CoreVekmath();

// Installs a table for the classes to call (tests); nullptr goes back to the
// loaded library. The table is copied, and its empty array routines take
// the local arithmetic. Call from one thread while no class is at work.
void UseVekmathCalls(const VekmathCalls* calls);

// The fixed path by which the board class loads the library a second time.
inline constexpr const char* kFixedLibraryPath = "C:\\Windows\\system32\\VKL.DLL";

}  // namespace orvane::core
