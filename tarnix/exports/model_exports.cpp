// The model look-ups as the configuration program calls them; each one
// forwards to the tables without further checks.
#include <tarnix.h>

#include "tables/board_models.h"

LONG WINAPI DnkConfigGetBoardListFirst(int32_t kind, char* modelName) {  // 20
  return tarnix::BoardListFirst(kind, modelName);
}

LONG WINAPI DnkConfigGetBoardListNext(int32_t kind, char* modelName) {  // 21
  return tarnix::BoardListNext(kind, modelName);
}

LONG WINAPI DnkConfigGetBoardListNum(int32_t kind) { return tarnix::BoardListCount(kind); }  // 22

LONG WINAPI DnkConfigGetDrvNo(const char* modelName) { return tarnix::FindModelDriverNumber(modelName); }  // 24

LONG WINAPI DnkConfigGetBoardType(const char* modelName) { return tarnix::FindModelBoardType(modelName); }  // 28

LONG WINAPI DnkConfigGetBusType(const char* modelName) { return tarnix::FindModelBusType(modelName); }  // 31

LONG WINAPI DnkConfigGetDeviceID(const char* modelName) { return tarnix::FindModelDeviceId(modelName); }  // 32

// The fifth argument is the information item's third out.
LONG WINAPI DnkConfigGetBoardInfo(const char* modelName, int32_t code, void* out1, void* out2, void* out3) {  // 35
  return tarnix::GetBoardInfoItem(modelName, code, out1, out2, out3);
}

LONG WINAPI DnkConfigCheckBoardInfo(int32_t, int32_t, int32_t, int32_t) { return kDnkOk; }  // 37
