// Overlapped records and device-control requests.
#pragma once
#include "../windef.h"

typedef struct _OVERLAPPED {
  ULONG_PTR Internal;      // status of the request (STATUS_PENDING while it runs)
  ULONG_PTR InternalHigh;  // bytes transferred
  union {
    struct {
      DWORD Offset;
      DWORD OffsetHigh;
    };
    PVOID Pointer;
  };
  HANDLE hEvent;
} OVERLAPPED, *LPOVERLAPPED;

static_assert(sizeof(OVERLAPPED) == 32, "OVERLAPPED as on Win64");
static_assert(offsetof(OVERLAPPED, Offset) == 16 && offsetof(OVERLAPPED, hEvent) == 24, "OVERLAPPED layout");

#define STATUS_PENDING_VALUE 0x00000103u

// Device-control codes: device type, required access, function, and the way
// the buffers travel (the low two bits).
#define CTL_CODE(DeviceType, Function, Method, Access) \
  (((DWORD)(DeviceType) << 16) | ((DWORD)(Access) << 14) | ((DWORD)(Function) << 2) | (DWORD)(Method))
#define METHOD_FROM_CTL_CODE(code) ((DWORD)(code) & 3u)

#define METHOD_BUFFERED 0
#define METHOD_IN_DIRECT 1
#define METHOD_OUT_DIRECT 2
#define METHOD_NEITHER 3

#define FILE_ANY_ACCESS 0
#define FILE_READ_ACCESS 0x0001
#define FILE_WRITE_ACCESS 0x0002

#define FILE_DEVICE_UNKNOWN 0x00000022

// True once the request behind the record has completed. The completing
// thread stores the status atomically, so the poll loads it atomically too.
#define HasOverlappedIoCompleted(lpOverlapped) \
  (((DWORD)__atomic_load_n(&(lpOverlapped)->Internal, __ATOMIC_ACQUIRE)) != STATUS_PENDING_VALUE)

PLATFORM_API BOOL WINAPI DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer,
                                         DWORD nInBufferSize, LPVOID lpOutBuffer, DWORD nOutBufferSize,
                                         LPDWORD lpBytesReturned, LPOVERLAPPED lpOverlapped);
PLATFORM_API BOOL WINAPI GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped,
                                             LPDWORD lpNumberOfBytesTransferred, BOOL bWait);
// Both cancel every pending request of the handle (CancelIoEx only the one
// of lpOverlapped when it is given); neither waits for the completion.
PLATFORM_API BOOL WINAPI CancelIo(HANDLE hFile);
PLATFORM_API BOOL WINAPI CancelIoEx(HANDLE hFile, LPOVERLAPPED lpOverlapped);
