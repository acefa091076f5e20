// advapi32: the service control manager.
//
// A service is its registry key HKLM\SYSTEM\CurrentControlSet\Services\<name>:
// the key exists, the service exists. Kernel-driver services start and stop
// in the kernel layer (libntkrnl, loaded by module name when first needed),
// which also says whether one runs. Other service types can be created,
// opened and deleted but not started.
//
// DeleteService removes the service's key at once, so the name is free for
// a new service straight away. Handles already open on the deleted service
// stay valid until closed: they still stop a driver that runs and still
// query its state, but StartServiceA and DeleteService answer
// ERROR_SERVICE_MARKED_FOR_DELETE on them.
//
// Handles are values below 2^31. Every function sets the thread's last
// error when it fails.
#pragma once
#include "../windef.h"

DECLARE_HANDLE(SC_HANDLE);
typedef SC_HANDLE* LPSC_HANDLE;

// Access rights of the manager.
#define SC_MANAGER_CONNECT 0x0001u
#define SC_MANAGER_CREATE_SERVICE 0x0002u
#define SC_MANAGER_ENUMERATE_SERVICE 0x0004u
#define SC_MANAGER_LOCK 0x0008u
#define SC_MANAGER_QUERY_LOCK_STATUS 0x0010u
#define SC_MANAGER_MODIFY_BOOT_CONFIG 0x0020u
#define SC_MANAGER_ALL_ACCESS 0x000F003Fu

// Access rights of a service.
#define SERVICE_QUERY_CONFIG 0x0001u
#define SERVICE_CHANGE_CONFIG 0x0002u
#define SERVICE_QUERY_STATUS 0x0004u
#define SERVICE_ENUMERATE_DEPENDENTS 0x0008u
#define SERVICE_START 0x0010u
#define SERVICE_STOP 0x0020u
#define SERVICE_PAUSE_CONTINUE 0x0040u
#define SERVICE_INTERROGATE 0x0080u
#define SERVICE_USER_DEFINED_CONTROL 0x0100u
#ifndef DELETE
#define DELETE 0x00010000u
#endif
#define SERVICE_ALL_ACCESS 0x000F01FFu

// Service types (the key's Type).
#define SERVICE_KERNEL_DRIVER 0x00000001u
#define SERVICE_FILE_SYSTEM_DRIVER 0x00000002u
#define SERVICE_WIN32_OWN_PROCESS 0x00000010u
#define SERVICE_WIN32_SHARE_PROCESS 0x00000020u

// Start types (the key's Start).
#define SERVICE_BOOT_START 0x00000000u
#define SERVICE_SYSTEM_START 0x00000001u
#define SERVICE_AUTO_START 0x00000002u
#define SERVICE_DEMAND_START 0x00000003u
#define SERVICE_DISABLED 0x00000004u

// Error controls (the key's ErrorControl).
#define SERVICE_ERROR_IGNORE 0x00000000u
#define SERVICE_ERROR_NORMAL 0x00000001u
#define SERVICE_ERROR_SEVERE 0x00000002u
#define SERVICE_ERROR_CRITICAL 0x00000003u

// Controls. A driver takes only these two.
#define SERVICE_CONTROL_STOP 0x00000001u
#define SERVICE_CONTROL_INTERROGATE 0x00000004u

// Current states.
#define SERVICE_STOPPED 0x00000001u
#define SERVICE_START_PENDING 0x00000002u
#define SERVICE_STOP_PENDING 0x00000003u
#define SERVICE_RUNNING 0x00000004u

#define SERVICE_ACCEPT_STOP 0x00000001u

#ifndef ERROR_INVALID_SERVICE_CONTROL
#define ERROR_INVALID_SERVICE_CONTROL 1052L
#endif
#ifndef ERROR_SERVICE_ALREADY_RUNNING
#define ERROR_SERVICE_ALREADY_RUNNING 1056L
#endif
#ifndef ERROR_SERVICE_DISABLED
#define ERROR_SERVICE_DISABLED 1058L
#endif
#ifndef ERROR_SERVICE_DOES_NOT_EXIST
#define ERROR_SERVICE_DOES_NOT_EXIST 1060L
#endif
#ifndef ERROR_SERVICE_NOT_ACTIVE
#define ERROR_SERVICE_NOT_ACTIVE 1062L
#endif
#ifndef ERROR_SERVICE_MARKED_FOR_DELETE
#define ERROR_SERVICE_MARKED_FOR_DELETE 1072L
#endif
#ifndef ERROR_SERVICE_EXISTS
#define ERROR_SERVICE_EXISTS 1073L
#endif

typedef struct _SERVICE_STATUS {
  DWORD dwServiceType;
  DWORD dwCurrentState;
  DWORD dwControlsAccepted;
  DWORD dwWin32ExitCode;
  DWORD dwServiceSpecificExitCode;
  DWORD dwCheckPoint;
  DWORD dwWaitHint;
} SERVICE_STATUS, *LPSERVICE_STATUS;

// The local machine only (lpMachineName NULL or empty: ERROR_INVALID_NAME
// otherwise); lpDatabaseName is ignored.
PLATFORM_API SC_HANDLE WINAPI OpenSCManagerA(LPCSTR lpMachineName, LPCSTR lpDatabaseName, DWORD dwDesiredAccess);
// Writes Type, Start, ErrorControl, ImagePath, DisplayName (the name when
// lpDisplayName is NULL or empty) and Group (when given) into the service's
// key. ERROR_SERVICE_EXISTS when the key is there already. Tag, dependencies
// and account are not kept.
PLATFORM_API SC_HANDLE WINAPI CreateServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, LPCSTR lpDisplayName,
                                             DWORD dwDesiredAccess, DWORD dwServiceType, DWORD dwStartType,
                                             DWORD dwErrorControl, LPCSTR lpBinaryPathName,
                                             LPCSTR lpLoadOrderGroup, LPDWORD lpdwTagId, LPCSTR lpDependencies,
                                             LPCSTR lpServiceStartName, LPCSTR lpPassword);
PLATFORM_API SC_HANDLE WINAPI OpenServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, DWORD dwDesiredAccess);
// Kernel drivers only; arguments are ignored. ERROR_SERVICE_ALREADY_RUNNING,
// ERROR_SERVICE_DISABLED (Start 4), ERROR_NOT_SUPPORTED for other service
// types, ERROR_FILE_NOT_FOUND when the driver's module does not load,
// ERROR_MOD_NOT_FOUND without the kernel layer, else the Win32 form of the
// driver's failing status.
PLATFORM_API BOOL WINAPI StartServiceA(SC_HANDLE hService, DWORD dwNumServiceArgs, LPCSTR* lpServiceArgVectors);
// SERVICE_CONTROL_STOP unloads the driver (ERROR_SERVICE_NOT_ACTIVE when it
// does not run, ERROR_INVALID_SERVICE_CONTROL when it cannot be unloaded);
// SERVICE_CONTROL_INTERROGATE only reports. lpServiceStatus may be NULL.
PLATFORM_API BOOL WINAPI ControlService(SC_HANDLE hService, DWORD dwControl, LPSERVICE_STATUS lpServiceStatus);
PLATFORM_API BOOL WINAPI DeleteService(SC_HANDLE hService);
// SERVICE_RUNNING or SERVICE_STOPPED, as the kernel layer sees the driver.
PLATFORM_API BOOL WINAPI QueryServiceStatus(SC_HANDLE hService, LPSERVICE_STATUS lpServiceStatus);
PLATFORM_API BOOL WINAPI CloseServiceHandle(SC_HANDLE hSCObject);

#define OpenSCManager OpenSCManagerA
#define CreateService CreateServiceA
#define OpenService OpenServiceA
#define StartService StartServiceA
