#include "vekmath_calls.h"

#include <winbase.h>

#include <atomic>
#include <cmath>

namespace orvane::core {
namespace {

// The same arithmetic as the library's array routines, for a library that
// lacks them.
void WINAPI LocalInt16ToFloat(FLOAT* dst, const SHORT* src, LONG n) {
  if (dst == nullptr || src == nullptr) return;
  for (LONG i = 0; i < n; ++i) dst[i] = static_cast<FLOAT>(src[i]);
}
void WINAPI LocalArraySubC(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n) {
  if (dst == nullptr || src == nullptr) return;
  for (LONG i = 0; i < n; ++i) dst[i] = static_cast<FLOAT>(static_cast<double>(src[i]) - c);
}
void WINAPI LocalArrayMulC(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n) {
  if (dst == nullptr || src == nullptr) return;
  for (LONG i = 0; i < n; ++i) dst[i] = static_cast<FLOAT>(static_cast<double>(c) * src[i]);
}
void WINAPI LocalArrayDivC(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n) {
  if (dst == nullptr || src == nullptr) return;
  for (LONG i = 0; i < n; ++i) dst[i] = static_cast<FLOAT>(static_cast<double>(src[i]) / c);
}
void WINAPI LocalArrayAddC(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n) {
  if (dst == nullptr || src == nullptr) return;
  for (LONG i = 0; i < n; ++i) dst[i] = static_cast<FLOAT>(static_cast<double>(src[i]) + c);
}
void WINAPI LocalFloatToInt16(SHORT* dst, const FLOAT* src, LONG n) {
  if (dst == nullptr || src == nullptr) return;
  for (LONG i = 0; i < n; ++i) {
    double t = std::trunc(static_cast<double>(src[i]));
    int32_t v = (t >= -2147483648.0 && t <= 2147483647.0) ? static_cast<int32_t>(t) : INT32_MIN;
    dst[i] = static_cast<SHORT>(static_cast<uint16_t>(static_cast<uint32_t>(v) & 0xFFFFu));
  }
}

void FillArrayFallbacks(VekmathCalls& t) {
  if (t.Int16ToFloat == nullptr) t.Int16ToFloat = LocalInt16ToFloat;
  if (t.ArraySubC == nullptr) t.ArraySubC = LocalArraySubC;
  if (t.ArrayMulC == nullptr) t.ArrayMulC = LocalArrayMulC;
  if (t.ArrayDivC == nullptr) t.ArrayDivC = LocalArrayDivC;
  if (t.ArrayAddC == nullptr) t.ArrayAddC = LocalArrayAddC;
  if (t.FloatToInt16 == nullptr) t.FloatToInt16 = LocalFloatToInt16;
}

template <class Fn>
void Bind(HMODULE module, Fn& slot, const char* name) {
  slot = module != nullptr ? reinterpret_cast<Fn>(GetProcAddress(module, name)) : nullptr;
}

// The library bound by name: loaded once and kept for the whole run, as the
// program's own binding to it would be.
const VekmathCalls& LoadedTable() {
  static const VekmathCalls table = [] {
    VekmathCalls t;
    HMODULE module = LoadLibraryA("Vekmath.dll");
    Bind(module, t.SelectBoard, "SelectBoard");
    Bind(module, t.SetTestSine, "SetTestSine");
    Bind(module, t.SaveCalibration, "SaveCalibration");
    Bind(module, t.LoadCalibration, "LoadCalibration");
    Bind(module, t.Int16ToFloat, "Int16ToFloat");
    Bind(module, t.ArraySubC, "ArraySubC");
    Bind(module, t.ArrayMulC, "ArrayMulC");
    Bind(module, t.ArrayDivC, "ArrayDivC");
    Bind(module, t.ArrayAddC, "ArrayAddC");
    Bind(module, t.FloatToInt16, "FloatToInt16");
    Bind(module, t.SetupWaveGraph_XLINE, "SetupWaveGraph_XLINE");
    FillArrayFallbacks(t);
    return t;
  }();
  return table;
}

// The installed table, copied so that a caller's double may go out of
// scope without leaving a dangling table behind.
struct Installed {
  VekmathCalls table;
  std::atomic<bool> active{false};
};

Installed& InstalledState() {
  static Installed state;
  return state;
}

}  // namespace

const VekmathCalls& CoreVekmath() {
  Installed& s = InstalledState();
  if (s.active.load(std::memory_order_acquire)) return s.table;
  return LoadedTable();
}

void UseVekmathCalls(const VekmathCalls* calls) {
  Installed& s = InstalledState();
  s.active.store(false, std::memory_order_release);
  if (calls == nullptr) return;
  s.table = *calls;
  FillArrayFallbacks(s.table);
  s.active.store(true, std::memory_order_release);
}

}  // namespace orvane::core
