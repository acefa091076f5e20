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
    Bind(module, t.ArrayAdd, "ArrayAdd");
    Bind(module, t.ArraySub, "ArraySub");
    Bind(module, t.ArrayAbs, "ArrayAbs");
    Bind(module, t.ArrayFill, "ArrayFill");
    Bind(module, t.ArraySum, "ArraySum");
    Bind(module, t.ArrayMean, "ArrayMean");
    Bind(module, t.ArrayMaxIndex, "ArrayMaxIndex");
    Bind(module, t.ArrayMinIndex, "ArrayMinIndex");
    Bind(module, t.ArrayShift, "ArrayShift");
    Bind(module, t.ArrayMovingAverage, "ArrayMovingAverage");
    Bind(module, t.GenerateSine, "GenerateSine");
    Bind(module, t.DetectPeaks, "DetectPeaks");
    Bind(module, t.DetectLevelEvents, "DetectLevelEvents");
    Bind(module, t.DecimateMinMax, "DecimateMinMax");
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
    Bind(module, t.GetRingPosition2, "GetRingPosition2");
    Bind(module, t.GetSampleCount, "GetSampleCount");
    Bind(module, t.GetRingLength, "GetRingLength");
    Bind(module, t.GetRingPosition, "GetRingPosition");
    Bind(module, t.ReadRing2, "ReadRing2");
    Bind(module, t.ReadRing3, "ReadRing3");
    Bind(module, t.SetDrawTarget, "SetDrawTarget");
    Bind(module, t.SetDrawArea, "SetDrawArea");
    Bind(module, t.SetDrawRange, "SetDrawRange");
    Bind(module, t.SetPen, "SetPen");
    Bind(module, t.DrawLine, "DrawLine");
    Bind(module, t.DrawLineRECT, "DrawLineRECT");
    Bind(module, t.DrawWave, "DrawWave");
    Bind(module, t.DrawWave2, "DrawWave2");
    Bind(module, t.DrawAxes, "DrawAxes");
    Bind(module, t.SetTextSize, "SetTextSize");
    Bind(module, t.DrawTextAt, "DrawTextAt");
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
