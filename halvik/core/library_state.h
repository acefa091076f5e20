// What the library keeps for the whole process besides the device table, set
// at attach: one place for it.
#pragma once
#include <windows.h>

#include <cstdint>

namespace halvik {

struct LibraryState {
  HMODULE module = nullptr;       // the library's own module
  DWORD processId = 0;            // sent with every ownership request
  CRITICAL_SECTION lock{};        // the input family's data readout and polling
  bool lockReady = false;
  bool deviceOpened = false;      // set by the first successful XanInit
};
LibraryState& Library();

// The work of process attach and detach, in their order. Tests call them
// directly, around a registry they have written.
void AttachLibrary(HMODULE module);
void DetachLibrary();

// Fills the device table from the driver's class key: 1 when the key
// could be opened, 0 when not (the table stays empty).
int ScanRegisteredDevices();
// 1 done, 0 for a form it does not know (out unchanged); out holds 256 bytes.
int SymbolicNameToDevicePath(const char* symbolicName, char* out);

}  // namespace halvik
