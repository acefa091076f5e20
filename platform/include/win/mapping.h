// File mappings: shared memory backed by a file or by the paging file.
// Named mappings are shared by every process of the user.
#pragma once
#include "../windef.h"

#define PAGE_NOACCESS 0x01u
#define PAGE_READONLY 0x02u
#define PAGE_READWRITE 0x04u
#define PAGE_WRITECOPY 0x08u
#define SEC_COMMIT 0x08000000u

#define FILE_MAP_COPY 0x0001u
#define FILE_MAP_WRITE 0x0002u
#define FILE_MAP_READ 0x0004u
#define FILE_MAP_ALL_ACCESS 0x000F001Fu

PLATFORM_API HANDLE WINAPI CreateFileMappingA(HANDLE hFile, LPSECURITY_ATTRIBUTES lpFileMappingAttributes,
                                              DWORD flProtect, DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow,
                                              LPCSTR lpName);
PLATFORM_API HANDLE WINAPI OpenFileMappingA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName);
PLATFORM_API LPVOID WINAPI MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess,
                                         DWORD dwFileOffsetHigh, DWORD dwFileOffsetLow,
                                         SIZE_T dwNumberOfBytesToMap);
PLATFORM_API LPVOID WINAPI MapViewOfFileEx(HANDLE hFileMappingObject, DWORD dwDesiredAccess,
                                           DWORD dwFileOffsetHigh, DWORD dwFileOffsetLow,
                                           SIZE_T dwNumberOfBytesToMap, LPVOID lpBaseAddress);
PLATFORM_API BOOL WINAPI UnmapViewOfFile(LPCVOID lpBaseAddress);
PLATFORM_API BOOL WINAPI FlushViewOfFile(LPCVOID lpBaseAddress, SIZE_T dwNumberOfBytesToFlush);
