// Which generation of Windows the library runs on.
#include <windows.h>

#include "system/system_info.h"

namespace tarnix {

uint32_t GetOsGeneration() {
  const DWORD version = GetVersion();
  if ((version & 0x80000000u) != 0) return kOsWin9x;
  return (version & 0xFFu) == 4 ? kOsNt4 : kOsNt5;
}

}  // namespace tarnix
