// SelectBoardNAME: which acquisition devices of the board libraries can be
// opened now. Each back end opens its candidates and closes them again at
// once, through their own handles, so the board selected for acquisition
// is never touched.
#include "acquisition/device_lists.h"

#include <windows.h>

#include "acquisition/backend.h"

DLL_EXPORT void WINAPI SelectBoardNAME(char* names, char* models) {
  using namespace vekmath;
  if (names == nullptr || models == nullptr) return;
  DeviceLists lists(names, models);
  for (int32_t i = 0; i < registeredBackEnds(); ++i) registeredBackEnd(i).listDevices(lists);
}
