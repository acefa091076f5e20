// The Comm functions: each goes to the I/O object of the handle, which
// refuses unless it is a serial port.
#include "kernel32/serial_port.h"

namespace {

template <class Call>
BOOL onPort(HANDLE handle, Call call) {
  auto io = plat::lookupAs<plat::IoObject>(handle);
  if (!io) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return call(*io);
}

}  // namespace

PLATFORM_API BOOL WINAPI GetCommState(HANDLE file, LPDCB dcb) {
  return onPort(file, [&](plat::IoObject& io) { return io.getCommState(dcb); });
}

PLATFORM_API BOOL WINAPI SetCommState(HANDLE file, LPDCB dcb) {
  return onPort(file, [&](plat::IoObject& io) { return io.setCommState(dcb); });
}

PLATFORM_API BOOL WINAPI GetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts) {
  return onPort(file, [&](plat::IoObject& io) { return io.getCommTimeouts(timeouts); });
}

PLATFORM_API BOOL WINAPI SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts) {
  return onPort(file, [&](plat::IoObject& io) { return io.setCommTimeouts(timeouts); });
}

PLATFORM_API BOOL WINAPI PurgeComm(HANDLE file, DWORD flags) {
  return onPort(file, [&](plat::IoObject& io) { return io.purgeComm(flags); });
}

PLATFORM_API BOOL WINAPI ClearCommError(HANDLE file, LPDWORD errors, LPCOMSTAT status) {
  return onPort(file, [&](plat::IoObject& io) { return io.clearCommError(errors, status); });
}

// Linux sizes the queues itself; any size is accepted for a serial port.
PLATFORM_API BOOL WINAPI SetupComm(HANDLE file, DWORD, DWORD) {
  return onPort(file, [&](plat::IoObject& io) {
    if (dynamic_cast<plat::SerialPort*>(&io) != nullptr) return TRUE;
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
  });
}
