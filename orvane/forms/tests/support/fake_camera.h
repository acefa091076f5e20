// The library's camera calls replaced on top of the table in use: the list
// file it writes is the test's text, connects and recordings are logged,
// and the capture tables are the test's.
#pragma once
#include <string>
#include <vector>

#include "core/vekmath_calls.h"

namespace orvane::forms::testing {

// A list file naming `names` with AddFilter result `addFilter` (nothing:
// the key is missing) and the selected camera's capability sizes.
std::string CameraList(const std::vector<std::string>& names, const char* addFilter,
                       const std::vector<std::pair<int, int>>& sizes);

struct FakeCamera {
  std::string listText;  // what ListCameras writes
  std::vector<std::string> calls;
  LONG lastStatus = 0;       // GetLastStatus
  bool createVideo = true;   // StartRecord makes the video file
  LONG reportedFrames = 0, reportedBlocks = 0;
  std::vector<int32_t> positions, blockTimes;  // what GetCaptureTimes copies
  std::vector<double> times;

  FakeCamera();
  ~FakeCamera();
  std::vector<std::string> CallsOf(const std::string& prefix) const;

 private:
  core::VekmathCalls kept_;
  core::VekmathCalls calls_;
};

}  // namespace orvane::forms::testing
