// advapi32: the registry.
//
// One store per user shared by every process (see platform/advapi32/store.h
// for where it lives). Every function answers a LONG status (ERROR_SUCCESS
// or an ERROR_ code); none of them sets the thread's last error.
#pragma once
#include "windef.h"
#include "winerror.h"

typedef DWORD REGSAM;
typedef DWORD ACCESS_MASK;

// The predefined roots. They are not handles: they need no opening and
// closing one does nothing. Their values lie above every handle value.
#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)0x80000002u)
#define HKEY_USERS ((HKEY)(ULONG_PTR)0x80000003u)

// Access rights of a key handle.
#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_CREATE_SUB_KEY 0x0004u
#define KEY_ENUMERATE_SUB_KEYS 0x0008u
#define KEY_NOTIFY 0x0010u
#define KEY_CREATE_LINK 0x0020u
#define KEY_WOW64_64KEY 0x0100u  // accepted and ignored: there is one view
#define KEY_WOW64_32KEY 0x0200u  // accepted and ignored: there is one view
#define KEY_READ 0x00020019u
#define KEY_EXECUTE KEY_READ
#define KEY_WRITE 0x00020006u
#define KEY_ALL_ACCESS 0x000F003Fu
#ifndef MAXIMUM_ALLOWED
#define MAXIMUM_ALLOWED 0x02000000u
#endif

// Value types.
#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_DWORD_LITTLE_ENDIAN 4u
#define REG_DWORD_BIG_ENDIAN 5u
#define REG_MULTI_SZ 7u
#define REG_QWORD 11u
#define REG_QWORD_LITTLE_ENDIAN 11u

// RegCreateKeyExA options and dispositions. Every key is kept in the store;
// a volatile key is kept as well.
#define REG_OPTION_RESERVED 0x0000u
#define REG_OPTION_NON_VOLATILE 0x0000u
#define REG_OPTION_VOLATILE 0x0001u
#define REG_CREATED_NEW_KEY 1u
#define REG_OPENED_EXISTING_KEY 2u

// Status codes that only the registry gives.
#ifndef ERROR_BADDB
#define ERROR_BADDB 1009L  // the store file is not a registry store
#endif
#ifndef ERROR_CANTOPEN
#define ERROR_CANTOPEN 1011L  // the store file cannot be opened or created
#endif
#ifndef ERROR_CANTWRITE
#define ERROR_CANTWRITE 1013L
#endif
#ifndef ERROR_REGISTRY_IO_FAILED
#define ERROR_REGISTRY_IO_FAILED 1016L
#endif

// Keys.
PLATFORM_API LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                                       HKEY* phkResult);
PLATFORM_API LONG WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, HKEY* phkResult);
PLATFORM_API LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass,
                                         DWORD dwOptions, REGSAM samDesired,
                                         const LPSECURITY_ATTRIBUTES lpSecurityAttributes, HKEY* phkResult,
                                         LPDWORD lpdwDisposition);
PLATFORM_API LONG WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, HKEY* phkResult);
PLATFORM_API LONG WINAPI RegCloseKey(HKEY hKey);
// Refuses a key that still has subkeys (ERROR_ACCESS_DENIED).
PLATFORM_API LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);
// Deletes the subkey with everything below it; a NULL subkey empties hKey.
PLATFORM_API LONG WINAPI RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey);
PLATFORM_API LONG WINAPI RegFlushKey(HKEY hKey);

// Enumeration: subkeys in order of their names without regard to case,
// values in the order they were first written.
PLATFORM_API LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                                       LPDWORD lpReserved, LPSTR lpClass, LPDWORD lpcchClass,
                                       PFILETIME lpftLastWriteTime);
PLATFORM_API LONG WINAPI RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName);
PLATFORM_API LONG WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                                       LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
PLATFORM_API LONG WINAPI RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                                          LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                                          LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen,
                                          LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                                          PFILETIME lpftLastWriteTime);

// Values. A NULL or empty value name is the key's default value.
PLATFORM_API LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                          LPBYTE lpData, LPDWORD lpcbData);
PLATFORM_API LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                                        const BYTE* lpData, DWORD cbData);
PLATFORM_API LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
