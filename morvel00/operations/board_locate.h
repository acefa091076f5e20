// Where a group-wide input channel lives: its board and the board's own
// channel number.
#pragma once
#include "board_record.h"

namespace morvel00 {

struct BoardChannel {
  int board;  // -1: beyond the last board
  uint16_t local;
};

inline BoardChannel LocateInput(const XanBoardRecord* rec, uint32_t channel) {
  for (int b = 0; b < rec->boardCount && b < static_cast<int>(kMaxBoards); ++b) {
    if (channel < rec->inputChannels[b]) return {b, static_cast<uint16_t>(channel)};
    channel -= rec->inputChannels[b];
  }
  return {-1, 0};
}

inline int BoardCount(const XanBoardRecord* rec) {
  return rec->boardCount < 0 ? 0 : rec->boardCount > static_cast<int>(kMaxBoards) ? kMaxBoards : rec->boardCount;
}

}  // namespace morvel00
