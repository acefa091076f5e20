// The simulated configuration drivers of vendor A, as tests steer them:
// an inventory of the machine's boards that the drivers answer from, the
// devices that are installed, and requests that fail. Beside them the
// writer of the Plug and Play registry that agrees with an inventory, and
// the WDM device keys with kernel devices that can be opened.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <outside/tarnixcfg.h>

#define TARNIXCFG_API __attribute__((visibility("default")))

namespace tarnixcfg {

// What the driver reports for one board, in the order given here: the
// drivers do not sort.
struct Resources {
  std::vector<int32_t> io;
  std::vector<int32_t> irq;
  std::vector<int32_t> memory;
};

// A PCI board of vendor A: found by device identifier and board identifier
// (which is its PCI revision under NT 5).
struct PciBoard {
  uint32_t deviceId = 0;
  uint32_t boardId = 0;
  int32_t version = 0;  // what the version query answers
  Resources resources;
};

// A PC card, found by its instance key (the hardware key with the card's
// instance number); `description` is its DeviceDesc in the 9x Enum tree.
struct PcCard {
  std::string instanceKey;
  std::string description;
  Resources resources;
};

// A root-enumerated device: instance "%04d" under Root\MultiFunction (or
// Root\Ports for a port device under 9x), with its DeviceDesc.
struct RootDevice {
  int instance = 0;
  bool port = false;
  std::string description;
  Resources resources;
};

struct Inventory {
  std::vector<PciBoard> pci;
  std::vector<PcCard> pcCards;
  std::vector<RootDevice> roots;
  int32_t busAnswer = 0;  // the bus query's answer
  ModuleListRecord modules{};
  // A faulty driver: counts come back as the entries it has, even when the
  // caller's room was smaller (it still writes only as many as fit).
  bool overstatesCounts = false;
};

// A fixture machine: three PCI boards (one model twice, revisions and
// versions differing), two PC cards, two root devices, a bus answer of 10
// and two modules, every list reported out of order.
TARNIXCFG_API Inventory SampleInventory();

// Which of the three devices are installed.
enum Device : unsigned { kVxd = 1, kNt = 2, kWdm = 4, kAllDevices = 7 };

// Registers the devices and has them answer from the inventory. A second
// call replaces the inventory and the devices; faults and log are cleared.
TARNIXCFG_API bool Install(const Inventory& inventory, unsigned devices = kAllDevices);
// Unregisters the devices; later opens fail as for a driver not installed.
TARNIXCFG_API void Remove();

// How a request of one code fails from now on (until Install or ClearFaults).
enum class Failure {
  CallFails,    // DeviceIoControl returns FALSE
  ResultFails,  // the request completes with result `value` and counts 0
};
TARNIXCFG_API void SetFault(DWORD code, Failure failure, int32_t value = 1);
TARNIXCFG_API void ClearFaults();

// One request as the driver saw it: the device, the code, the record's
// size and its bytes as they came in; for instance requests the name.
struct SeenRequest {
  std::string device;
  DWORD code = 0;
  DWORD size = 0;
  std::vector<unsigned char> record;
  std::string instanceName;
};
TARNIXCFG_API std::vector<SeenRequest> RequestLog();
TARNIXCFG_API int OpenCount();  // opens since Install

// ---- Plug and Play registry -----------------------------------------------------------
enum class Generation { Win9x, Nt4, Nt5 };

// Writes the enumeration keys that agree with the inventory for the
// generation: under NT 5 a "VEN_1C5E&DEV_%04X&SUBSYS_...&REV_%02X" key per
// PCI board and the Root\MultiFunction instances; under 9x the Root
// instances (MultiFunction and Ports) and the PC cards' Enum keys. NT 4
// has none. `descriptions` of root devices are written as DeviceDesc.
TARNIXCFG_API bool WritePnpRegistry(const Inventory& inventory, Generation generation);

// ---- WDM analog devices ---------------------------------------------------------------
inline constexpr const char* kDevicesKey = "SYSTEM\\CurrentControlSet\\Services\\Xan\\Devices";
inline constexpr const char* kClassKeyNt =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{78A1C343-4539-11d3-B88D-00C04FAD5171}";
inline constexpr const char* kClassKey9x = "SYSTEM\\CurrentControlSet\\Services\\Class\\Dornell";

// One device key as the WDM driver's installation leaves it. An empty text
// is not written.
struct WdmDeviceKey {
  std::string key;           // the subkey name under both keys
  std::string symbolicName;  // "\DosDevices\NAME" or "\??\NAME"
  std::string deviceName;    // under the Devices key
  std::string boardId;       // hexadecimal text
  std::string ioAddress;     // "%x - %x"
  std::string irq;           // decimal text
  std::string driverDesc;    // under the class key
  std::string classDeviceName;
};
TARNIXCFG_API bool WriteWdmDevice(const WdmDeviceKey& device, Generation generation);

// A kernel device behind "\\.\NAME" that opens and answers nothing: what
// the WDM list needs to find a device present. Removed by RemoveKernelDevices.
TARNIXCFG_API bool AddKernelDevice(const std::string& name);
TARNIXCFG_API void RemoveKernelDevices();

}  // namespace tarnixcfg
