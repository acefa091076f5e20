// The board selection: which board type and device the later calls work
// on, and the zero offset and resolution its configuration leaves.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace vekmath {

inline constexpr std::size_t kDeviceNameSize = 88;

struct SelectionState {
  int32_t boardType = 0;
  int32_t boardValue = 0;  // the older vendor A library's group number
  char deviceName[kDeviceNameSize] = {};
  int32_t niDeviceNumber = 0;
  // Read by the block reader, possibly while another thread selects.
  std::atomic<uint8_t> backEndFlag{0};
  int32_t zeroOffset = 0;  // raw count that stands for 0 V
  int32_t resolution = 0;  // bits
};

SelectionState& selection();

}  // namespace vekmath
