// A reset of a run's status, which also clears the bits a test set on its
// function, or of its memory.
#pragma once
#include "device.h"

namespace halviksim {

template <class Run>
void resetRun(Device& device, Function function, Run& run, bool status) {
  if (status) {
    device.setStatusBits(function, 0, 0);
    run.resetStatus();
  } else {
    run.resetMemory();
  }
}

}  // namespace halviksim
