// The back end of the codes that are accepted without a device: nothing is
// opened and every pass delivers nothing.
#include <windows.h>

#include "backends/backend.h"

namespace vekmath {
namespace {

class NoBackEnd final : public BackEnd {
 public:
  int32_t configure(SamplingConfig&, const int16_t*) override { return 0; }
  int32_t start(const SamplingConfig&, bool& useThread) override {
    useThread = true;
    return 0;
  }
  int32_t beginThread() override { return 0; }
  int32_t fetch(uint16_t*, int32_t, int32_t, int32_t& scans) override {
    scans = 0;
    // Without this the thread would spin a core at the highest priority.
    Sleep(1);
    return 0;
  }
  int32_t stop() override { return 0; }
  int32_t close() override { return 0; }
};

}  // namespace

BackEnd& noBackEnd() {
  static NoBackEnd* instance = new NoBackEnd;
  return *instance;
}

}  // namespace vekmath
