// XanInit: opening a registered device by its name. Opens nest within a
// process; only the first opens the transport, and a failure leaves open
// only what was open before the call.
#include <halvik.h>

#include <cctype>
#include <cstring>
#include <mutex>

#include "cntm_close.h"
#include "device_buffer_step.h"
#include "device_record.h"
#include "device_transport.h"
#include "event_threads.h"
#include "export_frame.h"
#include "library_state.h"
#include "open_lock.h"
#include "trace_log.h"
#include "transport.h"
#include "version_check.h"

namespace halvik {

namespace {

constexpr LONG kStatusNoSuchName = 10000;
constexpr LONG kStatusNameNull = 10100;
constexpr LONG kStatusIdNull = 10101;
constexpr size_t kNameMax = 243;

// Undoes this call's open: the release when the process was registered,
// then the transport. The first failure, or `status`.
LONG undoOpen(DeviceRecord& record, uint16_t index, bool registered, LONG status) {
  if (registered) ReleaseProcess(record, index);
  LONG closed = CloseTransport(record);
  if (closed == kStatusCloseFailed && RoadOf(record) == Road::Kernel) return closed;
  return status;
}

}  // namespace

}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanInit(const char* DeviceName, short* Id) {
  ExportFrame frame("XanInit");
  frame.start("DeviceName=%s", DeviceName != nullptr ? DeviceName : "(null)");
  if (DeviceName == nullptr) {
    if (Id != nullptr) *Id = -1;
    return frame.end(kStatusNameNull);
  }
  if (Id == nullptr) return frame.end(kStatusIdNull);
  auto fail = [&](LONG status) {
    *Id = -1;
    return frame.end(status);
  };

  // Refused before any copy, so no longer name can be cut into another.
  if (strnlen(DeviceName, kNameMax + 1) > kNameMax) return fail(kStatusNoSuchName);
  char name[kNameMax + 1] = {};
  std::memcpy(name, DeviceName, std::strlen(DeviceName));
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  uint16_t index = 0;
  if (!FindDeviceByName(name, &index)) return fail(kStatusNoSuchName);
  DeviceRecord& record = DeviceTable()[index];
  // A callback's open met by its device's close cannot be kept: the close
  // is ending the thread it runs on.
  std::unique_lock<std::mutex> opening(Library().openLock, std::defer_lock);
  if (!TakeOpenLock(opening, index)) return fail(kStatusOpenFailed);
  // A callback that closed its own device leaves its thread to end after
  // it; the first open waits for that end, so the old thread never meets
  // the new transport handle or the new workers' objects. That wait is the
  // rest of the close.
  if (record.OpenCount == 0) {
    ClosingMark stillClosing(index);
    OpenLockLetGo threadsWaitedFor(opening);
    EndEventThreads(record);
    EndCntmWorkers(record);
  }

  const bool opensHere = record.Handle == INVALID_HANDLE_VALUE;
  if (opensHere) {
    if (RoadOf(record) == Road::Kernel) {
      if (LONG status = CheckDriverVersion("halvik", 2)) return fail(status);
    }
    if (LONG status = OpenTransport(record)) return fail(status);
  }
  if (LONG status = RegisterProcess(record, index)) {
    return fail(opensHere ? undoOpen(record, index, false, status) : status);
  }
  // A model the board table does not know cannot be served: the device is
  // released and closed like on every other failure.
  if (LONG status = ApplyDeviceBufferMode(record)) {
    return fail(opensHere ? undoOpen(record, index, true, status) : status);
  }

  *Id = record.Id;
  // Only the first open starts the counter notifications afresh: a nested
  // open must not cut off a worker that still runs.
  if (record.OpenCount == 0) record.Cntm = CntmState{};
  ++record.OpenCount;
  Library().deviceOpened = true;
  return frame.endWith("*Id=%d", *Id);
}
