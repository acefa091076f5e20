// One request to a configuration driver: open the device, send one record
// that is input and output at once, close.
#pragma once
#include <windows.h>

#include <cstdint>

namespace tarnix {

enum class ConfigPath {
  Vxd,      // the 9x VxD
  Nt,       // the NT driver every NT generation has
  Queries,  // the NT device of the resource and version queries
};

class ConfigDevice {
 public:
  explicit ConfigDevice(ConfigPath path);
  ~ConfigDevice();
  ConfigDevice(const ConfigDevice&) = delete;
  ConfigDevice& operator=(const ConfigDevice&) = delete;

  bool opened() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Synchronous, the same buffer and size both ways.
  bool send(DWORD code, void* record, DWORD size) const;

 private:
  HANDLE handle_;
};

}  // namespace tarnix
