#include "backends/ni/ni_state.h"

#include <string>

#include "backends/ni/status_texts.h"
#include "status/status_texts.h"

namespace vekmath {

NiState& niState() {
  static NiState* instance = new NiState;
  return *instance;
}

bool niDaqmxBound() { return niDaqmx().module.load() != nullptr; }

int32_t niFailure(int32_t code) {
  // An entry missing from the library is the library missing.
  if (code == kNiEntryMissing) {
    setOwnStatusText(code);
    return code;
  }
  char detail[daqmx::kErrorTextBytes] = {};
  if (callNi<NiEntry::GetExtendedErrorInfo>(detail, static_cast<uint32_t>(sizeof detail)) != 0) detail[0] = '\0';
  detail[sizeof detail - 1] = '\0';
  setNiStatusText(code, detail);
  return code;
}

std::string niChannelString(const char* device, const int16_t* list, int32_t channels) {
  std::string text;
  for (int32_t i = 0; i < channels; ++i) {
    if (list[i] == 0) continue;
    if (!text.empty()) text += ',';
    text += device;
    text += "/ai" + std::to_string(list[i] - 1);
  }
  return text;
}

void clearDigitalTasks(NiState& s) {
  for (daqmx::TaskHandle* task : {&s.digitalOut, &s.digitalIn}) {
    if (*task == nullptr) continue;
    callNi<NiEntry::StopTask>(*task);
    callNi<NiEntry::ClearTask>(*task);
    *task = nullptr;
  }
}

}  // namespace vekmath
