// The steering of the simulated analog output (halviksim.h).
#include "device_set.h"
#include "halviksim.h"

namespace halviksim {

AoReadBack ReadAoOutput(const std::string& device) {
  std::shared_ptr<Device> d = deviceNamed(device);
  return d != nullptr ? d->aoRun().readBack() : AoReadBack{};
}

bool QueueAoEvents(const std::string& device, const std::vector<int32_t>& words, bool park) {
  std::shared_ptr<Device> d = deviceNamed(device);
  if (d == nullptr) return false;
  d->aoRun().queueEvents(words, park);
  return true;
}

}  // namespace halviksim
