// A kind's board list and its configuration image, each into the other,
// and whether a driver runs.
#pragma once
#include <cstdint>
#include <span>

#include <xan_board_config.h>

namespace tarnix {

// Kinds 1 to 7 and 10; any other does nothing. Zeroes the list first; boards
// past the list's 64th are left out.
void ImageToList(int32_t kind, std::span<const xanconfig::DriverBlock> image, void* list);
// Kinds 1 to 7 and 10; any other does nothing. Zeroes the image first and
// fills one block for each driver row of the running Windows family, as far
// as the image has blocks. Texts that fill their field lose the last
// character (a 20-character ComController keeps 19).
void ListToImage(int32_t kind, std::span<xanconfig::DriverBlock> image, const void* list);

int32_t IsDriverServiceRunning(const char* serviceName);  // NT
// 0 for a name over 23 characters: "\\.\<name>.vxd" must fit 32 bytes.
int32_t IsVxdLoaded(const char* driverName);              // Windows 9x

}  // namespace tarnix
