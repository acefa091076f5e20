// Control codes of the driver's functions, and the mapping of system errors
// of a failed device-control call to library results. The functions
// themselves (SKDF_* names, numbers, methods) are the driver's list in
// skorradev.h.
#pragma once
#include <windows.h>

#include <cstdint>

#include <skorradev.h>

namespace skorra {

// True for the function numbers the driver knows.
bool isDriverFunction(uint32_t fn);
// The control code of a function on the platform family (nt: NT codes,
// otherwise the plain numbers; NT-only functions give 0 there). 0 for a
// number that is not a driver function.
uint32_t controlCode(uint32_t fn, bool nt);

// The library result for a failed device-control call.
uint32_t mapSystemError(DWORD error);

}  // namespace skorra
