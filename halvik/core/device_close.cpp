// XanExit: undoing one XanInit; the last one stops what runs, ends the
// event threads, releases the process and closes the transport. Once the
// last close has begun every step is taken, whatever an earlier one gave,
// so a device is never left open with nobody counting it.
#include <halvik.h>

#include <mutex>

#include "cntm_close.h"
#include "device_buffer_step.h"
#include "device_record.h"
#include "device_transport.h"
#include "event_threads.h"
#include "export_frame.h"
#include "function_stop.h"
#include "library_state.h"
#include "open_lock.h"
#include "transport.h"

namespace halvik {

namespace {

constexpr LONG kStatusNotOpen = 10002;

void keepFirst(LONG& first, LONG status) {
  if (first == 0) first = status;
}

}  // namespace

}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanExit(short Id) {
  ExportFrame frame("XanExit");
  frame.start("Id=%d", Id);
  if (!frame.find(Id)) return kStatusNoDevice;
  DeviceRecord& record = frame.record();
  std::unique_lock<std::mutex> closing(Library().openLock, std::defer_lock);
  if (!TakeOpenLock(closing, frame.index())) return kStatusNotOpen;
  if (record.OpenCount <= 0) return kStatusNotOpen;
  if (record.OpenCount > 1) {
    --record.OpenCount;
    return frame.end(0);
  }
  ClosingMark underWay(frame.index());

  LONG first = 0;
  LONG owner = CheckMultiProcess(frame.index());
  // Another process holding a kernel device is no failure of this close:
  // this process only gives up its own part.
  const bool otherHolder = owner == halvikdrv::kStatusOtherProcess && RoadOf(record) == Road::Kernel;
  if (owner != 0 && !otherHolder) keepFirst(first, owner);
  {
    // The stops wait for the threads' mutexes, the ends for the threads.
    OpenLockLetGo threadsWaitedFor(closing);
    if (owner == 0) keepFirst(first, StopRunningFunctions(record, StopPurpose::Close));
    keepFirst(first, EndEventThreads(record));
    keepFirst(first, EndCntmWorkers(record));
  }
  keepFirst(first, ReleaseAiHostBuffer(record, frame.index()));
  keepFirst(first, ReleaseProcess(record, frame.index()));
  keepFirst(first, CloseTransport(record));
  record.OpenCount = 0;
  return frame.end(first);
}
