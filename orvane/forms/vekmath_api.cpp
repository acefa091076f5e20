#include "vekmath_api.h"

#include <winbase.h>

#include <string>

namespace orvane::forms {
namespace {

template <typename F>
void Bind(HMODULE module, F& slot, const char* name, std::string& missing) {
  slot = module ? reinterpret_cast<F>(GetProcAddress(module, name)) : nullptr;
  if (!slot) {
    if (!missing.empty()) missing += ",";
    missing += name;
  }
}

struct Loaded {
  VekmathApi api;
  std::string missing;
  Loaded() {
    // Kept loaded for the life of the program: the library stops and closes
    // the board in its detach.
    HMODULE module = LoadLibraryA("Vekmath.dll");
    Bind(module, api.GetErrorText, "GetErrorText", missing);
    Bind(module, api.SetupSampling2, "SetupSampling2", missing);
    Bind(module, api.SetupSampling, "SetupSampling", missing);
    Bind(module, api.StartSampling, "StartSampling", missing);
    Bind(module, api.StopSampling, "StopSampling", missing);
    Bind(module, api.CloseBoard, "CloseBoard", missing);
    Bind(module, api.ReadBlock, "ReadBlock", missing);
    Bind(module, api.ConvertBlock, "ConvertBlock", missing);
    Bind(module, api.SetupWaveGraph, "SetupWaveGraph", missing);
    Bind(module, api.SetupWaveGraph2, "SetupWaveGraph2", missing);
    Bind(module, api.DrawWaveGraph, "DrawWaveGraph", missing);
    if (!api.ConvertBlock) api.ConvertBlock = &ConvertBlockLocal;
  }
};

Loaded& Instance() {
  static Loaded loaded;
  return loaded;
}

}  // namespace

const VekmathApi& LoadedVekmath() { return Instance().api; }
const char* MissingVekmathEntries() { return Instance().missing.c_str(); }

void WINAPI ConvertBlockLocal(FLOAT* dst, const SHORT* raw, SHORT channels, LONG scans,
                              const CalibrationRecord* records) {
  if (!dst || !raw || !records || channels <= 0 || channels > 32 || scans <= 0) return;
  for (int c = 0; c < channels; ++c) {
    const CalibrationRecord& r = records[c];
    const double k = (static_cast<double>(r.calValue) - r.baseValue) / r.calAd;
    FLOAT* out = dst + static_cast<size_t>(scans) * c;
    for (LONG j = 0; j < scans; ++j)
      out[j] = static_cast<FLOAT>((raw[static_cast<size_t>(j) * channels + c] - static_cast<double>(r.baseAd)) * k +
                                  r.baseValue);
  }
}

}  // namespace orvane::forms
