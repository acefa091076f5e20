// Stand-in bodies until the configuration-driver requests are built.
#include "config_device.h"

namespace tarnix {

void OpenConfigDeviceName(char* name) {
  if (name != nullptr) name[0] = '\0';
}
int32_t CheckWdmDeviceList(const void*) { return 0; }
int32_t LoadWdmAnalogList(void*) { return 0; }
int32_t SaveWdmAnalogList(const void*) { return 0; }
int32_t ScanInstalledBoards(int32_t, void*) { return 1; }

}  // namespace tarnix
