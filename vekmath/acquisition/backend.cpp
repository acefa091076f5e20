// The defaults of the back-end interface: those of a code without a device.
#include "acquisition/backend.h"

#include <windows.h>

#include <cstring>

#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "status/status_texts.h"

namespace vekmath {

int32_t BackEnd::configure(SamplingConfig&, const int16_t*) { return 0; }

int32_t BackEnd::start(const SamplingConfig&, bool& useThread) {
  useThread = true;
  return 0;
}

int32_t BackEnd::fetch(uint16_t*, int32_t, int32_t, int32_t& scans) {
  scans = 0;
  // Without this the thread would spin a core at the highest priority.
  Sleep(1);
  return 0;
}

// A family without the road acquires nothing.
int32_t BackEnd::readTriggeredBlock(TriggeredBlock& block) {
  block.filled = 0;
  return 0;
}

void BackEnd::setStatusText(int32_t code) const { setOwnStatusText(code); }

BackEnd& selectedBackEnd() {
  SelectionState& s = selection();
  if (BackEnd* chosen = s.backEnd.load()) return *chosen;
  const BoardTypeInfo* row = s.row.load();
  return backEndFor(row != nullptr ? row->group : BoardGroup::None);
}

}  // namespace vekmath
