// DeviceIoControl and the calls around overlapped requests.
#include <platform/device.h>

#include <atomic>

#include "kernel32/device_file.h"
#include "kernel32/waitable.h"

namespace {

using plat::fail;

DWORD statusOf(OVERLAPPED* overlapped) {
  return static_cast<DWORD>(std::atomic_ref<ULONG_PTR>(overlapped->Internal).load());
}

}  // namespace

PLATFORM_API BOOL WINAPI DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                         DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped) {
  plat::ObjectPtr object = plat::lookupHandle(device);
  if (auto file = std::dynamic_pointer_cast<plat::DeviceFile>(object)) {
    return file->control(device, code, in, inSize, out, outSize, returned, overlapped);
  }
  if (auto io = std::dynamic_pointer_cast<plat::IoObject>(object)) {
    return io->deviceControl(code, in, inSize, out, outSize, returned, overlapped);
  }
  return fail(ERROR_INVALID_HANDLE);
}

PLATFORM_API BOOL WINAPI GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred,
                                             BOOL wait) {
  if (overlapped == nullptr) return fail(ERROR_INVALID_PARAMETER);
  if (statusOf(overlapped) == STATUS_PENDING_VALUE) {
    if (!wait) return fail(ERROR_IO_INCOMPLETE);
    // The record's event, or the file itself when there is none.
    plat::ObjectPtr target = plat::lookupHandle(overlapped->hEvent != nullptr ? overlapped->hEvent : file);
    if (!target || !target->waitable()) return fail(ERROR_INVALID_HANDLE);
    plat::waitForObjects(&target, 1, false, INFINITE);
    // Someone else may have set the event while the request still runs.
    if (statusOf(overlapped) == STATUS_PENDING_VALUE) return fail(ERROR_IO_INCOMPLETE);
  }
  if (transferred != nullptr) *transferred = static_cast<DWORD>(overlapped->InternalHigh);
  const LONG status = static_cast<LONG>(statusOf(overlapped));
  if (PLAT_NT_SUCCESS(status)) return TRUE;
  return fail(PlatStatusToWin32Error(status));
}

PLATFORM_API BOOL WINAPI CancelIo(HANDLE file) {
  auto io = plat::lookupAs<plat::IoObject>(file);
  if (!io) return fail(ERROR_INVALID_HANDLE);
  const DWORD savedError = GetLastError();
  io->cancel(nullptr);  // nothing to cancel is no failure here
  SetLastError(savedError);
  return TRUE;
}

PLATFORM_API BOOL WINAPI CancelIoEx(HANDLE file, LPOVERLAPPED overlapped) {
  auto io = plat::lookupAs<plat::IoObject>(file);
  if (!io) return fail(ERROR_INVALID_HANDLE);
  return io->cancel(overlapped);
}
