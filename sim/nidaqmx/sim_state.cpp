#include "sim_state.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace nisim {
namespace {

constexpr std::size_t kLogLines = 20000;

std::string envOr(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return v != nullptr ? v : fallback;
}

}  // namespace

namespace {

// Constant-initialised, so it can still be read once the state is gone.
std::atomic<bool> stateGone{false};

// Freed when the library is unloaded; the tasks left open end with it.
struct OwnedSim : Sim {
  ~OwnedSim() {
    stateGone.store(true);
    for (auto& [handle, t] : tasks) {
      stopTask(*t);
      if (t->worker.joinable()) t->worker.detach();  // one ended from its own callback holds its task
    }
  }
};

}  // namespace

Sim& sim() {
  static OwnedSim instance;
  if (!stateGone.load()) return instance;
  // Calls made at process exit after the library's destructors get a state
  // of their own, with none of the old tasks.
  static Sim* late = new Sim;
  return *late;
}

void loadConfiguration(Sim& s) {
  s.loaded = true;
  s.devices.clear();
  for (const std::string& entry : splitList(envOr("NISIM_DEVICES", "Dev1:SIM-6251"))) {
    const std::size_t colon = entry.find(':');
    Device d;
    d.name = entry.substr(0, colon);
    d.product = colon == std::string::npos ? "" : entry.substr(colon + 1);
    if (!d.name.empty()) s.devices.push_back(d);
  }
  s.sine.store(envOr("NISIM_SIGNAL", "ramp") == "sine");
  s.hookTrigger.store(envOr("NISIM_TRIGGER", "immediate") == "hook");
  s.freeClock.store(envOr("NISIM_CLOCK", "wall") == "free");
}

int32 enter(const char* function, const std::string& arguments) {
  Sim& s = sim();
  std::lock_guard<std::mutex> lock(s.m);
  if (!s.loaded) loadConfiguration(s);
  s.log.push_back(std::string(function) + "(" + arguments + ")");
  if (s.log.size() > kLogLines) s.log.pop_front();
  auto it = s.injected.find(function);
  if (it == s.injected.end()) return 0;
  keepError(std::string("Injected failure of ") + function + ".");
  return it->second;
}

void keepError(const std::string& text) {
  Sim& s = sim();
  std::lock_guard<std::mutex> lock(s.errorLock);
  s.lastError = text;
}

int32 refuse(int32 code, const std::string& text) {
  keepError(text);
  return code;
}

std::shared_ptr<Task> findTask(daqmx::TaskHandle handle) {
  Sim& s = sim();
  std::lock_guard<std::mutex> lock(s.m);
  auto it = s.tasks.find(reinterpret_cast<std::uintptr_t>(handle));
  return it != s.tasks.end() ? it->second : nullptr;
}

daqmx::TaskHandle newHandle(Sim& s) {
  constexpr uint32_t kLastHandle = 0x7FFFFFFF;
  do {
    s.lastHandle = s.lastHandle % kLastHandle + 1;
  } while (s.tasks.count(s.lastHandle) != 0);
  return reinterpret_cast<daqmx::TaskHandle>(static_cast<std::uintptr_t>(s.lastHandle));
}

Device* findDevice(Sim& s, const std::string& name) {
  for (Device& d : s.devices) {
    if (d.name == name) return &d;
  }
  return nullptr;
}

bool deviceExists(const std::string& name) {
  Sim& s = sim();
  std::lock_guard<std::mutex> lock(s.m);
  return findDevice(s, name) != nullptr;
}

std::string format(const char* fmt, ...) {
  char buffer[512];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(buffer, sizeof buffer, fmt, args);
  va_end(args);
  return buffer;
}

std::string text(const char* s) { return s != nullptr ? s : "(null)"; }

std::vector<std::string> splitList(const std::string& list) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    std::string part = list.substr(start, comma - start);
    part.erase(0, part.find_first_not_of(' '));
    part.erase(part.find_last_not_of(' ') + 1);
    parts.push_back(part);
    start = comma + 1;
  }
  return parts;
}

uint64_t acquired(const Task& t, Clock::time_point now) {
  if (!t.running || !t.triggered) return 0;
  const Sim& s = sim();
  uint64_t n;
  if (s.stalled.load()) {
    n = t.readPos;
  } else if (s.freeClock.load()) {
    n = std::numeric_limits<uint64_t>::max();
  } else {
    const double seconds = std::chrono::duration<double>(now - t.t0).count();
    n = seconds <= 0 ? 0 : static_cast<uint64_t>(seconds * t.rate);
  }
  return t.finite ? std::min(n, t.sampsPerChan) : n;
}

Clock::time_point whenAcquired(const Task& t, uint64_t n) {
  const double seconds = static_cast<double>(n) / t.rate;
  return t.t0 + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds)) +
         std::chrono::microseconds(1);
}

}  // namespace nisim
