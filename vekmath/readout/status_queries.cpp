// Polling exports: status, version, counters and ring position.
#include <windows.h>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "status/status_texts.h"
#include "vekmath.h"

namespace vekmath {
namespace {

constexpr LONG kLibraryVersion = 101;

void put(LONG* out, int32_t value) {
  if (out != nullptr) *out = value;
}

}  // namespace
}  // namespace vekmath

DLL_EXPORT void WINAPI GetSamplingStatus(LONG* running, LONG* scans, LONG* status) {
  using namespace vekmath;
  Ring& r = ring();
  if (r.stopRequested.load() != 0) {
    put(running, 0);
    put(scans, 0);
    put(status, kStatusStopped);
    return;
  }
  put(status, config().lastStatus.load());
  put(running, r.running.load());
  put(scans, config().triggerChannel > 0 ? 0 : r.scanCounter.load());
}

DLL_EXPORT void WINAPI GetLibraryVersion(LONG* value) { vekmath::put(value, vekmath::kLibraryVersion); }

DLL_EXPORT void WINAPI GetSampleCount(LONG* value) { vekmath::put(value, vekmath::ring().unread.load()); }

DLL_EXPORT void WINAPI GetRingPosition(LONG* index, LONG* overrun) {
  vekmath::put(index, vekmath::ring().writeIndex.load());
  vekmath::put(overrun, vekmath::ring().lastChunkOverrun.load());
}

DLL_EXPORT void WINAPI GetRingPosition2(LONG* flag) { vekmath::put(flag, vekmath::ring().wrapped.load()); }

DLL_EXPORT void WINAPI GetRingLength(LONG* length) { vekmath::put(length, vekmath::ring().length.load()); }
