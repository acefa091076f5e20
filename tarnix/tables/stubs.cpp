// Stand-in bodies until the model tables are built.
#include "board_models.h"

#include "system/system_info.h"

namespace tarnix {

xanconfig::DriverFileTable SelectDriverFileTable(int32_t kind) {
  return xanconfig::driverFileTable(kind, IsWin9x(GetOsGeneration()) ? xanconfig::OsFamily::Win9x
                                                                     : xanconfig::OsFamily::Nt);
}
int32_t FindModelDriverNumber(const char*) { return -1; }
int32_t FindModelBoardType(const char*) { return -1; }
int32_t FindModelBusType(const char*) { return -1; }
int32_t FindModelDeviceId(const char*) { return -1; }
void FindModelHardwareKey(const char*, char* key) {
  if (key != nullptr) key[0] = '\0';
}
int32_t BoardListFirst(int32_t, char*) { return 1; }
int32_t BoardListNext(int32_t, char*) { return 1; }
int32_t BoardListCount(int32_t) { return 0; }
int32_t GetBoardInfoItem(const char*, int32_t, void*, void*, void*) { return 1; }
void MapDigitalVariantName(int32_t, char*, int32_t) {}
int32_t FindSerialChannelCount(const char*) { return 0; }
int32_t FindSerialBaudRateType(const char*) { return -1; }
int32_t ClassifySerialPort(const char*, int32_t) { return 0; }
int32_t BuildSerialBoardType(const char*, const int32_t*, int32_t, int32_t) { return 0; }
int32_t IsSingleInterruptModel(const char*) { return 0; }
int32_t FindComPortDefaults(const char*, int32_t*, int32_t*, int32_t*, int32_t*, int32_t*) { return -1; }
int32_t FindComModelByDeviceId(char*, int32_t, int32_t, int32_t) { return -1; }
int32_t FindDigitalModelByDeviceId(char*, int32_t, int32_t, int32_t) { return -1; }
int32_t IsModelOfKind(int32_t, const char*) { return 1; }
int32_t FindNewerDigitalName(const char*, char*) { return 1; }

}  // namespace tarnix
