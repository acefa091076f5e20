// The comparison of the library's file version with the driver's, made
// before the first open of a kernel-driver device.
#pragma once
#include <windows.h>

namespace halvik {

// 0 when the first `parts` numbers agree (or the library file is not
// found), 8 driver file missing, 9 library version unreadable, 10 driver
// version unreadable, 11 the versions differ. XanInit passes "halvik", 2.
LONG CheckDriverVersion(const char* baseName, int parts);

// 0 when the file exists, else the system error.
DWORD FindFileError(const char* fileName);
// 0 when the "FileVersion" text of the first translation was read.
int GetFileVersionString(const char* fileName, char* out, DWORD outSize);
// Up to four numbers split at commas; missing ones are 0.
void ParseVersionNumbers(const char* text, int numbers[4]);

}  // namespace halvik
