// The board selection: which board type and device the later calls work
// on, and the zero offset and resolution its configuration leaves.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "acquisition/board_table.h"

namespace vekmath {

class BackEnd;

inline constexpr std::size_t kDeviceNameSize = 88;

struct SelectionState {
  int32_t boardType = 0;
  // What SelectBoard resolved the type into, once: its row of the board
  // table (null for a code of no group) and the back end that serves it.
  // Read by the block reader, possibly while another thread selects. No
  // back end before the first SelectBoard: the row of type 0 then names it.
  std::atomic<const BoardTypeInfo*> row{boardInfo(0)};
  std::atomic<BackEnd*> backEnd{nullptr};
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
