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
