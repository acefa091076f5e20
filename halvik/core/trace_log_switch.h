// Whether the installer marked a device for tracing, and the opening of the
// trace log that follows from it.
#pragma once
#include <windows.h>

#include <cstdint>

namespace halvik {

// Scans the class key's subkeys for a "DeviceName" value holding
// "HALVIKDEBUG" (case counts), and only when one is found starts the log. 0 when tracing is
// on or stays off by the scan; nonzero when the class key cannot be opened
// or the log cannot be set up (tracing stays off).
int OpenDebugLog(int16_t flushThreadOn, DWORD periodMs);

}  // namespace halvik
