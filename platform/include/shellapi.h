// Shell file operations.
#pragma once
#include "windows.h"

#define FO_MOVE 0x0001u
#define FO_COPY 0x0002u
#define FO_DELETE 0x0003u
#define FO_RENAME 0x0004u

#define FOF_MULTIDESTFILES 0x0001u
#define FOF_CONFIRMMOUSE 0x0002u
#define FOF_SILENT 0x0004u
#define FOF_RENAMEONCOLLISION 0x0008u
#define FOF_NOCONFIRMATION 0x0010u
#define FOF_WANTMAPPINGHANDLE 0x0020u
#define FOF_ALLOWUNDO 0x0040u
#define FOF_FILESONLY 0x0080u
#define FOF_SIMPLEPROGRESS 0x0100u
#define FOF_NOCONFIRMMKDIR 0x0200u
#define FOF_NOERRORUI 0x0400u

typedef WORD FILEOP_FLAGS;

typedef struct _SHFILEOPSTRUCTA {
  HWND hwnd;
  UINT wFunc;
  LPCSTR pFrom;  // names, each NUL-terminated, the list ended by one more NUL
  LPCSTR pTo;
  FILEOP_FLAGS fFlags;
  BOOL fAnyOperationsAborted;
  LPVOID hNameMappings;
  LPCSTR lpszProgressTitle;
} SHFILEOPSTRUCTA, *LPSHFILEOPSTRUCTA;

#ifdef __cplusplus
static_assert(sizeof(SHFILEOPSTRUCTA) == 56 && offsetof(SHFILEOPSTRUCTA, wFunc) == 8 &&
                  offsetof(SHFILEOPSTRUCTA, pFrom) == 16 && offsetof(SHFILEOPSTRUCTA, fFlags) == 32 &&
                  offsetof(SHFILEOPSTRUCTA, fAnyOperationsAborted) == 36 &&
                  offsetof(SHFILEOPSTRUCTA, hNameMappings) == 40,
              "SHFILEOPSTRUCTA as on 64-bit Windows");
#endif

// FO_DELETE only: removes every file or folder of pFrom, a folder with all
// it holds; names go through the drive mapping. Nothing asks or shows
// anything (there is no dialog), whatever the flags. Returns 0, or the
// error of the first name that could not be removed (ERROR_FILE_NOT_FOUND
// for one that does not exist, ERROR_ACCESS_DENIED for a drive root); the
// names before it are gone. Other operations: ERROR_CALL_NOT_IMPLEMENTED.
PLATFORM_API int WINAPI SHFileOperationA(LPSHFILEOPSTRUCTA lpFileOp);
