// ReadBlock2: a single-shot read of 1000 samples of channel 1 on the first
// vendor B board, through a handle of its own: the board is opened and set
// up at the first call, and every call starts one finite run and waits for
// the board to report its end.
#include <skorra.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "backends/vendor_b/status_texts.h"
#include "backends/vendor_b/vendor_b_backend.h"
#include "status/status_texts.h"
#include "vekmath.h"

namespace vekmath {
namespace {

constexpr const char* kDevice = "SKORRA1";
constexpr uint32_t kSamples = 1000;
constexpr uint32_t kRange = 0x10000;
constexpr uint32_t kWaitAtOnce = 2;
constexpr int32_t kForcedBits = 12;

// The board and the completion event, kept from the first call on. A
// failure gives both up, so that the next call sets the board up afresh
// instead of waiting on an event that is gone.
struct SingleShot {
  std::mutex lock;
  HANDLE board = nullptr;
  HANDLE done = nullptr;

  void release() {
    if (done != nullptr) CloseHandle(done);
    if (board != nullptr) SkClose(board);
    done = board = nullptr;
  }
};

SingleShot& singleShot() {
  // Leaked: nothing at process exit may wait on it.
  static SingleShot* instance = new SingleShot;
  return *instance;
}

int32_t fail(SingleShot& s, uint32_t code) {
  s.release();
  setVendorBStatusText(code);
  config().lastStatus.store(static_cast<int32_t>(code));
  return static_cast<int32_t>(code);
}

SkSamplingConfig singleShotRecord() {
  SkSamplingConfig rec{};
  rec.channelCount = 1;
  rec.channels[0].channel = 1;
  rec.channels[0].range = kRange;
  rec.mode = 1;
  rec.inputType = 1;
  rec.sampleCount = kSamples;
  rec.eventCount = 0;
  rec.frequency = 1000.0f;
  rec.triggerPoint = 1;
  rec.triggerMode = 1;
  rec.delay = 0;
  rec.triggerChannel = 1;
  rec.level1 = rec.level2 = 0.0f;
  rec.externalClock = rec.reserved2100 = rec.triggerEdge = rec.triggerInputCount = rec.memoryDivisor = 1;
  return rec;
}

int32_t setUp(SingleShot& s) {
  SelectionState& sel = selection();
  std::memset(sel.deviceName, 0, kDeviceNameSize);
  std::memcpy(sel.deviceName, kDevice, std::strlen(kDevice));
  HANDLE h = SkOpen(kDevice);
  if (h == INVALID_HANDLE_VALUE || h == nullptr) return fail(s, kVendorBDeviceNotFound);
  s.board = h;
  uint32_t info[10] = {};
  if (SkResult r = SkGetDeviceInfo(h, info); r != 0) return fail(s, r);
  sel.resolution = kForcedBits;
  s.done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (s.done == nullptr) return fail(s, SK_E_NO_RESOURCES);
  if (SkResult r = SkSetBoardConfig(h, s.done, nullptr, nullptr); r != 0) return fail(s, r);
  SkSamplingConfig rec = singleShotRecord();
  if (SkResult r = SkSetSamplingConfig(h, &rec); r != 0) return fail(s, r);
  return 0;
}

}  // namespace

void releaseSingleShot() {
  SingleShot& s = singleShot();
  std::lock_guard<std::mutex> guard(s.lock);
  s.release();
}

}  // namespace vekmath

DLL_EXPORT LONG WINAPI ReadBlock2(SHORT* buffer, LONG, LONG, LONG) {
  using namespace vekmath;
  if (buffer == nullptr) {
    setOwnStatusText(kStatusParameter);
    return kStatusParameter;
  }
  SingleShot& s = singleShot();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.board == nullptr) {
    if (const int32_t status = setUp(s); status != 0) return status;
  }
  if (SkResult r = SkStartSampling(s.board, kWaitAtOnce); r != 0) return fail(s, r);
  WaitForSingleObject(s.done, INFINITE);
  ResetEvent(s.done);
  uint16_t samples[kSamples] = {};
  uint32_t count = kSamples;
  if (SkResult r = SkGetSamplingData(s.board, samples, &count); r != 0) return fail(s, r);
  std::memcpy(buffer, samples, std::min(count, kSamples) * sizeof samples[0]);
  config().lastStatus.store(0);
  return 0;
}
