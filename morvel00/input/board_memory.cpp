// Board-memory input: the set-up (0x0C), the start a wait makes, the
// interrupt-time step, the status (0x88) and reading the memory (0x10).
// The board samples into its own memory; the driver sets it up, follows
// its state and reads what it holds.
#include <atomic>

#include "handlers.h"
#include "input/common.h"
#include "registers/port_access.h"
#include "registers/xan_registers.h"

namespace morvel00 {

namespace {

constexpr int32_t kMax24 = 0xFFFFFF;
constexpr uint16_t kFactorEnd = 0x0001;
constexpr uint16_t kFactorRead = 0x0004;
constexpr uint16_t kFactorFull = 0x0008;
constexpr uint16_t kFactorError = 0x0080;

bool ZeroOrOne(int32_t v) { return v == 0 || v == 1; }

bool TwelveBit(uint16_t type) { return type == 0 || type == 1 || type == 50 || type == 51 || type == 54; }

// The highest scan clock register value a board type refuses.
int32_t ScanClockFloor(uint16_t type) {
  if (type == 54) return 798;
  return type % 2 == 0 ? 398 : 38;
}

int16_t CheckRequest(const XanBoardRecord* rec, const XanInpBdMemRecord& r, const uint16_t* list) {
  const int n = r.channelCount;
  const int mode = r.mode;
  const uint16_t type = rec->boardType[0];
  if (r.scanClock >= 0 && r.scanClock <= ScanClockFloor(type)) return XAN_E_SCAN_CLOCK;
  if (r.samplingClock != -1) {
    const int64_t least = (int64_t{r.scanClock} + 1) * n - 1;
    if (r.samplingClock < least || r.samplingClock > 0xFFFFFFF) return XAN_E_SAMPLING_CLOCK;
  }
  if (!ZeroOrOne(r.clockSource)) return XAN_E_CLOCK_SOURCE;
  if (r.triggerSource < 0 || r.triggerSource > 6) return XAN_E_TRIGGER_SOURCE;
  if (r.triggerSource == 3 && n == 1) return XAN_E_CHANNEL_COUNT;
  if (!ZeroOrOne(r.memoryRing)) return XAN_E_RING;
  if (r.repeatCount != -1 && (r.repeatCount < 0 || r.repeatCount > kMax24)) return XAN_E_REPEAT;
  const bool endlessSamples = r.samplesPerChannel == -1;
  if (endlessSamples ? mode != 4 : (r.samplesPerChannel < 1 || r.samplesPerChannel > kMax24)) return XAN_E_SAMPLES;
  if (mode != 4 && !endlessSamples && (r.delayCount < 0 || r.delayCount > kMax24)) return XAN_E_DELAY;
  if (mode <= 1 && !ZeroOrOne(r.triggerEdge)) return XAN_E_TRIGGER_EDGE;
  if (mode == 2 || mode == 3) {
    if (!ZeroOrOne(r.triggerDirection)) return XAN_E_TRIGGER_DIRECTION;
    bool listed = false;
    for (int i = 0; i < n; ++i) listed = listed || list[i] == r.triggerChannel;
    if (!listed) return XAN_E_TRIGGER_CHANNEL;
    if (TwelveBit(type) && (r.triggerLevel1 > 4095 || r.triggerLevel2 > 4095)) return XAN_E_TRIGGER_LEVEL;
  }
  if (!XanMessageValid(r.messageA) || !XanMessageValid(r.messageB)) return XAN_E_MESSAGE;
  return XAN_OK;
}

uint16_t FunctionWord(const XanInpBdMemRecord& r) {
  uint16_t w = 0x1000;
  if (r.memoryRing == 1) w |= 0x0100;
  if (r.clockSource == 1) w |= 0x2000;
  if (r.channelCount > 1) w |= 0x0080;
  if (r.samplingClock == -1) w |= 0x0020;
  const bool edge = r.triggerEdge == 1;
  switch (r.mode) {
    case 0:
      w |= 0x0002;
      if (edge) w |= 0x0001;
      if (r.repeatCount == -1) w |= 0x0200;
      break;
    case 1:
      w |= 0x0008;
      if (edge) w |= 0x0004;
      break;
    case 2:
      w |= 0x0001;
      break;
    case 3:
      w |= 0x0004;
      break;
    default:
      if (r.samplesPerChannel == -1) w |= 0x0008;
      break;
  }
  return w;
}

uint16_t TriggerMask(int16_t source, int16_t ring) {
  static constexpr uint16_t kMasks[7] = {0xFFFF, 0xFF72, 0xFF66, 0xFB76, 0xFF76, 0xFF76, 0xFF76};
  uint16_t mask = kMasks[source];
  if (ring == 1) mask |= kFactorFull;
  return mask;
}

void StartConversion(XanBoardRecord* rec) {
  if (rec->inputCount > 1) {
    XanExStartAIMulti(rec->ioBase[0], static_cast<uint8_t>(rec->inputCount));
  } else {
    XanExStartAISingle(rec->ioBase[0], static_cast<uint8_t>(rec->firstChannel));
  }
}

struct SetUp {
  XanBoardRecord* rec;
  XanInpBdMemRecord* r;
  const uint16_t* list;
};

// Everything the board gets, once every check has passed: a rejected
// request must leave a running acquisition's memory alone.
BOOLEAN ProgramBoard(PVOID context) {
  auto* c = static_cast<SetUp*>(context);
  XanBoardRecord* rec = c->rec;
  XanInpBdMemRecord& r = *c->r;
  const uint16_t base = rec->ioBase[0];

  uint16_t status = 0;
  XanExGetStatus(base, &status);
  if (status & 0x80) XanExInitialize(base);
  XanExResetMemory(base);
  XanExSetDelayNum(base, 0);
  XanExSetStartTrgRptNum(base, 0);

  // The word is built from the request as asked: a free run (-1) must reach
  // the board as one, before the count below stands in for it.
  const uint16_t functionWord = FunctionWord(r);
  if (r.mode == 4 && r.samplesPerChannel == -1) r.samplesPerChannel = 500;
  rec->kind = kKindBoardMemory;
  std::atomic_ref<uint16_t>(rec->state).store(XAN_STATE_FINISHED, std::memory_order_release);
  std::atomic_ref<uint32_t>(rec->count).store(0, std::memory_order_release);
  rec->firstChannel = c->list[0];
  rec->inputCount = static_cast<uint16_t>(r.channelCount);
  rec->scans = static_cast<uint32_t>(r.samplesPerChannel);
  rec->delayCount = static_cast<uint32_t>(r.delayCount);
  rec->startRepeat = static_cast<uint32_t>(r.repeatCount);
  rec->memoryRing = static_cast<uint16_t>(r.memoryRing);
  rec->memoryMode = static_cast<uint16_t>(r.mode);
  rec->triggerSource = static_cast<uint16_t>(r.triggerSource);
  rec->triggerAddress = 0;
  rec->started = 0;
  rec->completeByDpc = 0;
  rec->windowA = r.windowA;
  rec->messageA = r.messageA;
  rec->windowB = r.windowB;
  rec->messageB = r.messageB;
  rec->reserved = r.reserved;

  XanExSetAIFunction(base, functionWord);
  XanExSetAIChannel(base, c->list, static_cast<uint8_t>(r.channelCount));
  // The clocks arrive as register values.
  regs::Put(base, regs::kScanClock, static_cast<uint16_t>(r.scanClock));
  if (r.samplingClock != -1) regs::Put(base, regs::kSamplingClock, static_cast<uint32_t>(r.samplingClock));
  if (r.mode == 0 && r.repeatCount != -1) XanExSetStartTrgRptNum(base, static_cast<uint32_t>(r.repeatCount));
  XanExSetSamplingNum(base, rec->scans);
  const auto delay = static_cast<uint32_t>(r.delayCount);
  const auto direction = static_cast<uint8_t>(r.triggerDirection);
  const auto channel = static_cast<uint8_t>(r.triggerChannel);
  switch (r.mode) {
    case 0:
      XanExSetTrgDlyNum(base, delay);
      break;
    case 1:
      XanExSetDelayNum(base, delay);
      break;
    case 2:
      XanExSetTrgLevelStart(base, direction, channel, r.triggerLevel1, r.triggerLevel2);
      XanExSetTrgDlyNum(base, delay);
      break;
    case 3:
      XanExSetTrgLevelStop(base, direction, channel, r.triggerLevel1, r.triggerLevel2);
      XanExSetDelayNum(base, delay);
      break;
    default:
      break;
  }

  if (r.triggerSource == 0) {
    rec->started = 1;
    std::atomic_ref<uint16_t>(rec->state).store(XAN_STATE_STARTED, std::memory_order_release);
    StartConversion(rec);
    return TRUE;
  }
  const auto line = static_cast<uint8_t>(rec->interruptLine);
  if (rec->machineType == 0) {
    XanExSetIntLevelPC(base, line);
  } else {
    XanExSetIntLevel98(base, line);
  }
  XanExSetIntLevelPC(base, 9);
  XanExResetIntRegister(base, 0xFFFF);
  rec->savedMask = TriggerMask(r.triggerSource, r.memoryRing);
  XanExSetIntMask(base, rec->savedMask);
  return TRUE;
}

}  // namespace

NTSTATUS GpdIoctlInpBdMem(XanCall& call) {
  XanInpBdMemRecord& r = call.request->bdMem;
  XanBoardRecord* rec = call.rec;
  r.result = XAN_OK;
  const int n = r.channelCount;
  uint16_t list[kListPositions];
  if (XanBusy(rec)) {
    r.result = XAN_E_BUSY;
  } else if (r.mode < 0 || r.mode > 4) {
    r.result = XAN_E_MODE;
  } else if (n < 1 || n > rec->inputChannels[0] || n > static_cast<int>(kListPositions)) {
    r.result = XAN_E_CHANNEL_COUNT;
  } else {
    const NTSTATUS copied = XanCopyCallerList(r.channelListAddress, n, list);
    if (!NT_SUCCESS(copied)) return copied;
    for (int i = 0; i < n && r.result == XAN_OK; ++i) {
      if (list[i] >= rec->inputChannels[0]) r.result = XAN_E_CHANNEL;
    }
    if (r.result == XAN_OK) r.result = CheckRequest(rec, r, list);
  }
  if (r.result != XAN_OK) return STATUS_SUCCESS;
  SetUp setUp{rec, &r, list};
  XanSync(rec, ProgramBoard, &setUp);
  return STATUS_SUCCESS;
}

void XanStartBdMemConversion(XanBoardRecord* rec) {
  XanSync(
      rec,
      [](PVOID context) -> BOOLEAN {
        StartConversion(static_cast<XanBoardRecord*>(context));
        return TRUE;
      },
      rec);
}

BOOLEAN InpBdMemHandler(XanBoardRecord* rec) {
  const uint16_t base = rec->ioBase[0];
  rec->completeByDpc = 1;
  const uint16_t factor = std::atomic_ref<uint16_t>(rec->lastFactor).load(std::memory_order_acquire);
  std::atomic_ref<uint16_t> state(rec->state);
  if (factor & kFactorError) {
    state.store(XAN_STATE_MEMORY_17, std::memory_order_release);
  } else if ((factor & kFactorFull) && rec->memoryMode % 2 == 0) {
    state.store(XAN_STATE_MEMORY_16, std::memory_order_release);
  } else if ((factor & kFactorEnd) && state.load(std::memory_order_relaxed) != XAN_STATE_STOPPED) {
    state.store(XAN_STATE_FINISHED, std::memory_order_release);
  }
  switch (state.load(std::memory_order_relaxed)) {
    case XAN_STATE_FINISHED:
      XanExGetTrggerAddress(base, &rec->triggerAddress);
      rec->savedMask = 0xFFFF;
      break;
    case XAN_STATE_STARTED:
      XanExResetIntRegister(base, 0xFFFF);
      break;
    case XAN_STATE_MEMORY_16:
      rec->savedMask = 0xFFFF;
      XanExSetIntMask(base, 0xFFFF);
      break;
    case XAN_STATE_MEMORY_17:
      rec->savedMask = 0xFFFF;
      break;
    default:
      break;
  }
  XanQueueEvent(rec, kWaitInput);
  return TRUE;
}

NTSTATUS GpdIoctlGetIntStsMem(XanCall& call) {
  XanNotifyStatusRecord& r = call.request->notifyStatus;
  XanBoardRecord* rec = call.rec;
  r.windowA = rec->windowA;
  r.messageA = rec->messageA;
  r.windowB = rec->windowB;
  r.messageB = rec->messageB;
  r.reserved = rec->reserved;
  const uint16_t state = std::atomic_ref<uint16_t>(rec->state).load(std::memory_order_acquire);
  r.state = static_cast<int16_t>(state);
  if (state == XAN_STATE_FINISHED || state == XAN_STATE_STOPPED) rec->started = 0;
  return STATUS_SUCCESS;
}

// ---- reading the board memory ------------------------------------------------

namespace {

struct ReadBuf {
  XanBoardRecord* rec;
  XanReadBufRecord* r;
  int16_t result = XAN_OK;
  NTSTATUS copied = STATUS_SUCCESS;
};

uint32_t MemorySize(const XanBoardRecord* rec) { return rec->memorySamples != 0 ? rec->memorySamples : 1u << 24; }

// Whole scans between R and W, across the wrap.
int64_t ScansHeld(const XanBoardRecord* rec, uint32_t r, uint32_t w) {
  const int64_t samples = w >= r ? int64_t{w} - r : int64_t{MemorySize(rec)} - r + w;
  return samples / rec->inputCount;
}

// Where the read starts, or the answer that refuses it; 64-bit throughout,
// so that no product of the record's counts wraps.
int16_t PlaceRead(XanBoardRecord* rec, const XanReadBufRecord& q) {
  const uint16_t base = rec->ioBase[0];
  const int64_t n = rec->inputCount;
  const int64_t s = rec->scans;
  const int64_t start = q.startPosition;
  const int64_t scans = q.scans;
  const bool ring = rec->memoryRing == 1;
  uint32_t r = 0, w = 0;
  XanExGetReadAddress(base, &r);
  auto heldFromR = [&]() -> int16_t {
    XanExGetWriteAddress(base, &w);
    return scans < 1 || scans > ScansHeld(rec, r, w) ? XAN_E_SCANS : XAN_OK;
  };
  auto within = [&](int64_t end) -> int16_t {
    if (start < 0 || start >= end) return XAN_E_START_POSITION;
    return scans < 1 || scans > end - start ? XAN_E_SCANS : XAN_OK;
  };
  switch (rec->memoryMode) {
    case 0:
    case 2: {
      const bool endless = rec->startRepeat == 0xFFFFFFFFu;
      const int64_t passes = (int64_t{rec->startRepeat} + 1) * s;
      if (ring) {
        if (start < 0 || (!endless && start >= passes)) return XAN_E_START_POSITION;
        if (!endless && (scans < 1 || scans > passes - start)) return XAN_E_SCANS;
        if (endless && scans < 1) return XAN_E_SCANS;
        XanExSetReadAddress(base, static_cast<uint32_t>(start * n));
        return XAN_OK;
      }
      if (endless) return heldFromR();
      return scans < 1 || scans > passes - r / n ? XAN_E_SCANS : XAN_OK;
    }
    case 1:
    case 3: {
      if (!ring) return heldFromR();
      if (int16_t refused = within(int64_t{rec->delayCount} + s)) return refused;
      XanExGetTrggerAddress(base, &rec->triggerAddress);
      const int64_t back = n * s;
      const int64_t t = rec->triggerAddress;
      XanExSetReadAddress(base, static_cast<uint32_t>(back > t ? MemorySize(rec) - back + t : t - back));
      return XAN_OK;
    }
    default:
      if (!ring) return heldFromR();
      if (int16_t refused = within(s)) return refused;
      XanExSetReadAddress(base, static_cast<uint32_t>(start * n));
      return XAN_OK;
  }
}

BOOLEAN ReadMemory(PVOID context) {
  auto* c = static_cast<ReadBuf*>(context);
  XanBoardRecord* rec = c->rec;
  const uint16_t base = rec->ioBase[0];
  c->result = PlaceRead(rec, *c->r);
  if (c->result != XAN_OK) return TRUE;
  XanExSetIntMask(base, 0xFFFF);
  XanCallerArray out(c->r->arrayAddress);
  const uint64_t values = uint64_t(c->r->scans) * rec->inputCount;
  for (uint64_t i = 0; i < values; ++i) {
    uint16_t value = 0;
    XanExGetAIData(base, &value);
    if (!out.put(value)) break;
  }
  c->copied = out.finish();
  XanExResetIntRegister(base, kFactorRead);
  XanExSetIntMask(base, rec->savedMask);
  if (rec->memoryRing == 1 && rec->memoryMode % 2 == 0) XanExSetReadAddress(base, 0);
  return TRUE;
}

}  // namespace

NTSTATUS GpdIoctlReadBuf(XanCall& call) {
  XanReadBufRecord& r = call.request->readBuf;
  // The frame has probed the destination for the scans this record holds
  // before any of this runs, so a bad one changes no register.
  ReadBuf read{call.rec, &r};
  XanSync(call.rec, ReadMemory, &read);
  r.result = read.result;
  return read.copied;
}

}  // namespace morvel00
