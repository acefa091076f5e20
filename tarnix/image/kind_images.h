// The configuration image of each device kind: static, one driver block for
// each row of the kind's NT driver-file table, as long as the library lives.
#pragma once
#include <cstdint>
#include <span>

#include <xan_board_config.h>

namespace tarnix {

// The kind's image; empty for the WDM kind and for kinds outside the table.
std::span<xanconfig::DriverBlock> KindImage(int32_t kind);

// Zeroes the kind's whole image (what a load and a list-to-image
// conversion do first).
void ClearKindImage(int32_t kind);

}  // namespace tarnix
