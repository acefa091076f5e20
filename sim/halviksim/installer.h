// Writes what an installation of the Halvik driver leaves behind, for tests
// and programs that want simulated devices: the entries of the driver's
// registry class key and the version files of the driver and the library.
// Call halviksim::Rescan() afterwards so that the simulated driver serves
// the new devices.
#pragma once
#include <string>
#include <vector>

#include "halviksim.h"

namespace halviksim {

inline constexpr const char* kClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{78A1C343-4539-11D3-B88D-00C04FAD5171}";

// One device (category 2).
struct DeviceEntry {
  std::string deviceName;    // "HVA1"
  std::string model;         // "HVA-1632PE"; DriverDesc is "Xan " + model
  DWORD busKind = 0;         // DeviceType: 10, 3, or any other for the kernel road
  std::string symbolicName;  // empty: "\DosDevices\<deviceName>" on the kernel road, else deviceName
  int deviceId = 0;
  std::string moduleId = "0";      // hexadecimal text
  std::string felnDeviceId = "0";  // hexadecimal text
  int boardId = 0;
};

struct UnitModule {
  int index = 0;  // 0 to 7
  std::string deviceName;
  std::string model;
};

// A unit of modules (category 8); its own values are those of `unit`.
struct UnitEntry {
  DeviceEntry unit;
  std::vector<UnitModule> modules;
};

// Each writes the next free subkey "NNNN" and returns its name ("" when the
// registry refused).
HALVIKSIM_API std::string InstallDevice(const DeviceEntry& entry);
HALVIKSIM_API std::string InstallUnit(const UnitEntry& entry);
// A subkey whose DeviceName is "HALVIKDEBUG" (no device): the library's
// trace log switch.
HALVIKSIM_API std::string InstallDebugSwitch();
// Removes the class key with every entry under it.
HALVIKSIM_API bool RemoveDevices();

// "<system dir>\drivers\halvik.sys" and "<system dir>\halvik.dll" as
// placeholders, each with its "<file>.version" sidecar.
struct VersionFiles {
  std::string driverVersion = "1, 0, 0, 0";
  std::string libraryVersion = "1, 0, 0, 0";
  std::string translation = "0411 03a4";  // language and code page, hex
};
HALVIKSIM_API bool InstallVersionFiles(const VersionFiles& files = {});
HALVIKSIM_API bool RemoveVersionFiles();

}  // namespace halviksim
