// Stand-in bodies until these exports are built.
#include <tarnix.h>

LONG WINAPI DnkConfigCheckListData(int32_t, void*) { return kDnkBadArgument; }  // 6
LONG WINAPI DnkConfigSelectBoardData(int32_t, void*, int32_t, int32_t, int32_t, void*) { return kDnkBadArgument; }  // 7
LONG WINAPI DnkConfigCheckBoardData(int32_t, void*, int32_t, int32_t, int32_t, void*, int32_t) { return kDnkBadArgument; }  // 8
LONG WINAPI DnkConfigAddBoardData(int32_t, void*, int32_t, int32_t, void*) { return kDnkBadArgument; }  // 9
LONG WINAPI DnkConfigModBoardData(int32_t, void*, int32_t, int32_t, int32_t, void*) { return kDnkBadArgument; }  // 10
LONG WINAPI DnkConfigInsBoardData(int32_t, void*, int32_t, int32_t, int32_t, void*) { return kDnkBadArgument; }  // 11
LONG WINAPI DnkConfigExchangeBoardData(int32_t, void*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) { return kDnkBadArgument; }  // 12
LONG WINAPI DnkConfigDelBoardData(int32_t, void*, int32_t, int32_t, int32_t) { return kDnkBadArgument; }  // 13
LONG WINAPI DnkConfigDelGrp(int32_t, void*, int32_t, int32_t) { return kDnkBadArgument; }  // 14
LONG WINAPI DnkConfigDelDrv(int32_t, void*, int32_t) { return kDnkBadArgument; }  // 15
LONG WINAPI DnkConfigDelTool(int32_t, void*) { return kDnkBadArgument; }  // 16
LONG WINAPI DnkConfigGetGrpMax(int32_t, void*, int32_t) { return kDnkBadArgument; }  // 17
LONG WINAPI DnkConfigGetBoardMax(int32_t, void*, int32_t, int32_t) { return kDnkBadArgument; }  // 18
void WINAPI DnkConfigGetExtError(int32_t*, int32_t*) {}  // 23
