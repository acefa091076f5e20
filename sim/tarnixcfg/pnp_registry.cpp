// The Plug and Play enumeration keys and WDM device keys that an inventory
// and an installation leave in the registry.
#include <cstdio>
#include <string>

#include "tarnixcfg_sim.h"

namespace tarnixcfg {

namespace {

class Key {
 public:
  explicit Key(const std::string& path) {
    ok_ = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                          nullptr) == ERROR_SUCCESS;
  }
  ~Key() {
    if (ok_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  // An empty text is left out.
  bool text(const char* name, const std::string& value) {
    if (!ok_ || value.empty()) return ok_;
    return RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
  }
  bool ok() const { return ok_; }

 private:
  HKEY key_ = nullptr;
  bool ok_ = false;
};

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
      ok = Key(key + "\\3&61aaa01&0&48").ok() && ok;
    }
  }
  if (generation == Generation::Nt4) return ok;
  const char* root = generation == Generation::Nt5 ? "SYSTEM\\CurrentControlSet\\Enum\\Root\\" : "Enum\\Root\\";
  for (const RootDevice& d : inventory.roots) {
    if (d.port && generation == Generation::Nt5) continue;
    Key key(root + format(d.port ? "Ports\\%04u" : "MultiFunction\\%04u", static_cast<unsigned>(d.instance)));
    ok = key.text("DeviceDesc", d.description) && ok;
  }
  if (generation == Generation::Win9x) {
    for (const PcCard& c : inventory.pcCards) {
      Key key("Enum\\" + c.instanceKey);
      ok = key.text("DeviceDesc", c.description) && ok;
    }
  }
  return ok;
}

bool WriteWdmDevice(const WdmDeviceKey& d, Generation generation) {
  Key devices(std::string(kDevicesKey) + "\\" + d.key);
  bool ok = devices.text("SymbolicName", d.symbolicName) && devices.text("DeviceName", d.deviceName) &&
            devices.text("BoardID", d.boardId) && devices.text("IoAddress", d.ioAddress) && devices.text("Irq", d.irq);
  Key device(std::string(generation == Generation::Nt5 ? kClassKeyNt : kClassKey9x) + "\\" + d.key);
  return device.text("DriverDesc", d.driverDesc) && device.text("DeviceName", d.classDeviceName) && ok;
}

}  // namespace tarnixcfg
