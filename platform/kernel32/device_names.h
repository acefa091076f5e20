// Names under which devices and serial ports are opened.
#pragma once
#include <windows.h>

#include <string>

namespace plat {

// "NAME" of "\\.\NAME" or "\\?\NAME"; nullptr for other names and for the
// file-system forms "\\?\C:\..." and "\\?\UNC\...".
const char* deviceNameOf(const char* path);

// 1..255 for "COMn", "COMn:", "\\.\COMn" (any case); 0 otherwise.
int comPortNumber(const char* path);

// Opens the device registered under `name`; false when there is none.
bool openRegisteredDevice(const char* name, DWORD access, DWORD share, DWORD flags, HANDLE& result);

}  // namespace plat
