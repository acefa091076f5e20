// What every simulated camera of the process shares: the pacing mode, the
// running streams (for StepFrames) and the settings dialogs shown.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>

namespace simcamera {

class SimSource;

struct Hub {
  std::mutex mutex;
  std::condition_variable changed;  // any stream's counters, the mode, a stop
  bool manual = false;
  uint64_t nextId = 1;
  std::map<uint64_t, SimSource*> running;  // by stream id: ids are never reused
  std::map<int, int> dialogsShown;         // by camera number
};

Hub& hub();

}  // namespace simcamera
