// INI files ("private profile" files): read and edit "key=value" lines
// under "[section]" headers. A file name without a folder is in the
// Windows folder, as on Windows.
#pragma once
#include "../windef.h"

PLATFORM_API DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                                   LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);
PLATFORM_API UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault,
                                               LPCSTR lpFileName);
PLATFORM_API DWORD WINAPI GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize,
                                                    LPCSTR lpFileName);
PLATFORM_API DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize,
                                                         LPCSTR lpFileName);
PLATFORM_API BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                                    LPCSTR lpFileName);

// The same on win.ini in the Windows folder.
PLATFORM_API DWORD WINAPI GetProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                            LPSTR lpReturnedString, DWORD nSize);
PLATFORM_API BOOL WINAPI WriteProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString);
