#include "vekmath_calls.h"

#include <winbase.h>

#include <atomic>
#include <string>

namespace orvane::core {
namespace {

struct Loaded {
  VekmathCalls table;
  std::string missing;

  template <class Fn>
  void Bind(HMODULE module, Fn& slot, const char* name) {
    slot = module != nullptr ? reinterpret_cast<Fn>(GetProcAddress(module, name)) : nullptr;
    if (slot != nullptr) return;
    if (!missing.empty()) missing += ",";
    missing += name;
  }

  Loaded() {
    HMODULE module = LoadLibraryA("Vekmath.dll");
    VekmathCalls& t = table;
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
    Bind(module, t.GetErrorText, "GetErrorText");
    Bind(module, t.SetupSampling2, "SetupSampling2");
    Bind(module, t.SetupSampling, "SetupSampling");
    Bind(module, t.StartSampling, "StartSampling");
    Bind(module, t.StopSampling, "StopSampling");
    Bind(module, t.CloseBoard, "CloseBoard");
    Bind(module, t.ReadBlock, "ReadBlock");
    Bind(module, t.ConvertBlock, "ConvertBlock");
    Bind(module, t.SetupWaveGraph, "SetupWaveGraph");
    Bind(module, t.SetupWaveGraph2, "SetupWaveGraph2");
    Bind(module, t.DrawWaveGraph, "DrawWaveGraph");
    Bind(module, t.SetupWaveGraph_XLINE, "SetupWaveGraph_XLINE");
    Bind(module, t.CameraInit, "CameraInit");
    Bind(module, t.CameraExit, "CameraExit");
    Bind(module, t.SelectCamera, "SelectCamera");
    Bind(module, t.OpenCamera, "OpenCamera");
    Bind(module, t.CloseCamera, "CloseCamera");
    Bind(module, t.ListCameras, "ListCameras");
    Bind(module, t.StartRecord, "StartRecord");
    Bind(module, t.EndRecord, "EndRecord");
    Bind(module, t.GetCaptureCounts, "GetCaptureCounts");
    Bind(module, t.GetCaptureTimes, "GetCaptureTimes");
    Bind(module, t.GetLastStatus, "GetLastStatus");
  }
};

const Loaded& LoadedState() {
  static const Loaded loaded;
  return loaded;
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

const VekmathCalls& LoadedVekmath() { return LoadedState().table; }
const char* MissingVekmathEntries() { return LoadedState().missing.c_str(); }

const VekmathCalls& VekmathInUse() {
  Installed& s = InstalledState();
  if (s.active.load(std::memory_order_acquire)) return s.table;
  return LoadedVekmath();
}

void UseVekmathCalls(const VekmathCalls* calls) {
  Installed& s = InstalledState();
  s.active.store(false, std::memory_order_release);
  if (calls == nullptr) return;
  s.table = *calls;
  s.active.store(true, std::memory_order_release);
}

}  // namespace orvane::core
