// The system queries (device names, product types), the text of the last
// failure, and the hooks the tests reach by name.
#include <cstring>

#include "nisim.h"
#include "sim_state.h"

using namespace daqmx;
using namespace nisim;

namespace nisim {
void fireTrigger();  // tasks.cpp
}

namespace {

// Copies text with its terminator when it fits; the size a caller needs
// (positive) when it does not, as the library answers a short buffer.
int32 copyOut(const std::string& value, char* data, uInt32 size) {
  if (data == nullptr || size == 0) return static_cast<int32>(value.size() + 1);
  if (value.size() + 1 > size) {
    std::memcpy(data, value.data(), size - 1);
    data[size - 1] = '\0';
    return static_cast<int32>(value.size() + 1);
  }
  std::memcpy(data, value.c_str(), value.size() + 1);
  return 0;
}

}  // namespace

extern "C" {

DLL_EXPORT int32 WINAPI DAQmxGetSysDevNames(char* data, uInt32 bufferSize) {
  if (int32 e = enter("DAQmxGetSysDevNames", format("%u", bufferSize))) return e;
  std::string names;
  {
    Sim& s = sim();
    std::lock_guard<std::mutex> lock(s.m);
    for (const Device& d : s.devices) names += (names.empty() ? "" : ", ") + d.name;
  }
  return copyOut(names, data, bufferSize);
}

DLL_EXPORT int32 WINAPI DAQmxGetDevProductType(const char* device, char* data, uInt32 bufferSize) {
  if (int32 e = enter("DAQmxGetDevProductType", format("%s,%u", text(device).c_str(), bufferSize))) return e;
  std::string product;
  {
    Sim& s = sim();
    std::lock_guard<std::mutex> lock(s.m);
    const Device* d = device != nullptr ? findDevice(s, device) : nullptr;
    if (d == nullptr) {
      keepError("Device identifier is invalid: " + text(device));
      return kErrBadDevice;
    }
    product = d->product;
  }
  return copyOut(product, data, bufferSize);
}

DLL_EXPORT int32 WINAPI DAQmxGetExtendedErrorInfo(char* errorString, uInt32 bufferSize) {
  std::string last;
  {
    Sim& s = sim();
    std::lock_guard<std::mutex> lock(s.errorLock);
    last = s.lastError;
  }
  return copyOut(last, errorString, bufferSize);
}

// ---- test hooks

DLL_EXPORT void NisimReset() {
  Sim& s = sim();
  std::lock_guard<std::mutex> lock(s.m);
  s.log.clear();
  s.injected.clear();
  s.scripts.clear();
  keepError("");
  s.stalled.store(false);
  loadConfiguration(s);
}

DLL_EXPORT void NisimFireTrigger() { fireTrigger(); }

DLL_EXPORT void NisimInjectError(const char* function, int32_t code) {
  Sim& s = sim();
  std::lock_guard<std::mutex> lock(s.m);
  if (code == 0) {
    s.injected.erase(text(function));
  } else {
    s.injected[text(function)] = code;
  }
}

DLL_EXPORT uint32_t NisimCallLog(char* out, uint32_t size) {
  std::string all;
  {
    Sim& s = sim();
    std::lock_guard<std::mutex> lock(s.m);
    for (const std::string& line : s.log) all += line + "\n";
  }
  copyOut(all, out, size);
  return static_cast<uint32_t>(all.size() + 1);
}

DLL_EXPORT void NisimScript(int32_t k, const int16_t* values, uint32_t count) {
  Sim& s = sim();
  std::lock_guard<std::mutex> lock(s.m);
  if (values == nullptr || count == 0) {
    s.scripts.erase(k);
  } else {
    s.scripts[k] = std::vector<int16_t>(values, values + count);
  }
}

DLL_EXPORT void NisimStall(int32_t on) { sim().stalled.store(on != 0); }

DLL_EXPORT int32_t NisimLiveTasks() {
  Sim& s = sim();
  std::lock_guard<std::mutex> lock(s.m);
  return static_cast<int32_t>(s.tasks.size());
}

DLL_EXPORT uint32_t NisimLines(const char* device) {
  Sim& s = sim();
  std::lock_guard<std::mutex> lock(s.m);
  const Device* d = device != nullptr ? findDevice(s, device) : nullptr;
  return d != nullptr ? d->lines : 0;
}

DLL_EXPORT void NisimSetLines(const char* device, uint32_t lines) {
  Sim& s = sim();
  std::lock_guard<std::mutex> lock(s.m);
  if (Device* d = device != nullptr ? findDevice(s, device) : nullptr) d->lines = lines;
}

DLL_EXPORT void NisimSetMode(const char* name, const char* value) {
  if (name == nullptr || value == nullptr) return;
  Sim& s = sim();
  const std::string n(name);
  const std::string v(value);
  if (n == "NISIM_SIGNAL") s.sine.store(v == "sine");
  if (n == "NISIM_TRIGGER") s.hookTrigger.store(v == "hook");
  if (n == "NISIM_CLOCK") s.freeClock.store(v == "free");
}

}  // extern "C"

static_assert(std::is_same_v<decltype(&DAQmxGetSysDevNames), GetSysDevNamesProc>);
static_assert(std::is_same_v<decltype(&DAQmxGetDevProductType), GetDevProductTypeProc>);
static_assert(std::is_same_v<decltype(&DAQmxGetExtendedErrorInfo), GetExtendedErrorInfoProc>);
static_assert(std::is_same_v<decltype(&NisimReset), ResetProc>);
static_assert(std::is_same_v<decltype(&NisimFireTrigger), FireTriggerProc>);
static_assert(std::is_same_v<decltype(&NisimInjectError), InjectErrorProc>);
static_assert(std::is_same_v<decltype(&NisimCallLog), CallLogProc>);
static_assert(std::is_same_v<decltype(&NisimScript), ScriptProc>);
static_assert(std::is_same_v<decltype(&NisimStall), StallProc>);
static_assert(std::is_same_v<decltype(&NisimLiveTasks), LiveTasksProc>);
static_assert(std::is_same_v<decltype(&NisimLines), LinesProc>);
static_assert(std::is_same_v<decltype(&NisimSetLines), SetLinesProc>);
static_assert(std::is_same_v<decltype(&NisimSetMode), SetModeProc>);
