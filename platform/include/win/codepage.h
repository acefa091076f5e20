// Conversions between the ANSI code page (CP932) or UTF-8 and UTF-16.
#pragma once
#include "../windef.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001u
#define MB_ERR_INVALID_CHARS 0x00000008u
#define WC_NO_BEST_FIT_CHARS 0x00000400u

PLATFORM_API UINT WINAPI GetACP(void);
PLATFORM_API UINT WINAPI GetOEMCP(void);
PLATFORM_API int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                                            LPWSTR lpWideCharStr, int cchWideChar);
PLATFORM_API int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                                            LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                                            LPBOOL lpUsedDefaultChar);

// True for a byte that opens a double-byte character of the ANSI code page.
PLATFORM_API BOOL WINAPI IsDBCSLeadByte(BYTE TestChar);
