// File version data (the services of version.dll). A file's version data
// lives in a text file beside it, "<file>.version", found without regard to
// case: lines "key=value", where "Translation=<language hex> <code page hex>"
// (one or more pairs) names the translations and every other key is a string
// value, served for each translation.
#pragma once
#include "../windef.h"

// The size of the file's version data, or 0 (ERROR_FILE_NOT_FOUND for a
// missing file, ERROR_RESOURCE_DATA_NOT_FOUND for one without version data).
PLATFORM_API DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle);
// Copies the version data into lpData; FALSE with ERROR_INSUFFICIENT_BUFFER
// when dwLen is smaller than the size above (nothing is written then).
PLATFORM_API BOOL WINAPI GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData);
// "\VarFileInfo\Translation" gives the (language, code page) WORD pairs;
// "\StringFileInfo\<language><code page>\<key>" (eight hex digits) a string,
// its length counting the terminating zero. Names compare without regard to
// case. *lplpBuffer points into pBlock.
PLATFORM_API BOOL WINAPI VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen);
