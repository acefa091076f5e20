#include "config_request.h"

#include <outside/tarnixcfg.h>

#include "config_device.h"

// The Windows value; the platform's headers leave it out, as its files
// have no delete-on-close.
#ifndef FILE_FLAG_DELETE_ON_CLOSE
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000u
#endif

namespace tarnix {

namespace {

HANDLE openPath(ConfigPath path) {
  if (path == ConfigPath::Vxd) {
    // The way a dynamic VxD is loaded; it never makes a file.
    return CreateFileA(tarnixcfg::kVxdPath, 0, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  }
  char name[64] = {};
  if (path == ConfigPath::Queries) OpenConfigDeviceName(name);
  return CreateFileA(path == ConfigPath::Queries ? name : tarnixcfg::kNtPath, GENERIC_READ | GENERIC_WRITE, 0,
                     nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ConfigDevice::ConfigDevice(ConfigPath path) : handle_(openPath(path)) {}

ConfigDevice::~ConfigDevice() {
  if (opened()) CloseHandle(handle_);
}

bool ConfigDevice::send(DWORD code, void* record, DWORD size) const {
  DWORD returned = 0;
  return opened() && DeviceIoControl(handle_, code, record, size, record, size, &returned, nullptr) != FALSE;
}

}  // namespace tarnix
