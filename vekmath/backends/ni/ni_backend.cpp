// The NI-DAQmx back end. NI-DAQmx is optional and bound by name at attach;
// without it an NI board type cannot be configured, so nothing runs on it.
// The device sequence itself is not built yet: with the library bound, an
// NI board type takes the interface's defaults, like a code without a
// device.
#include "backends/ni/ni_backend.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "acquisition/backend.h"
#include "acquisition/selection.h"
#include "backends/ni/ni_binding.h"
#include "backends/ni/status_texts.h"
#include "status/status_texts.h"

namespace vekmath {
namespace {

bool niDaqmxBound() { return niDaqmx().module.load() != nullptr; }

// "Dev1" gives 1: the number after the first three characters.
int32_t niDeviceNumberOf(const char* stored) {
  if (std::strlen(stored) < 3) return 0;
  // strtol rather than atol: an overlong number saturates instead of being
  // undefined, and the 32-bit state keeps its low half.
  return static_cast<int32_t>(std::strtol(stored + 3, nullptr, 10));
}

class NiDaqmxBackEnd final : public BackEnd {
 public:
  // NI-DAQmx is optional: without it the library works until an NI board
  // type is configured. LoadLibraryA asks nothing of the user when it is
  // missing.
  void attach() override {
    NiDaqmxBinding& ni = niDaqmx();
    HMODULE module = LoadLibraryA(kNiLibraryName);
    if (module == nullptr) return;
    for (std::size_t i = 0; i < static_cast<std::size_t>(NiEntry::Count); ++i) {
      ni.entries[i].store(GetProcAddress(module, kNiEntryNames[i]));
    }
    ni.module.store(module);
  }

  void detach() override {
    NiDaqmxBinding& ni = niDaqmx();
    for (auto& entry : ni.entries) entry.store(nullptr);
    if (HMODULE module = ni.module.exchange(nullptr)) FreeLibrary(module);
  }

  void selected(SelectionState& s) override { s.niDeviceNumber = niDeviceNumberOf(s.deviceName); }

  int32_t configure(SamplingConfig& cfg, const int16_t* channelList) override {
    if (!niDaqmxBound()) {
      setOwnStatusText(kStatusDaqmxMissing);
      return kStatusDaqmxMissing;
    }
    return BackEnd::configure(cfg, channelList);
  }

  bool detectsTriggerEvents() const override { return true; }

  void listDevices(DeviceLists& lists) const override { listNiDaqmxDevices(lists); }

  void setStatusText(int32_t code) const override { setNiStatusText(code, nullptr); }
};

}  // namespace

BackEnd& niDaqmxBackEnd() {
  static NiDaqmxBackEnd* instance = new NiDaqmxBackEnd;
  return *instance;
}

}  // namespace vekmath
