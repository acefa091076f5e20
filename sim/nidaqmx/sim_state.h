// The simulated library's process-wide state: devices, tasks, the call log
// and the injected failures. Freed when the library is unloaded; calls made
// at process exit after its destructors find a fresh state, not a freed one.
#pragma once
#include <outside/daqmx_entries.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace nisim {

using Clock = std::chrono::steady_clock;
using daqmx::int32;

struct Device {
  std::string name;
  std::string product;
  uint32_t lines = 0;  // the loopback register: bit 8 x port + line
};

enum class Kind { None, Analog, DigitalOut, DigitalIn };

struct Task {
  daqmx::TaskHandle handle = nullptr;  // its key in the table, given to its callback
  std::mutex m;
  std::condition_variable cv;
  Kind kind = Kind::None;
  std::vector<int32_t> ai;  // physical channel numbers, in the task's order
  std::string device;       // of the channels or lines
  std::vector<int32_t> lineBits;
  double rate = 1000.0;
  bool finite = false;
  uint64_t sampsPerChan = 0;
  bool startTrigger = false;
  daqmx::EveryNSamplesEventCallbackPtr callback = nullptr;
  uint32_t everyN = 0;
  void* callbackData = nullptr;
  bool running = false;
  // Counts the starts: a callback thread ends once its start is not the
  // last, even when a stop and a start from its own callback left the task
  // running.
  uint64_t starts = 0;
  bool triggered = false;
  // Set by the clear: a call that found the task before it answers that the
  // task is gone instead of starting or waiting on it.
  bool cleared = false;
  Clock::time_point t0{};
  uint64_t readPos = 0;
  // Per channel of the task: the scripted values, or empty for the signal.
  std::vector<std::vector<int16_t>> scripts;
  std::thread worker;
};

struct Sim {
  std::mutex m;
  bool loaded = false;
  std::vector<Device> devices;
  std::atomic<bool> sine{false};
  std::atomic<bool> hookTrigger{false};
  std::atomic<bool> freeClock{false};
  std::atomic<bool> stalled{false};
  // By handle. A call holds its task for as long as it works on it, and so
  // does the callback thread, so a clear on another thread frees nothing in
  // use.
  // Handles are counted, not addresses, so the handle of a cleared task
  // names no task made soon after it.
  std::unordered_map<std::uintptr_t, std::shared_ptr<Task>> tasks;
  uint32_t lastHandle = 0;
  std::deque<std::string> log;
  std::map<std::string, int32> injected;
  std::map<int32_t, std::vector<int16_t>> scripts;
  // A leaf lock: failures are kept while any other lock is held.
  std::mutex errorLock;
  std::string lastError;
};

void keepError(const std::string& text);

// Loads the configuration on first use.
Sim& sim();
void loadConfiguration(Sim& s);  // s.m held

// Logs the call and answers an injected failure for it (0: none).
int32 enter(const char* function, const std::string& arguments);
// Keeps the text for DAQmxGetExtendedErrorInfo and returns the code.
int32 refuse(int32 code, const std::string& text);

// The task behind a handle, or null when it is no live task.
std::shared_ptr<Task> findTask(daqmx::TaskHandle handle);
// A handle no live task has, non-zero and below 2^31 (s.m held).
daqmx::TaskHandle newHandle(Sim& s);

// Stops the task and waits for its callback thread, unless called from it.
void stopTask(Task& t);
Device* findDevice(Sim& s, const std::string& name);  // s.m held
bool deviceExists(const std::string& name);

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string text(const char* s);  // "(null)" for null
std::vector<std::string> splitList(const std::string& list);

// Scans acquired since the trigger (t.m held).
uint64_t acquired(const Task& t, Clock::time_point now);
// When the scan count reaches n, on the wall clock (t.m held).
Clock::time_point whenAcquired(const Task& t, uint64_t n);

}  // namespace nisim
