// The device name of the queries, the bus query and the module list.
#include <outside/tarnixcfg.h>

#include <cstring>

#include "config_device.h"
#include "config_request.h"
#include "system/system_info.h"

namespace tarnix {

namespace cfg = tarnixcfg;

void OpenConfigDeviceName(char* name) {
  if (name == nullptr) return;
  std::strcpy(name, GetOsGeneration() >= kOsNt5 ? cfg::kWdmPath : cfg::kNtPath);
}

int32_t QueryBusType() {
  const bool win9x = IsWin9x(GetOsGeneration());
  cfg::BusQueryRecord r{};
  const ConfigDevice device(win9x ? ConfigPath::Vxd : ConfigPath::Nt);
  return device.send(win9x ? cfg::k9xBusQuery : cfg::kNtBusQuery, &r, sizeof r) ? r.answer : 0;
}

int32_t QueryModuleList(void* record) {
  if (record == nullptr) return 1;
  std::memset(record, 0, sizeof(cfg::ModuleListRecord));
  const bool win9x = IsWin9x(GetOsGeneration());
  const ConfigDevice device(win9x ? ConfigPath::Vxd : ConfigPath::Nt);
  if (!device.opened()) return -1;
  // What the driver made of the request is not looked at: the record
  // stays zeroed where it wrote nothing.
  device.send(win9x ? cfg::k9xModuleList : cfg::kNtModuleList, record, sizeof(cfg::ModuleListRecord));
  return 1;
}

}  // namespace tarnix
