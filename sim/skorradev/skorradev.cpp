// The three calls of the device I/O library, and the simulation controls.
#include <skorradev.h>

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "board.h"
#include "board_set.h"

namespace {

using skorradev::Board;

// Handles this library opened, with the device number for NT handles (0 for
// a shared 9x handle, whose requests name their device).
class HandleTable {
 public:
  void add(HANDLE handle, DWORD device) {
    std::lock_guard<std::mutex> lock(mutex_);
    handles_[handle] = device;
  }
  bool find(HANDLE handle, DWORD& device) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = handles_.find(handle);
    if (it == handles_.end()) return false;
    device = it->second;
    return true;
  }
  void remove(HANDLE handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    handles_.erase(handle);
  }

 private:
  std::mutex mutex_;
  std::map<HANDLE, DWORD> handles_;
};

// Never destroyed: a library above may close its handles from its own
// detach, which can run after this library's static objects are gone.
HandleTable& handles() {
  static HandleTable* table = new HandleTable;
  return *table;
}

DWORD deviceNumberOfPath(const char* path) {
  // "\\.\SKORRAn": the caller's path was already found among the boards.
  const char* name = path + 4;
  if (strncasecmp(name, "SKORRA", 6) != 0) return 0;
  return static_cast<DWORD>(std::strtoul(name + 6, nullptr, 10));
}

}  // namespace

SKORRADEV_API HANDLE WINAPI SkorradevCreateFile(LPCSTR path, DWORD access, DWORD share,
                                                LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                                HANDLE templateFile) {
  skorradev::ensureBoards();
  if (!skorradev::isBoardPath(path)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  // The older platform's library passes 0 for every argument after the path.
  if (disposition == 0) disposition = OPEN_EXISTING;
  HANDLE handle = CreateFileA(path, access, share, security, disposition, flags, templateFile);
  if (handle != INVALID_HANDLE_VALUE) handles().add(handle, deviceNumberOfPath(path));
  return handle;
}

SKORRADEV_API BOOL WINAPI SkorradevDeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                                   DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped) {
  DWORD number = 0;
  if (!handles().find(device, number)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const DWORD function = SKORRADEV_FUNCTION_OF(code);
  skorradev::FunctionShape shape{};
  if (!skorradev::functionShape(function, shape)) {
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
  }
  // Plain function numbers travel as the full code, so the platform moves
  // the buffers by the function's method.
  if ((code >> 16) != SKORRADEV_DEVICE_TYPE) code = SKORRADEV_NT_CODE(function, shape.method);

  if (number == 0 && shape.numbered && in != nullptr && inSize >= 4) {
    std::memcpy(&number, in, 4);
    if (function == SKDF_LV_READ_DATA) number &= 0xFFFF;
  }
  if (Board* board = number != 0 ? skorradev::boardByNumber(number) : nullptr) {
    skorradev::Fault fault{};
    if (board->faultFor(function, fault) && fault.callFails) {
      board->noteRequest(function);
      if (returned != nullptr) *returned = 0;
      SetLastError(fault.value);
      return FALSE;
    }
  }
  return DeviceIoControl(device, code, in, inSize, out, outSize, returned, overlapped);
}

SKORRADEV_API BOOL WINAPI SkorradevCloseHandle(HANDLE handle) {
  handles().remove(handle);
  return CloseHandle(handle);
}

SKORRADEV_API BOOL WINAPI SkorradevRequestSizes(DWORD function, DWORD* inSize, DWORD* outSize) {
  skorradev::FunctionShape shape{};
  if (!skorradev::functionShape(function, shape)) return FALSE;
  if (inSize != nullptr) *inSize = function == SKDF_INPUT_AD ? sizeof(SkorradevInputAdShort) : shape.inSize;
  if (outSize != nullptr) {
    *outSize = function == SKDF_INPUT_AD ? sizeof(SkorradevInputAdShort)
               : shape.method == METHOD_BUFFERED ? shape.outSize
                                                 : 0;
  }
  return TRUE;
}

// ---------------------------------------------------------------- simulation

SKORRADEV_API BOOL WINAPI SkorradevSimReset(void) {
  skorradev::reloadBoards();
  return TRUE;
}

SKORRADEV_API BOOL WINAPI SkorradevSimSetManualClock(DWORD device, BOOL manual) {
  Board* board = skorradev::boardByNumber(device);
  if (board == nullptr) return FALSE;
  board->setManualClock(manual != FALSE);
  return TRUE;
}

SKORRADEV_API BOOL WINAPI SkorradevSimAdvance(DWORD device, DWORD scans) {
  Board* board = skorradev::boardByNumber(device);
  return board != nullptr && board->advance(scans) ? TRUE : FALSE;
}

SKORRADEV_API BOOL WINAPI SkorradevSimRaiseInterrupt(DWORD device, DWORD cause, DWORD flags, DWORD count) {
  Board* board = skorradev::boardByNumber(device);
  if (board == nullptr) return FALSE;
  board->raiseInterrupt(cause, flags, count);
  return TRUE;
}

SKORRADEV_API BOOL WINAPI SkorradevSimSetFault(DWORD device, DWORD function, BOOL callFails, DWORD value) {
  Board* board = skorradev::boardByNumber(device);
  if (board == nullptr) return FALSE;
  board->setFault(function, skorradev::Fault{callFails != FALSE, value});
  return TRUE;
}

SKORRADEV_API BOOL WINAPI SkorradevSimSetDeviceInfo(DWORD device, const DWORD* info) {
  Board* board = skorradev::boardByNumber(device);
  return board != nullptr && board->setDeviceInfo(info) ? TRUE : FALSE;
}

SKORRADEV_API BOOL WINAPI SkorradevSimClearFaults(DWORD device) {
  Board* board = skorradev::boardByNumber(device);
  if (board == nullptr) return FALSE;
  board->clearFaults();
  return TRUE;
}

SKORRADEV_API DWORD WINAPI SkorradevSimRequestCount(DWORD device, DWORD function) {
  Board* board = skorradev::boardByNumber(device);
  return board == nullptr ? 0 : board->requestCount(function);
}

SKORRADEV_API BOOL WINAPI SkorradevSimClearRequestCounts(DWORD device) {
  Board* board = skorradev::boardByNumber(device);
  if (board == nullptr) return FALSE;
  board->clearRequestCounts();
  return TRUE;
}

SKORRADEV_API DWORD WINAPI SkorradevSimPendingWaits(DWORD device) {
  Board* board = skorradev::boardByNumber(device);
  return board == nullptr ? 0 : board->pendingWaits();
}
