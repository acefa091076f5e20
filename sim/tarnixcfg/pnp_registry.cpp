// The Plug and Play enumeration keys and WDM device keys that an inventory
// and an installation leave in the registry.
#include <platform/registry_key.h>

#include <cstdio>
#include <string>

#include "tarnixcfg_sim.h"

namespace tarnixcfg {

namespace {

plat::RegistryKey createdKey(const std::string& path) {
  plat::RegistryKey key;
  key.create(HKEY_LOCAL_MACHINE, path.c_str());
  return key;
}

// False when the key could not be made; an empty text is left out.
bool setTextUnlessEmpty(const plat::RegistryKey& key, const char* name, const std::string& value) {
  if (!key.isOpen() || value.empty()) return key.isOpen();
  return plat::SetRegistryText(key.get(), name, value);
}

std::string format(const char* pattern, unsigned a, unsigned b = 0) {
  char text[160];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

}  // namespace

bool WritePnpRegistry(const Inventory& inventory, Generation generation) {
  bool ok = true;
  if (generation == Generation::Nt5) {
    for (const PciBoard& b : inventory.pci) {
      const std::string key = format("SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1C5E&DEV_%04X&SUBSYS_00000000&REV_%02X",
                                     b.deviceId, b.boardId);
      ok = createdKey(key + "\\3&61aaa01&0&48").isOpen() && ok;
    }
  }
  if (generation == Generation::Nt4) return ok;
  const char* root = generation == Generation::Nt5 ? "SYSTEM\\CurrentControlSet\\Enum\\Root\\" : "Enum\\Root\\";
  for (const RootDevice& d : inventory.roots) {
    if (d.port && generation == Generation::Nt5) continue;
    const plat::RegistryKey key =
        createdKey(root + format(d.port ? "Ports\\%04u" : "MultiFunction\\%04u", static_cast<unsigned>(d.instance)));
    ok = setTextUnlessEmpty(key, "DeviceDesc", d.description) && ok;
  }
  if (generation == Generation::Win9x) {
    for (const PcCard& c : inventory.pcCards) {
      const plat::RegistryKey key = createdKey("Enum\\" + c.instanceKey);
      ok = setTextUnlessEmpty(key, "DeviceDesc", c.description) && ok;
    }
  }
  return ok;
}

bool WriteWdmDevice(const WdmDeviceKey& d, Generation generation) {
  const plat::RegistryKey devices = createdKey(std::string(kDevicesKey) + "\\" + d.key);
  bool ok = setTextUnlessEmpty(devices, "SymbolicName", d.symbolicName) &&
            setTextUnlessEmpty(devices, "DeviceName", d.deviceName) &&
            setTextUnlessEmpty(devices, "BoardID", d.boardId) &&
            setTextUnlessEmpty(devices, "IoAddress", d.ioAddress) && setTextUnlessEmpty(devices, "Irq", d.irq);
  const plat::RegistryKey device =
      createdKey(std::string(generation == Generation::Nt5 ? kClassKeyNt : kClassKey9x) + "\\" + d.key);
  return setTextUnlessEmpty(device, "DriverDesc", d.driverDesc) &&
         setTextUnlessEmpty(device, "DeviceName", d.classDeviceName) && ok;
}

}  // namespace tarnixcfg
