// Kernel objects that ReadFile, WriteFile, DeviceIoControl and the other
// handle-based I/O calls reach: regular files, devices, serial ports.
#pragma once
#include <windows.h>

#include "kernel32/object.h"

namespace plat {

class IoObject : public KernelObject {
 public:
  using KernelObject::KernelObject;

  // Each returns a Win32 BOOL and sets the last error on failure. The
  // default refuses with ERROR_INVALID_FUNCTION (ERROR_INVALID_HANDLE for
  // calls that make no sense on the kind).
  virtual BOOL read(void* buffer, DWORD toRead, DWORD* done, OVERLAPPED* overlapped);
  virtual BOOL write(const void* buffer, DWORD toWrite, DWORD* done, OVERLAPPED* overlapped);
  virtual BOOL deviceControl(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned,
                             OVERLAPPED* overlapped);
  virtual BOOL flush();
  virtual BOOL cancel(OVERLAPPED* overlapped);  // nullptr: every request of this handle

  // Serial ports answer these; others refuse.
  virtual BOOL getCommState(DCB* dcb);
  virtual BOOL setCommState(const DCB* dcb);
  virtual BOOL getCommTimeouts(COMMTIMEOUTS* timeouts);
  virtual BOOL setCommTimeouts(const COMMTIMEOUTS* timeouts);
  virtual BOOL purgeComm(DWORD flags);
  virtual BOOL clearCommError(DWORD* errors, COMSTAT* status);
};

// Openers that CreateFileA tries before the file system. Each returns true
// when the name is its own; `result` is then the handle, or
// INVALID_HANDLE_VALUE with the last error set.
//   "\\.\NAME" and "\\?\NAME" (but not "\\?\C:\..."): registered devices.
//   "COMn" and "\\.\COMn": serial ports.
bool openSerialPort(const char* name, DWORD access, DWORD flags, HANDLE& result);
bool openDevice(const char* name, DWORD access, DWORD share, DWORD flags, HANDLE& result);

}  // namespace plat
