// What a load does to each board after reading its values.
#pragma once
#include <cstdint>

#include <xan_board_config.h>

namespace tarnix {

// The load's result after one more board: 8 once a model is not in the
// kind's table; 9 when a digital model was renamed (8 stays 8). A digital
// board's name may be replaced in place by its newer or variant name.
int32_t CheckLoadedModel(int32_t kind, int32_t driverNumber, char* boardName, int32_t result);

// Refreshes the I/O address and interrupt of a PCI or PC-card board from
// the configuration driver: -1 both when the query fails. For the grouped
// kinds group is the board's group and firstOfGroup tells its first board.
void RefreshBoardResources(int32_t kind, int32_t busType, xanconfig::BoardSlot& board, xanconfig::GroupSlot* group,
                           bool firstOfGroup);

}  // namespace tarnix
