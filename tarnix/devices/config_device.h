// The configuration drivers: resource queries, the WDM analog device list
// (kind 9) and the scans for installed boards.
#pragma once
#include <cstdint>

namespace tarnix {

// The NT device name for the resource and version queries; room for 64.
void OpenConfigDeviceName(char* name);

// Kind 9: result byte of the device-name check, (16 << 3) | 1 an empty
// name, (16 << 3) | 2 a name two devices share.
int32_t CheckWdmDeviceList(const void* list);
int32_t LoadWdmAnalogList(void* list);  // 0, or 11 when a name was taken from the class key or made up
int32_t SaveWdmAnalogList(const void* list);
// 0, or 1 for a missing list, a kind outside 1-7 and 10, or an unknown generation.
int32_t ScanInstalledBoards(int32_t kind, void* list);

}  // namespace tarnix
