// Stand-in bodies until these exports are built.
#include <tarnix.h>

LONG WINAPI DnkConfigGetPciResource(int32_t, int32_t, int32_t, int32_t*, int32_t*, int32_t*, int32_t*, int32_t*, int32_t*) { return kDnkBadArgument; }  // 29
LONG WINAPI DnkConfigGetPcmciaResource(const char*, int32_t*, int32_t*, int32_t*, int32_t*, int32_t*, int32_t*) { return kDnkBadArgument; }  // 30
LONG WINAPI DnkConfigLoadInfRegBoard(int32_t, void*) { return kDnkBadArgument; }  // 34
LONG WINAPI DnkConfigGetPciVersion(int32_t, int32_t, int32_t, int32_t*) { return kDnkBadArgument; }  // 48
LONG WINAPI DnkConfigGetIsaResource(const char*, int32_t*, int32_t*, int32_t*, int32_t*, int32_t*, int32_t*) { return kDnkBadArgument; }  // 49
LONG DnkConfigIsSB(void) { return kDnkBadArgument; }  // 50
LONG WINAPI DnkConfigGetFlnDevice(void*) { return kDnkBadArgument; }  // 51
LONG WINAPI DnkConfigGetPciResourceNT(int32_t, int32_t, int32_t, int32_t*, int32_t*, int32_t*, int32_t*, int32_t*, int32_t*) { return kDnkBadArgument; }  // 52
