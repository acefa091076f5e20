// Stand-in bodies until these exports are built.
#include <tarnix.h>

LONG WINAPI DnkConfigGetBoardListFirst(int32_t, char*) { return kDnkBadArgument; }  // 20
LONG WINAPI DnkConfigGetBoardListNext(int32_t, char*) { return kDnkBadArgument; }  // 21
LONG WINAPI DnkConfigGetBoardListNum(int32_t) { return kDnkBadArgument; }  // 22
LONG WINAPI DnkConfigGetDrvNo(const char*) { return kDnkBadArgument; }  // 24
LONG WINAPI DnkConfigIsDriverExist(int32_t, int32_t*) { return kDnkBadArgument; }  // 25
LONG DnkConfigGetMachine(void) { return kDnkBadArgument; }  // 26
LONG WINAPI DnkConfigSetMachine(int32_t) { return kDnkBadArgument; }  // 27
LONG WINAPI DnkConfigGetBoardType(const char*) { return kDnkBadArgument; }  // 28
LONG WINAPI DnkConfigGetBusType(const char*) { return kDnkBadArgument; }  // 31
LONG WINAPI DnkConfigGetDeviceID(const char*) { return kDnkBadArgument; }  // 32
void WINAPI DnkConfigCreateHardwareKey(int32_t, const char*, char*) {}  // 33
LONG WINAPI DnkConfigGetBoardInfo(const char*, int32_t, void*, void*, void*) { return kDnkBadArgument; }  // 35
LONG WINAPI DnkConfigCheckBoardInfo(int32_t, int32_t, int32_t, int32_t) { return kDnkBadArgument; }  // 37
LONG WINAPI DnkConfigGetDnkVersion(int32_t, char*) { return kDnkBadArgument; }  // 38
LONG WINAPI DnkConfigGetFileVersion(const char*, char*) { return kDnkBadArgument; }  // 39
LONG DnkConfigGetOsVersion(void) { return kDnkBadArgument; }  // 43
LONG WINAPI DnkConfigSetBoardCheckMode(int32_t) { return kDnkBadArgument; }  // 45
LONG WINAPI DnkConfigGetFileTime(const char*, uint16_t*, uint16_t*, uint16_t*, uint16_t*, uint16_t*, uint16_t*) { return kDnkBadArgument; }  // 46
