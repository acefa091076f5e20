// Stand-ins for the device table, its lookup and the library state until
// their own sources are on this branch. Weak, so the real definitions win
// wherever both are linked. Delete this file when they land.
#include "device_record.h"
#include "library_state.h"

#include <strings.h>

namespace halvik {

__attribute__((weak)) std::deque<DeviceRecord>& DeviceTable() {
  static std::deque<DeviceRecord> table;
  return table;
}

__attribute__((weak)) LibraryState& Library() {
  static LibraryState state;
  return state;
}

__attribute__((weak)) int FindDeviceById(int32_t id, uint16_t* index) {
  std::deque<DeviceRecord>& table = DeviceTable();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].DeviceName[0] != '\0' && table[i].Id == static_cast<int16_t>(id)) {
      *index = static_cast<uint16_t>(i);
      return 1;
    }
  }
  return 0;
}

__attribute__((weak)) int FindDeviceByName(const char* name, uint16_t* index) {
  std::deque<DeviceRecord>& table = DeviceTable();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].DeviceName[0] != '\0' && strcasecmp(table[i].DeviceName, name) == 0) {
      *index = static_cast<uint16_t>(i);
      return 1;
    }
  }
  return 0;
}

}  // namespace halvik
