// The NI digital lines: twelve lines of the selected device, each an output
// or an input by its bit of the mask, in one output and one input task.
#include <windows.h>

#include <string>

#include "acquisition/selection.h"
#include "backends/ni/ni_state.h"
#include "status/status_texts.h"
#include "vekmath.h"

namespace vekmath {
namespace {

using namespace daqmx;

constexpr int32_t kLines = 12;
constexpr int32_t kPort0Lines = 8;
constexpr float64 kDigitalTimeout = 10.0;

std::string lineName(int32_t device, int32_t bit) {
  const int32_t port = bit < kPort0Lines ? 0 : 1;
  const int32_t line = bit < kPort0Lines ? bit : bit - kPort0Lines;
  return "Dev" + std::to_string(device) + "/port" + std::to_string(port) + "/line" + std::to_string(line);
}

// A task with the lines, or null (the text of a failure is built). An
// empty list makes no task: there is nothing to drive or read.
template <NiEntry CreateChannel>
TaskHandle linesTask(const std::string& lines) {
  if (lines.empty()) return nullptr;
  TaskHandle task = nullptr;
  if (const int32_t r = callNi<NiEntry::CreateTask>("", &task); niFailed(r) || task == nullptr) {
    niFailure(niFailed(r) ? r : kNiEntryMissing);
    return nullptr;
  }
  if (const int32_t r = callNi<CreateChannel>(task, lines.c_str(), "", kValChanForAllLines); niFailed(r)) {
    niFailure(r);
    callNi<NiEntry::ClearTask>(task);
    return nullptr;
  }
  return task;
}

// Without NI-DAQmx the calls do nothing but say why.
bool boundOrSay() {
  if (niDaqmxBound()) return true;
  setOwnStatusText(kStatusDaqmxMissing);
  return false;
}

}  // namespace
}  // namespace vekmath

DLL_EXPORT void WINAPI OpenDigitalIO(LONG outputMask, LONG) {
  using namespace vekmath;
  if (!boundOrSay()) return;
  const int32_t device = selection().niDeviceNumber;
  std::string outputs;
  std::string inputs;
  for (int32_t bit = 0; bit < kLines; ++bit) {
    std::string& list = (outputMask >> bit) & 1 ? outputs : inputs;
    if (!list.empty()) list += ',';
    list += lineName(device, bit);
  }
  NiState& s = niState();
  std::lock_guard<std::mutex> lock(s.digitalLock);
  clearDigitalTasks(s);
  s.digitalOut = linesTask<NiEntry::CreateDOChan>(outputs);
  s.digitalIn = linesTask<NiEntry::CreateDIChan>(inputs);
}

DLL_EXPORT void WINAPI WriteDigitalOut(DWORD value, LONG) {
  using namespace vekmath;
  if (!boundOrSay()) return;
  NiState& s = niState();
  std::lock_guard<std::mutex> lock(s.digitalLock);
  if (s.digitalOut == nullptr) return;
  const uInt32 data[1] = {value};
  int32 written = 0;
  if (const int32_t r = callNi<NiEntry::WriteDigitalU32>(s.digitalOut, int32{1}, bool32{1}, kDigitalTimeout,
                                                         kValGroupByChannel, data, &written,
                                                         static_cast<bool32*>(nullptr));
      niFailed(r)) {
    niFailure(r);
  }
}

DLL_EXPORT void WINAPI ReadDigitalIn(DWORD* value, LONG) {
  using namespace vekmath;
  if (!boundOrSay()) return;
  NiState& s = niState();
  std::lock_guard<std::mutex> lock(s.digitalLock);
  if (s.digitalIn == nullptr) return;
  uInt32 data[1] = {0};
  int32 read = 0;
  if (const int32_t r = callNi<NiEntry::ReadDigitalU32>(s.digitalIn, int32{1}, kDigitalTimeout, kValGroupByChannel,
                                                        data, uInt32{1}, &read, static_cast<bool32*>(nullptr));
      niFailed(r)) {
    niFailure(r);
    return;
  }
  if (value != nullptr) *value = data[0];
}

DLL_EXPORT void WINAPI DigitalNop(LONG) {}
