// Global memory blocks: fixed blocks addressed by their pointer.
#pragma once
#include "../windef.h"

#define GMEM_FIXED 0x0000u
#define GMEM_MOVEABLE 0x0002u
#define GMEM_ZEROINIT 0x0040u
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

// A fixed block of dwBytes (at least one byte), aligned for any type; its
// handle is its address. Only GMEM_FIXED blocks are kept, zeroed with
// GMEM_ZEROINIT: any other flag gives NULL with ERROR_INVALID_PARAMETER. NULL
// with ERROR_NOT_ENOUGH_MEMORY when there is no room.
PLATFORM_API HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
// NULL when freed (or for NULL); the handle itself, with
// ERROR_INVALID_HANDLE, for a block that GlobalAlloc did not give or that
// was freed already.
PLATFORM_API HGLOBAL WINAPI GlobalFree(HGLOBAL hMem);
