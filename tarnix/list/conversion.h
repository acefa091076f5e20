// A kind's board list and its configuration image, each into the other,
// and whether a driver runs.
#pragma once
#include <cstdint>
#include <span>

#include <xan_board_config.h>

namespace tarnix {

// Kinds 1 to 7 and 10; any other does nothing. Zeroes the list first.
void ImageToList(int32_t kind, std::span<const xanconfig::DriverBlock> image, void* list);
// Kinds 1 to 7 and 10; any other does nothing. Zeroes the image first.
void ListToImage(int32_t kind, std::span<xanconfig::DriverBlock> image, const void* list);

int32_t IsDriverServiceRunning(const char* serviceName);  // NT
int32_t IsVxdLoaded(const char* driverName);              // Windows 9x

}  // namespace tarnix
