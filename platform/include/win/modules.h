// Libraries: loading by Windows module name, exports by name and ordinal.
//
// A module name maps to one of our shared libraries by its file name:
// "Vekmath.dll" and "C:\Windows\system32\VEKMATH.DLL" both name
// libvekmath.so, and a name without extension means ".dll". Libraries are
// searched in $ORVANE_LIBRARY_PATH (colon-separated), then beside
// libplatform.so, then in the program's folder and <program folder>/../lib.
// "kernel32.dll" names this layer itself. An outside library that Linux
// installs under a name of its own ("nicaiu.dll") is looked for under that
// name in the system's library folders first.
#pragma once
#include "../windef.h"

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#ifndef ERROR_DLL_INIT_FAILED
#define ERROR_DLL_INIT_FAILED 1114L
#endif

// Accepted and ignored: the search order above always holds.
#define DONT_RESOLVE_DLL_REFERENCES 0x00000001
#define LOAD_LIBRARY_AS_DATAFILE 0x00000002
#define LOAD_WITH_ALTERED_SEARCH_PATH 0x00000008

// NULL with ERROR_MOD_NOT_FOUND when no such library exists, or
// ERROR_DLL_INIT_FAILED when its DllMain refused the attach. Loading a
// library that is already loaded returns the same module and counts a
// reference.
PLATFORM_API HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName);
PLATFORM_API HMODULE WINAPI LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
PLATFORM_API BOOL WINAPI FreeLibrary(HMODULE hLibModule);
// NULL gives the program; a library must already be loaded.
PLATFORM_API HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
#define GET_MODULE_HANDLE_EX_FLAG_PIN 0x00000001
#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x00000002
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x00000004
// With FROM_ADDRESS, lpModuleName is an address inside the library. PIN
// keeps the library mapped until the process ends, whatever FreeLibrary
// is called; without PIN or UNCHANGED_REFCOUNT the call counts a
// reference, as LoadLibraryA does.
PLATFORM_API BOOL WINAPI GetModuleHandleExA(DWORD dwFlags, LPCSTR lpModuleName, HMODULE* phModule);
// The Linux path of the program (NULL) or of the library.
PLATFORM_API DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
// By name, or by ordinal with MAKEINTRESOURCE(n); only the library's own
// exports, never those of the libraries it links.
PLATFORM_API FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
PLATFORM_API BOOL WINAPI DisableThreadLibraryCalls(HMODULE hLibModule);

#define LoadLibrary LoadLibraryA
#define LoadLibraryEx LoadLibraryExA
#define GetModuleHandle GetModuleHandleA
#define GetModuleFileName GetModuleFileNameA
