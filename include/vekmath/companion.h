// Exports of the processing library: starting the input-monitor program
// "C:\Rukbase\Inmonix.exe" with a settings file on its command line.
#pragma once
#include <windef.h>

// Keeps a copy of the settings-file path for the next start; NULL brings
// back the default "C:\SETTING.SET".
DLL_EXPORT void WINAPI StartInmonix_SETTING(const char* path);
// Starts the program with "<program path> <settings path>" and waits up to
// 10,000 ms for it to become idle. A command line longer than 255 bytes
// starts nothing; a failed start is not reported.
DLL_EXPORT void WINAPI StartInmonix(void);
