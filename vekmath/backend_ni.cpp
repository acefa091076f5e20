// The NI-DAQmx back end. NI-DAQmx is optional and bound by name at attach;
// without it an NI board type cannot be configured, so nothing runs on it.
// The device sequence itself is not built yet: with the library bound, an
// NI board type is served like a code without a device.
#include "backend_ni.h"

#include <windows.h>

#include "backend.h"
#include "state.h"
#include "status_texts.h"

namespace vekmath {
namespace {

bool niDaqmxBound() { return niDaqmx().module.load() != nullptr; }

class NiDaqmxBackEnd final : public BackEnd {
 public:
  int32_t configure(SamplingConfig&, const int16_t*) override {
    if (!niDaqmxBound()) {
      setOwnStatusText(kStatusDaqmxMissing);
      return kStatusDaqmxMissing;
    }
    return 0;
  }
  int32_t start(const SamplingConfig&, bool& useThread) override {
    useThread = true;
    return 0;
  }
  int32_t beginThread() override { return 0; }
  int32_t fetch(uint16_t*, int32_t, int32_t, int32_t& scans) override {
    scans = 0;
    // A pass that delivers nothing must not spin a core at high priority.
    Sleep(1);
    return 0;
  }
  int32_t stop() override { return 0; }
  int32_t close() override { return 0; }
};

}  // namespace

BackEnd& niDaqmxBackEnd() {
  static NiDaqmxBackEnd* instance = new NiDaqmxBackEnd;
  return *instance;
}

}  // namespace vekmath
