// The kernel layer's test driver: what a test sends it.
//
// At start it reads from its service key "Fault" (see below), finds the
// test card on the PCI buses, claims its ports and connects its interrupt,
// and creates "\Device\NtkTest0" with the link "\DosDevices\NtkTest0".
#pragma once
#include <windows.h>

#include <cstdint>

namespace ntktest {

inline constexpr const char* kService = "NtkTestDrv";
inline constexpr const char* kDevicePath = "\\\\.\\NtkTest0";

// Buffered: every byte of the input comes back plus one; Information is
// the input length.
inline constexpr DWORD kEcho = CTL_CODE(0x8000, 0x800, METHOD_BUFFERED, FILE_ANY_ACCESS);
// Buffered, 4 bytes out: pends until the card's next interrupt (its DPC
// completes it with the number of interrupts served) or a cancel. The
// dispatch answers STATUS_SUCCESS while the IRP stays pending.
inline constexpr DWORD kWait = CTL_CODE(0x8000, 0x801, METHOD_BUFFERED, FILE_ANY_ACCESS);
// Buffered, 4 bytes out: 1 while a wait is pending.
inline constexpr DWORD kWaiting = CTL_CODE(0x8000, 0x802, METHOD_BUFFERED, FILE_ANY_ACCESS);

// Values of "Fault".
enum Fault : DWORD {
  kNoFault = 0,
  kFailEntryLeavingDevice = 1,  // DriverEntry makes its device and link, then fails
  kSloppyUnload = 2,            // unload leaves its timer set and its pool block
};

}  // namespace ntktest
