// Stand-in bodies until the system queries are built.
#include "system_info.h"

namespace tarnix {

uint32_t GetOsGeneration() { return kOsNt5; }
int32_t GetMachineType() { return 0; }
int32_t SetMachineType(int32_t type) { return type; }
uint32_t GetDriverVersion(int32_t) { return 0; }
int32_t GetFileDateTime(const char*, uint16_t*, uint16_t*, uint16_t*, uint16_t*, uint16_t*, uint16_t*) { return 1; }
int32_t GetProductVersionText(const char*, char*) { return 1; }
int32_t ListInstalledDrivers(int32_t, int32_t*) { return 0; }

}  // namespace tarnix
