// The NI-DAQmx back end. NI-DAQmx is optional and bound by name at attach;
// without it an NI board type cannot be configured, so nothing runs on it.
// One analog task carries every channel: the thread reads its raw values
// and converts them by the board code's rule into the ring, and with a
// level trigger the task waits for its start trigger and calls back once
// a block has come (ni_triggered.cpp).
#include "backends/ni/ni_backend.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "acquisition/backend.h"
#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "backends/ni/ni_state.h"
#include "backends/ni/status_texts.h"
#include "status/status_texts.h"

namespace vekmath {
namespace {

using namespace daqmx;

// NI-DAQmx's read cannot be broken off from outside, so the thread waits
// in slices short enough that a stop ends the wait promptly; what came in
// a slice is delivered all the same. Only data missing for the whole read
// time-out ends the run.
constexpr float64 kReadSliceSeconds = 0.1;
constexpr std::chrono::milliseconds kReadTimeout{10000};

// "Dev1" gives 1: the number after the first three characters.
int32_t niDeviceNumberOf(const char* stored) {
  if (std::strlen(stored) < 3) return 0;
  // strtol rather than atol: an overlong number saturates instead of being
  // undefined, and the 32-bit state keeps its low half.
  return static_cast<int32_t>(std::strtol(stored + 3, nullptr, 10));
}

// A negative result is a failure; its text is built and its code kept.
void keepFailure(int32_t result, int32_t& status) {
  if (niFailed(result)) status = niFailure(result);
}

// Creates the analog task with its channels, the clock export and the
// timing. False when the task cannot be used (none, or without channels or
// timing); a failed export leaves it usable but is reported.
bool createAnalogTask(NiState& s, const SamplingConfig& cfg, int32_t terminal, int32_t& status) {
  const SelectionState& sel = selection();
  TaskHandle task = nullptr;
  if (int32_t r = callNi<NiEntry::CreateTask>("", &task); niFailed(r) || task == nullptr) {
    keepFailure(niFailed(r) ? r : kNiEntryMissing, status);
    return false;
  }
  s.analog.store(task);
  const std::string channels = niChannelString(sel.deviceName, cfg.channelList, cfg.channels);
  if (int32_t r = callNi<NiEntry::CreateAIVoltageChan>(task, channels.c_str(), "", terminal, -10.0, 10.0, kValVolts,
                                                       static_cast<const char*>(nullptr));
      niFailed(r)) {
    keepFailure(r, status);
    return false;
  }
  if (!s.clockExported) {
    // Rebuilt each time: the device may have changed since.
    const std::string terminalText = std::string("/") + sel.deviceName + "/pfi4";
    keepFailure(callNi<NiEntry::ExportSignal>(task, kValSampleClock, terminalText.c_str()), status);
    s.clockExported = true;
  }
  const bool finite = cfg.detectTriggers != 1 && cfg.triggerChannel > 0;
  const uInt64 perChannel = static_cast<uInt64>(std::max(finite ? cfg.blockScans : cfg.rate, 0));
  if (int32_t r = callNi<NiEntry::CfgSampClkTiming>(task, "", static_cast<float64>(cfg.rate), kValRising,
                                                    finite ? kValFiniteSamps : kValContSamps, perChannel);
      niFailed(r)) {
    keepFailure(r, status);
    return false;
  }
  return true;
}

// The task of an earlier set-up, cleared so that it neither leaks nor keeps
// the device's channels reserved.
int32_t clearAnalogTask(NiState& s) {
  TaskHandle task = s.analog.exchange(nullptr);
  if (task == nullptr) return 0;
  const int32_t r = callNi<NiEntry::ClearTask>(task);
  return niFailed(r) ? niFailure(r) : 0;
}

class NiDaqmxBackEnd final : public BackEnd {
 public:
  // NI-DAQmx is optional: without it the library works until an NI board
  // type is configured. LoadLibraryA asks nothing of the user when it is
  // missing.
  void attach() override {
    NiDaqmxBinding& ni = niDaqmx();
    if (ni.module.load() != nullptr) return;
    HMODULE module = LoadLibraryA(kNiLibraryName);
    if (module == nullptr) return;
    for (std::size_t i = 0; i < static_cast<std::size_t>(NiEntry::Count); ++i) {
      ni.entries[i].store(GetProcAddress(module, kNiEntryNames[i]));
    }
    ni.module.store(module);
  }

  void detach() override {
    // A task still open belongs to a thread that did not end in time: the
    // library stays loaded under it.
    if (niState().analog.load() != nullptr) return;
    NiDaqmxBinding& ni = niDaqmx();
    for (auto& entry : ni.entries) entry.store(nullptr);
    if (HMODULE module = ni.module.exchange(nullptr)) FreeLibrary(module);
  }

  void selected(SelectionState& s) override { s.niDeviceNumber = niDeviceNumberOf(s.deviceName); }

  int32_t configure(SamplingConfig& cfg, const int16_t* channelList) override;

  int32_t start(const SamplingConfig& cfg, bool& useThread) override {
    // A level-triggered block is acquired by the block reader, per call.
    useThread = cfg.samplingMode != 1;
    return 0;
  }

  int32_t beginThread() override {
    lastData_ = std::chrono::steady_clock::now();
    TaskHandle task = niState().analog.load();
    if (task == nullptr) return 0;
    const int32_t r = callNi<NiEntry::StartTask>(task);
    return niFailed(r) ? niFailure(r) : 0;
  }

  int32_t fetch(uint16_t* dest, int32_t channels, int32_t maxScans, int32_t& scans) override;

  int32_t stop() override {
    if (!niDaqmxBound()) return 0;
    NiState& s = niState();
    {
      std::lock_guard<std::mutex> lock(s.digitalLock);
      clearDigitalTasks(s);
    }
    TaskHandle task = s.analog.load();
    if (task == nullptr) return 0;
    const int32_t r = callNi<NiEntry::StopTask>(task);
    return niFailed(r) ? niFailure(r) : 0;
  }

  int32_t close() override {
    if (!niDaqmxBound()) return 0;
    NiState& s = niState();
    {
      std::lock_guard<std::mutex> lock(s.digitalLock);
      clearDigitalTasks(s);
    }
    return clearAnalogTask(s);
  }

  bool detectsTriggerEvents() const override { return true; }

  bool readsTriggeredBlocks() const override { return true; }
  int32_t readTriggeredBlock(TriggeredBlock& block) override { return niReadTriggeredBlock(block); }

  void listDevices(DeviceLists& lists) const override { listNiDaqmxDevices(lists); }

  void setStatusText(int32_t code) const override { setNiStatusText(code, nullptr); }

  // A failed task step is reported and the set-up still completes; without
  // NI-DAQmx there is nothing to complete.
  bool ringFollowsFailure(int32_t status) const override { return status != kStatusDaqmxMissing; }

 private:
  // When the thread last received a scan; only it reads and writes this.
  std::chrono::steady_clock::time_point lastData_{};
};

int32_t NiDaqmxBackEnd::configure(SamplingConfig& cfg, const int16_t* channelList) {
  if (!niDaqmxBound()) {
    setOwnStatusText(kStatusDaqmxMissing);
    return kStatusDaqmxMissing;
  }
  NiState& s = niState();
  const BoardTypeInfo* row = selection().row.load();
  std::memcpy(cfg.channelList, channelList, sizeof cfg.channelList);
  int32_t status = clearAnalogTask(s);
  s.rule = row != nullptr ? row->rule : RawRule::None;
  s.channels = std::max(cfg.channels, 0);
  s.chunk = std::max(cfg.chunk, 1);
  s.blockScans = std::max(cfg.blockScans, 0);
  s.staging.assign(static_cast<std::size_t>(s.channels) * std::max(s.chunk, s.blockScans), 0);
  s.scansRead.store(0);
  s.callbackResult.store(0);

  const bool usable = createAnalogTask(s, cfg, row != nullptr ? row->terminal : kTermDefault, status);
  if (cfg.detectTriggers == 1) {
    cfg.samplingMode = 2;
  } else {
    cfg.samplingMode = cfg.triggerChannel > 0 ? 1 : 0;
  }
  // Without a usable task there is nothing to trigger or to call back.
  if (cfg.samplingMode == 1 && usable) {
    TaskHandle task = s.analog.load();
    keepFailure(callNi<NiEntry::CfgDigEdgeStartTrig>(task, "PFI0", kValRising), status);
    keepFailure(callNi<NiEntry::RegisterEveryNSamplesEvent>(task, kValAcquiredIntoBuffer,
                                                             static_cast<uInt32>(s.blockScans), uInt32{0},
                                                             &niBlockArrived, static_cast<void*>(nullptr)),
                status);
  }
  s.callbackDone.store(0);
  return status;
}

// One pass: waits for up to a chunk of scans (one slice at most) and
// converts what came into the ring. A failure other than the slice's time-out
// ends the thread: a device that went away would otherwise be asked again
// and again at the highest priority.
int32_t NiDaqmxBackEnd::fetch(uint16_t* dest, int32_t channels, int32_t maxScans, int32_t& scans) {
  scans = 0;
  NiState& s = niState();
  TaskHandle task = s.analog.load();
  const int32_t wanted = std::min(s.chunk, maxScans);
  if (task == nullptr || wanted < 1 || channels != s.channels || channels < 1) {
    Sleep(1);
    return 0;
  }
  int32 read = 0;
  const int32_t r = callNi<NiEntry::ReadBinaryU16>(task, wanted, kReadSliceSeconds, kValGroupByScanNumber,
                                                   s.staging.data(), static_cast<uInt32>(wanted * channels), &read,
                                                   static_cast<bool32*>(nullptr));
  read = std::clamp(read, 0, wanted);
  const auto now = std::chrono::steady_clock::now();
  if (read > 0) lastData_ = now;
  if (niFailed(r) && (r != kErrorSamplesNotYetAvailable || now - lastData_ >= kReadTimeout)) return niFailure(r);
  const int32_t values = read * channels;
  for (int32_t i = 0; i < values; ++i) storeSample(dest[i], applyRawRule(s.rule, s.staging[i]));
  scans = read;
  return 0;
}

}  // namespace

BackEnd& niDaqmxBackEnd() {
  static NiDaqmxBackEnd* instance = new NiDaqmxBackEnd;
  return *instance;
}

}  // namespace vekmath
