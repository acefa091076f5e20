// The device I/O library below: open, device control, close.
#pragma once
#include <windows.h>

namespace skorra {

HANDLE devOpen(const char* path, DWORD flags);
BOOL devControl(HANDLE h, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* bytes,
                OVERLAPPED* ov);
BOOL devClose(HANDLE h);

}  // namespace skorra
