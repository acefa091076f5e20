// The NI-DAQmx back end. NI-DAQmx is optional and bound by name at attach;
// without it an NI board type cannot be configured, so nothing runs on it.
// The device sequence itself is not built yet: with the library bound, an
// NI board type is served like a code without a device.
#include "backends/ni/ni_backend.h"

#include "backends/backend.h"
#include "acquisition/sampling_config.h"
#include "backends/ni/ni_binding.h"
#include "status/status_texts.h"

namespace vekmath {
namespace {

bool niDaqmxBound() { return niDaqmx().module.load() != nullptr; }

// Until the device sequence lands, a bound library leaves an NI board type
// to the back end of the codes without a device.
class NiDaqmxBackEnd final : public BackEnd {
 public:
  int32_t configure(SamplingConfig& cfg, const int16_t* channelList) override {
    if (!niDaqmxBound()) {
      setOwnStatusText(kStatusDaqmxMissing);
      return kStatusDaqmxMissing;
    }
    return empty_.configure(cfg, channelList);
  }
  int32_t start(const SamplingConfig& cfg, bool& useThread) override { return empty_.start(cfg, useThread); }
  int32_t beginThread() override { return empty_.beginThread(); }
  int32_t fetch(uint16_t* dest, int32_t channels, int32_t maxScans, int32_t& scans) override {
    return empty_.fetch(dest, channels, maxScans, scans);
  }
  int32_t stop() override { return empty_.stop(); }
  int32_t close() override { return empty_.close(); }

 private:
  BackEnd& empty_ = noBackEnd();
};

}  // namespace

BackEnd& niDaqmxBackEnd() {
  static NiDaqmxBackEnd* instance = new NiDaqmxBackEnd;
  return *instance;
}

}  // namespace vekmath
