// XanOpen, XanOpenEx and XanClose.
#include <cstdio>
#include <vector>

#include "board_names.h"
#include "library.h"
#include "notify_threads.h"
#include "request.h"

namespace morvel {
namespace {

// A driver that keeps answering "this handle value already owns a board"
// gets this many fresh device files before the open gives up with 6.
constexpr int kOpenTries = 16;
// How long an open waits for a close of the same slot on another thread.
constexpr int kClosingWaitMs = 5000;

HANDLE openDeviceFile(unsigned deviceIndex) {
  char path[32];
  std::snprintf(path, sizeof path, XAN_DEVICE_PATH_FORMAT, deviceIndex);
  return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_OVERLAPPED, nullptr);
}

void closeAll(std::vector<HANDLE>& files) {
  for (HANDLE f : files) CloseHandle(f);
  files.clear();
}

// Under the lock: sends open requests on fresh device files until the driver
// stops answering 6. Files refused with 6 stay open until the loop ends so
// that every try gets another handle value.
LONG openLoop(uint32_t* handleOut, uint16_t deviceIndex, uint16_t group, HANDLE& file) {
  std::vector<HANDLE> refused;
  for (int tries = 0;; ++tries) {
    file = openDeviceFile(deviceIndex);
    *handleOut = toValue(file);
    if (file == INVALID_HANDLE_VALUE) {
      closeAll(refused);
      return XAN_E_CALL;
    }
    XanRequest record{};
    record.open.handle = *handleOut;
    record.open.deviceIndex = deviceIndex;
    record.open.group = static_cast<int16_t>(group);
    if (!sendRequest(*handleOut, XAN_OPEN, record)) {
      CloseHandle(file);
      closeAll(refused);
      return XAN_E_CALL;
    }
    const LONG result = record.open.result;
    if (result == XAN_E_HANDLE_OWNS && tries + 1 < kOpenTries) {
      refused.push_back(file);
      continue;
    }
    closeAll(refused);
    if (result != XAN_OK) {
      CloseHandle(file);
      file = INVALID_HANDLE_VALUE;
      *handleOut = record.open.handle;
    }
    return result;
  }
}

}  // namespace
}  // namespace morvel

using namespace morvel;

DLL_EXPORT LONG WINAPI XanOpen(XanHandle* handle, uint16_t deviceIndex, uint16_t group) {
  if (deviceIndex > kXanMaxDeviceIndex) return XAN_E_INDEX;
  if (group == 0 || group > kXanGroups) return XAN_E_GROUP;
  if (handle == nullptr) return XAN_E_CALL;
  Slot& s = slotAt(slotNumber(deviceIndex, group));

  // An earlier open of the slot is closed first, whatever its count; a close
  // still running on another thread is waited for.
  for (int waited = 0;; ++waited) {
    uint32_t earlier;
    {
      LockGuard lock;
      earlier = s.handle.load();
      if (earlier == kFreeHandle) break;
      if (!s.closing) s.openCount = 1;
    }
    if (waited >= kClosingWaitMs) return XAN_E_CALL;
    if (XanClose(earlier) != XAN_E_CALL) continue;
    Sleep(1);
  }

  LockGuard lock;
  HANDLE file = INVALID_HANDLE_VALUE;
  LONG result = openLoop(handle, deviceIndex, group, file);
  if (result == XAN_E_OWNED) result = XAN_OK;  // the board is the owner's: share its handle value
  if (result == XAN_OK) {
    closeSlotThreadHandles(s);
    resetSlot(s);
    s.handle.store(*handle);
    s.openCount = 1;
    s.ownsFile = file != INVALID_HANDLE_VALUE;
  }
  return result;
}

DLL_EXPORT LONG WINAPI XanOpenEx(const char* boardName, XanHandle* handle) {
  uint16_t deviceIndex = 0, group = 0;
  if (handle == nullptr || !findBoardByName(boardName, deviceIndex, group)) return XAN_E_CALL;
  Slot& s = slotAt(slotNumber(deviceIndex, group));
  LockGuard lock;
  if (s.closing) return XAN_E_CALL;
  ++s.openCount;
  if (s.openCount == 1) {
    XanHandle local = kFreeHandle;
    const LONG result = XanOpen(&local, deviceIndex, group);
    if (result != XAN_OK) {
      --s.openCount;
      return result;
    }
    *handle = local;
    return XAN_OK;
  }
  if (static_cast<uint16_t>(s.openCount) > 1 && s.open()) {
    *handle = s.handle.load();
    return XAN_OK;
  }
  s.openCount = 0;
  return XAN_E_CALL;
}

DLL_EXPORT LONG WINAPI XanClose(XanHandle handle) {
  int n;
  {
    LockGuard lock;
    n = findHandleSlot(handle);
    if (n < 0 || slotAt(n).closing) return XAN_E_CALL;
    Slot& s = slotAt(n);
    if (--s.openCount != 0) return XAN_OK;
    s.closing = true;
  }
  Slot& s = slotAt(n);
  // Outside the lock: the threads' waits are cancelled first, so they end.
  stopNotifyThreads(s);

  LockGuard lock;
  XanRequest record{};
  record.head.handle = handle;
  const bool sent = sendRequest(handle, XAN_CLOSE, record);
  // The device file is closed even when the close request failed: the slot
  // is freed either way and nothing else would ever close it.
  if (s.ownsFile) CloseHandle(toHandle(handle));
  resetSlot(s);
  if (!sent) {
    OutputDebugStringA("DeviceIoControl Error\n");
    return XAN_E_CALL;
  }
  return record.head.result;
}
