// Tasks: creation, analog channels, timing, the start trigger on PFI0, the
// every-N-samples callback on its own thread, start, stop and clear.
#include <cstdlib>

#include "nisim.h"
#include "sim_state.h"

using namespace daqmx;
using namespace nisim;

namespace {

constexpr auto kStallPoll = std::chrono::milliseconds(5);

// Calls the callback each time another N per channel have come, until the
// task stops or a finite task has delivered its last block.
void everyNWorker(std::shared_ptr<Task> t) {
  std::unique_lock<std::mutex> lock(t->m);
  const uint64_t start = t->starts;
  uint64_t next = t->everyN;
  while (t->running && t->starts == start) {
    const Clock::time_point now = Clock::now();
    if (acquired(*t, now) >= next) {
      lock.unlock();
      t->callback(t->handle, kValAcquiredIntoBuffer, t->everyN, t->callbackData);
      lock.lock();
      next += t->everyN;
      continue;
    }
    if (t->finite && next > t->sampsPerChan) break;
    const Sim& s = sim();
    if (!t->triggered) {
      t->cv.wait(lock);
    } else if (s.stalled.load() || s.freeClock.load()) {
      t->cv.wait_for(lock, kStallPoll);
    } else {
      t->cv.wait_until(lock, whenAcquired(*t, next));
    }
  }
}

// Parses "DevN/aiK" and finds the device; empty device name on failure.
bool parsePhysical(const std::string& entry, const char* kindPrefix, std::string& device, std::string& rest) {
  const std::size_t slash = entry.find('/');
  if (slash == std::string::npos) return false;
  device = entry.substr(0, slash);
  rest = entry.substr(slash + 1);
  return rest.rfind(kindPrefix, 0) == 0;
}

bool parseNumber(const std::string& digits, int32_t limit, int32_t& value) {
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::atoi(digits.c_str());
  return value < limit;
}

}  // namespace

namespace nisim {

void stopTask(Task& t) {
  std::thread worker;
  {
    std::lock_guard<std::mutex> lock(t.m);
    t.running = false;
    t.triggered = false;
    if (t.worker.joinable() && t.worker.get_id() != std::this_thread::get_id()) worker = std::move(t.worker);
  }
  t.cv.notify_all();
  if (worker.joinable()) worker.join();
}

}  // namespace nisim

extern "C" {

DLL_EXPORT int32 WINAPI DAQmxCreateTask(const char* taskName, TaskHandle* task) {
  if (int32 e = enter("DAQmxCreateTask", text(taskName))) return e;
  if (task == nullptr) return refuse(kErrBadArgument, "No place for the task handle.");
  auto t = std::make_shared<Task>();
  Sim& s = sim();
  std::lock_guard<std::mutex> lock(s.m);
  t->handle = newHandle(s);
  s.tasks.emplace(reinterpret_cast<std::uintptr_t>(t->handle), t);
  *task = t->handle;
  return 0;
}

DLL_EXPORT int32 WINAPI DAQmxCreateAIVoltageChan(TaskHandle task, const char* physicalChannel,
                                                 const char* nameToAssignToChannel, int32 terminalConfig,
                                                 float64 minVal, float64 maxVal, int32 units,
                                                 const char* customScaleName) {
  if (int32 e = enter("DAQmxCreateAIVoltageChan",
                      format("%s,%s,%d,%g,%g,%d,%s", text(physicalChannel).c_str(), text(nameToAssignToChannel).c_str(),
                             terminalConfig, minVal, maxVal, units, text(customScaleName).c_str()))) {
    return e;
  }
  std::shared_ptr<Task> t = findTask(task);
  if (t == nullptr) return refuse(kErrInvalidTask, "Task specified is invalid or does not exist.");
  if (physicalChannel == nullptr || units != kValVolts || minVal >= maxVal) {
    return refuse(kErrBadArgument, "Invalid channel arguments.");
  }
  std::vector<int32_t> channels;
  std::string device;
  for (const std::string& entry : splitList(physicalChannel)) {
    std::string name, rest;
    int32_t number = 0;
    if (!parsePhysical(entry, "ai", name, rest) || !parseNumber(rest.substr(2), kChannelsPerDevice, number)) {
      return refuse(kErrBadChannel, "Physical channel specified does not exist: " + entry);
    }
    if (!deviceExists(name)) return refuse(kErrBadDevice, "Device identifier is invalid: " + name);
    device = name;
    channels.push_back(number);
  }
  std::lock_guard<std::mutex> lock(t->m);
  if (t->kind != Kind::None && t->kind != Kind::Analog) return refuse(kErrBadArgument, "Task is not analog.");
  t->kind = Kind::Analog;
  t->device = device;
  t->ai.insert(t->ai.end(), channels.begin(), channels.end());
  return 0;
}

DLL_EXPORT int32 WINAPI DAQmxExportSignal(TaskHandle task, int32 signalID, const char* outputTerminal) {
  if (int32 e = enter("DAQmxExportSignal", format("%d,%s", signalID, text(outputTerminal).c_str()))) return e;
  if (findTask(task) == nullptr) return refuse(kErrInvalidTask, "Task specified is invalid or does not exist.");
  if (signalID != kValSampleClock || outputTerminal == nullptr) return refuse(kErrBadArgument, "Invalid signal.");
  return 0;
}

DLL_EXPORT int32 WINAPI DAQmxCfgSampClkTiming(TaskHandle task, const char* source, float64 rate, int32 activeEdge,
                                              int32 sampleMode, uInt64 sampsPerChan) {
  if (int32 e = enter("DAQmxCfgSampClkTiming",
                      format("%s,%g,%d,%d,%llu", text(source).c_str(), rate, activeEdge, sampleMode,
                             static_cast<unsigned long long>(sampsPerChan)))) {
    return e;
  }
  std::shared_ptr<Task> t = findTask(task);
  if (t == nullptr) return refuse(kErrInvalidTask, "Task specified is invalid or does not exist.");
  if (rate <= 0 || (sampleMode != kValFiniteSamps && sampleMode != kValContSamps)) {
    return refuse(kErrBadArgument, "Invalid timing.");
  }
  std::lock_guard<std::mutex> lock(t->m);
  t->rate = rate;
  t->finite = sampleMode == kValFiniteSamps;
  t->sampsPerChan = sampsPerChan;
  return 0;
}

DLL_EXPORT int32 WINAPI DAQmxCfgDigEdgeStartTrig(TaskHandle task, const char* triggerSource, int32 triggerEdge) {
  if (int32 e = enter("DAQmxCfgDigEdgeStartTrig", format("%s,%d", text(triggerSource).c_str(), triggerEdge))) {
    return e;
  }
  std::shared_ptr<Task> t = findTask(task);
  if (t == nullptr) return refuse(kErrInvalidTask, "Task specified is invalid or does not exist.");
  if (triggerSource == nullptr || std::string(triggerSource) != "PFI0") {
    return refuse(kErrBadChannel, "Trigger source is not routable: " + text(triggerSource));
  }
  std::lock_guard<std::mutex> lock(t->m);
  t->startTrigger = true;
  return 0;
}

DLL_EXPORT int32 WINAPI DAQmxRegisterEveryNSamplesEvent(TaskHandle task, int32 everyNsamplesEventType,
                                                        uInt32 nSamples, uInt32 options,
                                                        EveryNSamplesEventCallbackPtr callbackFunction,
                                                        void* callbackData) {
  if (int32 e = enter("DAQmxRegisterEveryNSamplesEvent",
                      format("%d,%u,%u,%s", everyNsamplesEventType, nSamples, options,
                             callbackFunction != nullptr ? "callback" : "none"))) {
    return e;
  }
  std::shared_ptr<Task> t = findTask(task);
  if (t == nullptr) return refuse(kErrInvalidTask, "Task specified is invalid or does not exist.");
  if (everyNsamplesEventType != kValAcquiredIntoBuffer || nSamples == 0) {
    return refuse(kErrBadArgument, "Invalid event.");
  }
  std::lock_guard<std::mutex> lock(t->m);
  t->callback = callbackFunction;
  t->everyN = nSamples;
  t->callbackData = callbackData;
  return 0;
}

DLL_EXPORT int32 WINAPI DAQmxStartTask(TaskHandle task) {
  if (int32 e = enter("DAQmxStartTask", "")) return e;
  std::shared_ptr<Task> t = findTask(task);
  if (t == nullptr) return refuse(kErrInvalidTask, "Task specified is invalid or does not exist.");
  Sim& s = sim();
  std::vector<std::vector<int16_t>> scripts;
  {
    std::lock_guard<std::mutex> lock(s.m);
    for (int32_t k : t->ai) {
      auto it = s.scripts.find(k);
      scripts.push_back(it != s.scripts.end() ? it->second : std::vector<int16_t>());
    }
  }
  std::thread stale;
  {
    std::lock_guard<std::mutex> lock(t->m);
    if (t->cleared) return refuse(kErrInvalidTask, "Task specified is invalid or does not exist.");
    if (t->running) return refuse(kErrRunning, "The task is running already.");
    // A thread left by a stop from its own callback ends with it, or is
    // this one, when the callback starts the task again.
    stale = std::move(t->worker);
    t->scripts = std::move(scripts);
    t->readPos = 0;
    t->running = true;
    ++t->starts;
    t->triggered = !t->startTrigger || !s.hookTrigger.load();
    t->t0 = Clock::now();
    if (t->callback != nullptr) t->worker = std::thread(everyNWorker, t);
  }
  if (stale.joinable() && stale.get_id() == std::this_thread::get_id()) {
    stale.detach();  // it returns from the callback and ends
  } else if (stale.joinable()) {
    stale.join();
  }
  return 0;
}

DLL_EXPORT int32 WINAPI DAQmxStopTask(TaskHandle task) {
  if (int32 e = enter("DAQmxStopTask", "")) return e;
  std::shared_ptr<Task> t = findTask(task);
  if (t == nullptr) return refuse(kErrInvalidTask, "Task specified is invalid or does not exist.");
  stopTask(*t);
  return 0;
}

DLL_EXPORT int32 WINAPI DAQmxClearTask(TaskHandle task) {
  if (int32 e = enter("DAQmxClearTask", "")) return e;
  std::shared_ptr<Task> t;
  {
    Sim& s = sim();
    std::lock_guard<std::mutex> lock(s.m);
    auto it = s.tasks.find(reinterpret_cast<std::uintptr_t>(task));
    if (it == s.tasks.end()) return refuse(kErrInvalidTask, "Task specified is invalid or does not exist.");
    t = std::move(it->second);
    s.tasks.erase(it);
  }
  {
    std::lock_guard<std::mutex> lock(t->m);
    t->cleared = true;
  }
  stopTask(*t);
  // From its own callback the thread cannot be joined: it ends on its own,
  // and holds the task until then.
  std::lock_guard<std::mutex> lock(t->m);
  if (t->worker.joinable()) t->worker.detach();
  return 0;
}

}  // extern "C"

namespace nisim {

void fireTrigger() {
  Sim& s = sim();
  std::lock_guard<std::mutex> lock(s.m);
  for (auto& [handle, t] : s.tasks) {
    {
      std::lock_guard<std::mutex> taskLock(t->m);
      if (!t->running || t->triggered) continue;
      t->triggered = true;
      t->t0 = Clock::now();
    }
    t->cv.notify_all();
  }
}

}  // namespace nisim

static_assert(std::is_same_v<decltype(&DAQmxCreateTask), CreateTaskProc>);
static_assert(std::is_same_v<decltype(&DAQmxCreateAIVoltageChan), CreateAIVoltageChanProc>);
static_assert(std::is_same_v<decltype(&DAQmxExportSignal), ExportSignalProc>);
static_assert(std::is_same_v<decltype(&DAQmxCfgSampClkTiming), CfgSampClkTimingProc>);
static_assert(std::is_same_v<decltype(&DAQmxCfgDigEdgeStartTrig), CfgDigEdgeStartTrigProc>);
static_assert(std::is_same_v<decltype(&DAQmxRegisterEveryNSamplesEvent), RegisterEveryNSamplesEventProc>);
static_assert(std::is_same_v<decltype(&DAQmxStartTask), StartTaskProc>);
static_assert(std::is_same_v<decltype(&DAQmxStopTask), StopTaskProc>);
static_assert(std::is_same_v<decltype(&DAQmxClearTask), ClearTaskProc>);
