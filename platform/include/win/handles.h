// Kernel object handles and the thread's last error.
#pragma once
#include "../windef.h"

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

#define DUPLICATE_CLOSE_SOURCE 0x00000001
#define DUPLICATE_SAME_ACCESS 0x00000002

PLATFORM_API BOOL WINAPI CloseHandle(HANDLE hObject);
PLATFORM_API BOOL WINAPI DuplicateHandle(HANDLE hSourceProcessHandle, HANDLE hSourceHandle,
                                         HANDLE hTargetProcessHandle, LPHANDLE lpTargetHandle,
                                         DWORD dwDesiredAccess, BOOL bInheritHandle, DWORD dwOptions);
PLATFORM_API HANDLE WINAPI GetCurrentProcess(void);
PLATFORM_API DWORD WINAPI GetCurrentProcessId(void);

// For tests: the value the next handle is given (a multiple of 4 below
// 2^31; others start the counter at its beginning); returns the one before.
PLATFORM_API DWORD WINAPI PlatSetNextHandleValue(DWORD next);
// For tests: how many names the process's objects hold.
PLATFORM_API DWORD WINAPI PlatNamedObjectCount(void);

PLATFORM_API DWORD WINAPI GetLastError(void);
PLATFORM_API void WINAPI SetLastError(DWORD dwErrCode);
