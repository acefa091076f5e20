// Where the WDM analog devices are registered: one subkey per device under
// the Devices key of the kernel driver's service, and one of the same name
// under the device class key (which Halvik reads at process attach).
#pragma once
#include <string>

namespace tarnix {

inline constexpr const char* kWdmDevicesKey = "SYSTEM\\CurrentControlSet\\Services\\Xan\\Devices";
inline constexpr const char* kWdmClassKeyNt =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{78A1C343-4539-11d3-B88D-00C04FAD5171}";
inline constexpr const char* kWdmClassKeyOther = "SYSTEM\\CurrentControlSet\\Services\\Class\\Dornell";

// The class key of the running generation.
const char* WdmClassKey();

inline std::string WdmDeviceKeyPath(const char* key) { return std::string(kWdmDevicesKey) + "\\" + key; }
inline std::string WdmClassKeyPath(const char* key) { return std::string(WdmClassKey()) + "\\" + key; }

}  // namespace tarnix
