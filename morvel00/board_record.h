// The driver's per-group board state (XanBoardRecord), the device
// extension that holds 16 of them, and the frame services every handler,
// board operation and interrupt step works with.
//
// Locks, outermost first:
//   handlerMutex  (passive level) one handler at a time per record;
//   cancel spin lock, then the extension's spinLock: the pended-wait pointers;
//   the interrupt lock (XanSync): every register sequence the interrupt path
//     also touches. A record without an interrupt object uses its own
//     registerLock in its place, so the timer DPC and the handlers still
//     never interleave a command with its data bytes.
// Fields the interrupt path writes while a handler may read them (state,
// count, lastFactor, pendingEvents) are accessed through std::atomic_ref.
#pragma once
#include <ntkrnl/ntddk.h>

#include <cstddef>
#include <cstdint>

namespace morvel00 {

inline constexpr unsigned kMaxGroups = 16;
inline constexpr unsigned kMaxBoards = 4;
inline constexpr unsigned kListPositions = 128;  // per board: every channel a board type can have
inline constexpr unsigned kRangeChannels = 128;
inline constexpr uint32_t kNoLine = 0xFFFFFFFFu;
inline constexpr uint16_t kVendorId = 0x1C5E;
inline constexpr ULONG kDeviceType = 40000;

// What the record is running.
enum RunKind : uint16_t {
  kKindNone = 0,
  kKindBoardMemory = 1,
  kKindBackgroundInput = 2,
  kKindCounter = 3,
  kKindBackgroundOutput = 4,
};

// Which pended wait an event is for (SystemArgument1 of the event DPC, and
// the bits of pendingEvents).
enum WaitSlot : uint32_t {
  kWaitInput = 1,    // 0x3C and 0x84: input or output events
  kWaitCounter = 2,  // 0x64
  kWaitBoth = kWaitInput | kWaitCounter,
};

struct XanDeviceExtension;

struct XanBoardRecord {
  uint32_t owner;          // the owning caller's handle value; 0 = free
  uint32_t interruptLine;  // kNoLine = none
  int16_t boardCount;      // 1 to 4
  uint16_t ioBase[kMaxBoards];
  uint16_t inputChannels[kMaxBoards];
  uint16_t outputChannels[kMaxBoards];
  uint16_t inputTotal;
  uint16_t outputTotal;
  uint16_t boardType[kMaxBoards];
  uint16_t boardConfig[kMaxBoards];  // kept for types 55 and 56
  uint16_t scanChannels[kMaxBoards];
  uint16_t listPosition[kMaxBoards][kListPositions];  // 1-based position in the caller's list; 0 = not scanned

  uint16_t gainMode;
  uint16_t gainChannel;
  uint16_t gainCode;
  int16_t rangeListCount;
  uint64_t rangeChannelListAddress;
  uint64_t rangeCodeListAddress;
  uint16_t commonInputRange;
  uint16_t inputRange[kRangeChannels];
  uint16_t commonOutputRange;
  uint16_t outputRange[kRangeChannels];

  uint16_t state;      // XanState values
  uint16_t lastState;  // as the last status answer reported it
  uint32_t count;      // samples or scans; written after the values it counts (release)
  uint32_t lastCount;
  uint16_t passCount;
  uint16_t kind;  // RunKind

  uint16_t backMode;
  uint16_t timeBase;
  uint16_t clockCount;
  uint32_t outputRepeat;
  uint64_t inputDataAddress;
  uint64_t outputDataAddress;
  uint64_t inputChannelListAddress;
  uint64_t outputChannelListAddress;
  uint16_t inputCount;   // channels of the running input
  uint16_t outputCount;  // channels of the running output
  uint32_t scans;        // samples per channel or number of scans
  uint32_t outputSamples;
  uint16_t firstChannel;
  uint32_t delayCount;
  uint32_t startRepeat;
  uint16_t memoryRing;
  uint16_t memoryMode;
  uint16_t triggerSource;  // 7 for background input and output
  uint32_t triggerAddress;  // board-memory address at the trigger
  uint16_t completeByDpc;  // 1: the interrupt only queues the event DPC
  uint16_t started;        // board-memory input started

  uint32_t windowA;
  uint16_t messageA;
  uint32_t windowB;
  uint16_t messageB;
  uint16_t machineType;  // 0 AT, else PC-98
  uint32_t reserved;     // kept from the request, handed back in status and stop

  uint16_t startupCode;  // 0, or 768, 16, 17 from the board search
  uint16_t lastFactor;
  uint16_t savedMask;  // the mask register value the driver restores

  uint64_t callerDataAddress;
  uint64_t callerListAddress;
  uint16_t* acquisitionBuffer;  // pool; set to nullptr under the interrupt lock before it is freed
  size_t acquisitionBytes;
  uint16_t* listCopy;  // pool

  uint32_t gateWindow;
  uint16_t gateMessage;
  uint16_t gateClosed;
  uint16_t gateOpen;
  uint16_t counterErrorLimit;
  uint16_t counterOverflows;
  uint8_t counterInterrupts;
  uint32_t counterValue[3];  // the last values written

  uint16_t armed;  // 1 while the interrupt path may complete a wait
  uint32_t memorySamples;

  // The frame's own fields.
  uint32_t pendingEvents;  // WaitSlot bits the event DPC is to complete
  PIRP pendedWait;         // 0x3C or 0x84; under the extension's spinLock
  PIRP pendedCounterWait;  // 0x64
  PFILE_OBJECT ownerFile;  // the file object of the open that made the owner
  PKINTERRUPT interrupt;   // nullptr when no interrupt is connected
  ULONG busNumber[kMaxBoards];
  KDPC timerDpc;
  KDPC eventDpc;
  KTIMER timer;
  KSPIN_LOCK registerLock;  // stands in for the interrupt lock without an interrupt object
  FAST_MUTEX handlerMutex;
  XanDeviceExtension* extension;
  uint16_t group;  // 1 to 16
};

struct XanDeviceExtension {
  uint8_t first;
  uint32_t addressSpace;  // of the last bus-address translation
  int16_t groupCount;
  XanBoardRecord records[kMaxGroups];
  uint32_t deviceType;
  PDEVICE_OBJECT device;
  KSPIN_LOCK spinLock;  // the pended-wait pointers
  PVOID controllerExtension;
  PCONTROLLER_OBJECT controller;
  unsigned deviceIndex;  // NN of "\Device\XanNN"
};

// ---- frame services -------------------------------------------------------

// The record whose owner is `handle`; nullptr for 0 or no match.
XanBoardRecord* Sub_GetBRDHND(XanDeviceExtension* ext, uint32_t handle);

// Runs `routine(context)` with the record's interrupt held off: through
// KeSynchronizeExecution when an interrupt is connected, else under the
// record's registerLock. The context is the caller's own (one per call).
BOOLEAN XanSync(XanBoardRecord* rec, PKSYNCHRONIZE_ROUTINE routine, PVOID context);

// Completes the pended input/output wait (Sub_SetEvent) or the counter wait
// (Sub_SetEventCnt) with success; nothing when none is pended or a cancel
// has it already. Passive or dispatch level.
void Sub_SetEvent(XanBoardRecord* rec);
void Sub_SetEventCnt(XanBoardRecord* rec);
// From the interrupt path: marks the waits to complete and queues the
// event DPC, which completes exactly those.
void XanQueueEvent(XanBoardRecord* rec, uint32_t waits);

// The polling timer: one shot after clockCount x 10 ms.
void Sub_SetTimer(XanBoardRecord* rec);
void Sub_CancelTimer(XanBoardRecord* rec);
void Sub_SysWait(uint16_t milliseconds);

// Pends a wait IRP in its slot of the record, cancel-safe; a wait it
// replaces completes with STATUS_CANCELLED. Called with the IRP marked
// pending; after it the IRP belongs to the frame.
void XanPendWait(XanBoardRecord* rec, PIRP irp, WaitSlot slot);

// The interrupt-time step (interrupt lock held); false for no record.
BOOLEAN handler_IRT(XanBoardRecord* rec);

// The interrupt-time steps of the acquisitions, called by handler_IRT with
// the interrupt lock held.
BOOLEAN InpBdMemHandler(XanBoardRecord* rec);
BOOLEAN InpBackHandler(XanBoardRecord* rec);

// The board test of an open (0 = the board answers as its type should).
int16_t XanBoardCheck(XanBoardRecord* rec);

}  // namespace morvel00
