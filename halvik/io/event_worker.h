// The parked notification worker shared by the output, counter and timer
// families: one persistent thread per device and function slot that waits
// on the driver, reads and dispatches the events, and parks between runs.
//
// Its handshake with the exports uses two mutexes and a wake event, all
// made by the worker and published in the slot's record fields:
//   mutex A  held by the worker except while it waits on the driver, so an
//            export that holds A knows the worker sits in that wait;
//   mutex B  held by the worker except while it is parked;
//   wake     auto-reset; a start sets it to wake a parked worker.
// The I/O event (manual reset) is the completion event of the wait.
//
// The worker looks at the slot's run flag after every wake, so the close
// (EndEventThreads) ends it wherever it waits: it clears the flag, sets
// the I/O and wake events, and joins it within its bounded rounds.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "device_record.h"

namespace halvik::io {

inline constexpr LONG kStatusThreadFailed = 10005;  // "Failed in the creation of the thread"
inline constexpr LONG kStatusResumeFailed = -2;
inline constexpr LONG kStatusWakeFailed = -1;
inline constexpr LONG kStatusWorkerBusy = 20002;    // a worker that does not park in time

// How long a start waits for a parked worker, and for a new or woken one to
// hand the driver its wait.
inline constexpr DWORD kParkWaitMs = 5000;
inline constexpr DWORD kArmWaitMs = 1000;
// How long a stop waits for the worker to hand over mutex A.
inline constexpr DWORD kMutexAWaitMs = 1000;

// What names the worker's I/O event (the others carry the thread id).
enum class NameKey : uint8_t { TableIndex, ThreadHandle, ThreadId };

// A family's names and error numbers, as its traces and objects show them.
struct WorkerTraits {
  const char* thread;     // "CntEventThread": its trace lines start with it
  const char* ioEvent;    // "XANCNTEVENT%X"
  NameKey ioEventKey;
  const char* mutexA;     // "XANCNTMUTEXA%X", with the thread id
  const char* mutexB;
  const char* waitEvent;
  int errorMutexA;        // "<thread> End :Error %d" when that object cannot be made
  int errorMutexB;
  int errorWaitEvent;
  int errorPark;          // mutex B could not be released when parking
};

// The wait of a worker and the bytes it uses. It belongs to the device and
// slot for the whole process, so a completion that comes late still writes
// into live memory.
struct Completion {
  OVERLAPPED overlapped{};
  alignas(8) unsigned char wire[2240] = {};
};

struct WorkerContext {
  DeviceRecord& record;
  uint16_t index;   // the record's table index
  int slot;         // kSlotAo, kSlotCnt0 ...
  Completion& completion;
  bool pending = false;  // the driver still holds the wait
};

enum class Armed : uint8_t {
  Pending,  // the driver holds the wait; its completion sets the I/O event
  Ready,    // answered at once: events are there
  Failed,   // the worker ends (the family has traced why)
};
enum class Fetched : uint8_t {
  Again,   // wait for more
  Park,    // the run is over
  Failed,  // the worker ends (the family has traced why)
};

// What a family supplies: handing the driver the wait, and reading and
// dispatching what came. Both run on the worker with mutex A held.
class WorkerFamily {
 public:
  explicit constexpr WorkerFamily(const WorkerTraits& traits) : traits_(traits) {}
  const WorkerTraits& traits() const { return traits_; }

  // The I/O event is reset and set into completion.overlapped before.
  virtual Armed arm(WorkerContext& c) const = 0;
  virtual Fetched fetch(WorkerContext& c) const = 0;

 protected:
  ~WorkerFamily() = default;

 private:
  const WorkerTraits& traits_;
};

// One worker slot of a device, as the exports meet it.
class WorkerSlot {
 public:
  WorkerSlot(uint16_t index, int slot);

  // A live worker (an ended one is closed and forgotten first).
  bool alive();
  // Takes mutex B of a live worker once it is parked, waiting at most
  // limitMs; true with B held (see handOver), or when no worker lives.
  bool meetParked(DWORD limitMs);
  // Sets the run flag, then creates the worker (suspended, raised to the
  // highest priority, resumed) or wakes the parked one whose mutex B
  // meetParked took. Waits up to kArmWaitMs until the worker has handed
  // the driver its wait. 0, 10005, -2 (not resumed), -1 (B not handed
  // over), or 20002 for a live worker whose B meetParked did not take.
  LONG startOrWake(const WorkerFamily& family);

  // Mutex A of a live worker, at most limitMs (also while the worker is
  // still making it); false when none was taken.
  bool takeMutexA(DWORD limitMs);
  void releaseMutexA();
  // Waits at most limitMs for a live worker to park and lets B go again:
  // false when it did not park in time.
  bool waitParked(DWORD limitMs);

  // The stop of a running worker: sendStop's request goes out with mutex A
  // held when the worker hands it over within kMutexAWaitMs (without it
  // otherwise), and A goes back on every path, or the worker would never
  // fetch again. An accepted stop then gives the worker kParkWaitMs to
  // park; one that does not leaves the result alone. sendStop's status.
  template <class SendStop>
  LONG stopInWait(SendStop sendStop) {
    const bool held = takeMutexA(kMutexAWaitMs);
    const LONG status = sendStop();
    if (held) releaseMutexA();
    if (status == 0) waitParked(kParkWaitMs);
    return status;
  }

  // How many waits the worker has handed the driver so far.
  uint32_t arms() const;

 private:
  uint16_t index_;
  int slot_;
  DeviceRecord& r_;
  bool heldB_ = false;
};

// The whole start of a family's run after its start request: meets a parked
// worker (20002 when a live one does not park within kParkWaitMs), then
// startOrWake.
LONG StartWorker(uint16_t index, int slot, const WorkerFamily& family);

// Calls the slot's callback (never a null one) or posts to its window;
// neither 0 nor -1 is a window. The trace line is "<thread> Callback <name>
// :Param=%d" or "<thread> PostMessage <name> :Param=%d".
void Deliver(const DeviceRecord& record, int slot, const char* thread, UINT message, const char* name,
             int16_t channel, int32_t lParam, WPARAM wParam);

// Record fields the worker writes while exports read them.
template <class T>
T load(T& field) {
  return __atomic_load_n(&field, __ATOMIC_ACQUIRE);
}
template <class T>
void store(T& field, T value) {
  __atomic_store_n(&field, value, __ATOMIC_RELEASE);
}
inline bool validHandle(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }

}  // namespace halvik::io
