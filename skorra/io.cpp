#include "io.h"

#include <skorradev.h>

namespace skorra {

HANDLE devOpen(const char* path, DWORD flags) {
  return SkorradevCreateFile(path, 0, 0, nullptr, OPEN_EXISTING, flags, nullptr);
}

BOOL devControl(HANDLE h, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* bytes,
                OVERLAPPED* ov) {
  return SkorradevDeviceIoControl(h, code, in, inSize, out, outSize, bytes, ov);
}

BOOL devClose(HANDLE h) { return SkorradevCloseHandle(h); }

}  // namespace skorra
