// The process-wide device table and its two lookups.
#include <strings.h>

#include <memory>
#include <vector>

#include "device_record.h"

namespace halvik {

std::deque<DeviceRecord>& DeviceTable() {
  static std::deque<DeviceRecord> table;
  return table;
}

// A library kept mapped for a thread that outlived its unload attaches
// again when it is loaded again. That thread may still be on its record,
// so the table it reads is set aside, never freed; the new attach scans
// into an empty one.
void SetAsideDeviceTable() {
  std::deque<DeviceRecord>& table = DeviceTable();
  if (table.empty()) return;
  // Made only here: a library that is unloaded leaves nothing behind.
  static auto* setAside = new std::vector<std::unique_ptr<std::deque<DeviceRecord>>>;
  setAside->push_back(std::make_unique<std::deque<DeviceRecord>>(std::move(table)));
  table.clear();
}

// The configuration tool writes names in mixed case, so the comparison
// ignores case; a record without a name is no device and never matches.
int FindDeviceByName(const char* name, uint16_t* index) {
  if (name == nullptr || name[0] == '\0') return 0;
  std::deque<DeviceRecord>& table = DeviceTable();
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].DeviceName[0] != '\0' && strcasecmp(table[i].DeviceName, name) == 0) {
      if (index != nullptr) *index = static_cast<uint16_t>(i);
      return 1;
    }
  }
  return 0;
}

// Placeholder records keep Id -1, the value a failed open hands out, so
// they are skipped: that Id must give "no such device".
int FindDeviceById(int32_t id, uint16_t* index) {
  const auto wanted = static_cast<int16_t>(id);
  std::deque<DeviceRecord>& table = DeviceTable();
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].DeviceName[0] != '\0' && table[i].Id == wanted) {
      if (index != nullptr) *index = static_cast<uint16_t>(i);
      return 1;
    }
  }
  return 0;
}

}  // namespace halvik
