// Stand-in bodies until these exports are built.
#include <tarnix.h>

LONG WINAPI DnkConfigLoadListData(int32_t, void*, int32_t) { return kDnkBadArgument; }  // 4
LONG WINAPI DnkConfigSaveListData(int32_t, void*) { return kDnkBadArgument; }  // 5
LONG WINAPI DnkConfigGetGrpByObjName(int32_t, const char*, int32_t*, int32_t*, int32_t*) { return kDnkBadArgument; }  // 19
LONG WINAPI DnkConfigGetInfoByObjectName(const char*, int32_t*, char*) { return kDnkBadArgument; }  // 36
LONG WINAPI DnkConfigWriteRegValue(int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*, int32_t) { return kDnkBadArgument; }  // 40
LONG WINAPI DnkConfigReadRegValue(int32_t, int32_t, int32_t, int32_t, int32_t, const char*, char*, int32_t*) { return kDnkBadArgument; }  // 41
LONG WINAPI DnkConfigCreateConfigReg(int32_t) { return kDnkBadArgument; }  // 42
LONG WINAPI DnkConfigDeleteDnkReg(int32_t) { return kDnkBadArgument; }  // 44
LONG WINAPI DnkConfigIsDriverStarted(const char*) { return kDnkBadArgument; }  // 47
