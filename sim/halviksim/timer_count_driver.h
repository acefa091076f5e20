// The stand-in of a timer-count device (bus kind 1): the platform device
// behind "\\.\NAME" that describes itself and gives its free-running count,
// the microseconds of the device's virtual clock (wrapping at 2^32).
// A test makes it "not suitable" with the status fault 20001 on
// halvikdrv::kTimDescribe.
#pragma once
#include <platform/device.h>

#include <memory>
#include <string>

#include "device.h"

namespace halviksim {

// The models that are timer-count devices ("TCX-01", "TCX-02"); any other
// device of bus kind 1 is a board behind the kernel driver, which answers
// the description request with 20001 (not suitable).
bool IsTimerCountModel(const std::string& model);

struct TimerCountDriver {
  explicit TimerCountDriver(std::shared_ptr<Device> model);
  PlatDeviceDriver driver{};
  std::shared_ptr<Device> device;
};

}  // namespace halviksim
