// The kernel layer seen from outside a driver: starting and unloading
// drivers from their service keys, and what tests look at (pool, leftovers,
// failure injection).
#pragma once
#include "nt_rtl.h"

// A driver's service key is HKLM\SYSTEM\CurrentControlSet\Services\<name>,
// with ImagePath naming its module for LoadLibraryA ("Morvel00",
// "System32\drivers\Morvel00.sys"), Type 1 (kernel driver) and Start (2
// starts it automatically). The module exports DriverEntry, which is called
// with "\Registry\Machine\System\CurrentControlSet\Services\<name>".
//
// STATUS_OBJECT_NAME_NOT_FOUND without a service key or ImagePath,
// STATUS_IMAGE_ALREADY_LOADED when the service runs, STATUS_DRIVER_UNABLE_TO_LOAD
// when the module does not load, STATUS_PROCEDURE_NOT_FOUND without
// DriverEntry, else what DriverEntry returns. A failed start unloads the
// module; what the driver left behind is taken down and reported in
// *Leftovers (may be NULL).
typedef struct _NTK_LEFTOVERS {
  ULONG PoolAllocations;  // not freed, made by the driver's code
  SIZE_T PoolBytes;
  ULONG TimersSet;        // whose DPC routine is in the driver
  ULONG DpcsQueued;
  ULONG InterruptsConnected;
  ULONG Devices;
  ULONG SymbolicLinks;
} NTK_LEFTOVERS, *PNTK_LEFTOVERS;

NTKRNL_API NTSTATUS NTAPI NtkStartDriver(const char* ServiceName, PNTK_LEFTOVERS Leftovers);
// Calls DriverUnload, takes down and reports what is left, and unloads the
// module. STATUS_OBJECT_NAME_NOT_FOUND when the service does not run,
// STATUS_INVALID_DEVICE_REQUEST when the driver has no unload routine.
NTKRNL_API NTSTATUS NTAPI NtkUnloadDriver(const char* ServiceName, PNTK_LEFTOVERS Leftovers);
// TRUE while the service's driver is started (names compare without regard
// to case).
NTKRNL_API BOOLEAN NTAPI NtkDriverRunning(const char* ServiceName);
// Starts every kernel-driver service whose Start is 0 to 2, once per
// process (kernel32 calls it at the first open of an unknown "\\.\NAME").
// Returns the number of drivers started.
NTKRNL_API ULONG NTAPI NtkStartAutoStartDrivers(void);
#define NTK_AUTOSTART_SYMBOL "NtkStartAutoStartDrivers"

// Pool accounting: allocations not yet freed, over the whole process.
NTKRNL_API ULONG NTAPI NtkPoolOutstanding(PSIZE_T Bytes);
// Called before every pool allocation (and device or controller object);
// TRUE makes it fail. NULL removes the hook.
typedef BOOLEAN (*NTK_POOL_FAILURE_HOOK)(POOL_TYPE PoolType, SIZE_T NumberOfBytes, ULONG Tag, PVOID Context);
NTKRNL_API VOID NTAPI NtkSetPoolFailureHook(NTK_POOL_FAILURE_HOOK Hook, PVOID Context);

// IRPs completed a second time since the process started (a driver fault).
NTKRNL_API ULONG NTAPI NtkDoubleCompletions(void);
// Forgets every resource claim (tests that start a fresh machine).
NTKRNL_API VOID NTAPI NtkClearResourceMap(void);
