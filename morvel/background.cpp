// The board functions that start notification threads after their request:
// background input and output, board-memory input and the counter gate.
#include "library.h"
#include "notify_threads.h"
#include "request.h"

namespace morvel {
namespace {

// Support check and slot lookup, both without the lock; -1 with the
// result to give back.
int slotFor(uint32_t handle, Support family, LONG& result) {
  bool refused = false;
  result = checkSupport(handle, family, refused);
  if (refused) return -1;
  const int n = XanFindHandleSlot(handle);
  if (n < 0) result = XAN_E_CALL;
  return n;
}

LONG sendLocked(uint32_t handle, uint32_t offset, XanRequest& record) {
  LockGuard lock;
  return XanSendRequest(handle, offset, record);
}

void putWindows(XanRequest& r, uint32_t windowA, uint16_t messageA, uint32_t windowB, uint16_t messageB) {
  // The background and board-memory records share these offsets.
  r.back.windowA = windowA;
  r.back.messageA = messageA;
  r.back.windowB = windowB;
  r.back.messageB = messageB;
}

void fillBdMem(XanInpBdMemRecord& r, uint16_t mode, const XanInpBdMemParams& p) {
  // Every layout starts with the channel list, its count and the samples.
  r.channelListAddress = p.above3.channelList;
  r.channelCount = static_cast<int16_t>(p.above3.channelCount);
  r.samplesPerChannel = p.above3.samplesPerChannel;
  r.repeatCount = 0;
  if (mode <= 1) {
    const XanInpBdMemParamsModes01& m = p.modes01;
    r.triggerEdge = static_cast<int16_t>(m.triggerEdge);
    r.delayCount = m.delayCount;
    r.scanClock = static_cast<int16_t>(m.scanClock);
    r.samplingClock = m.samplingClock;
    r.clockSource = static_cast<int16_t>(m.clockSource);
    r.memoryRing = static_cast<int16_t>(m.memoryRing);
    r.triggerSource = static_cast<int16_t>(m.triggerSource);
    if (mode == 0) r.repeatCount = m.startTriggerRepeat;
  } else if (mode <= 3) {
    const XanInpBdMemParamsModes23& m = p.modes23;
    r.triggerChannel = m.triggerChannel;
    r.triggerLevel1 = m.firstLevel;
    r.triggerLevel2 = m.secondLevel;
    r.delayCount = m.delayCount;
    r.scanClock = static_cast<int16_t>(m.scanClock);
    r.samplingClock = m.samplingClock;
    r.clockSource = static_cast<int16_t>(m.clockSource);
    r.triggerDirection = static_cast<int16_t>(m.triggerDirection);
    r.memoryRing = static_cast<int16_t>(m.memoryRing);
    r.triggerSource = static_cast<int16_t>(m.triggerSource);
  } else {
    const XanInpBdMemParamsAbove3& m = p.above3;
    r.scanClock = static_cast<int16_t>(m.scanClock);
    r.samplingClock = m.samplingClock;
    r.clockSource = static_cast<int16_t>(m.clockSource);
    r.memoryRing = static_cast<int16_t>(m.memoryRing);
    r.triggerSource = static_cast<int16_t>(m.triggerSource);
  }
}

}  // namespace
}  // namespace morvel

using namespace morvel;

namespace {

// The background input and output share their request and their threads;
// only the record's fields and the thread kind differ.
template <typename Params, typename Fill>
LONG SendBackground(XanHandle h, Support support, uint32_t code, bool input, uint16_t mode, Params* p,
                    XanWindow windowA, uint16_t messageA, XanWindow windowB, uint16_t messageB, Fill fill) {
  LONG result;
  const int n = slotFor(h, support, result);
  if (n < 0) return result;
  if (p == nullptr) return XAN_E_CALL;
  XanRequest r{};
  r.head.handle = h;
  r.back.mode = static_cast<int16_t>(mode);
  putWindows(r, windowA, messageA, windowB, messageB);
  r.back.channelListAddress = address(p->channelList);
  r.back.count = static_cast<int16_t>(p->count);
  r.back.timeBase = p->timeBase;
  r.back.clockCount = p->clockCount;
  fill(r.back, *p);
  result = sendLocked(h, code, r);
  if (result != XAN_OK) return result;
  return startBackThreads(slotAt(n), input);
}

}  // namespace

DLL_EXPORT LONG WINAPI XanInpBack(XanHandle h, uint16_t mode, XanInpBackParams* p, XanWindow windowA,
                                  uint16_t messageA, XanWindow windowB, uint16_t messageB) {
  return SendBackground(h, Support::InpBack, XAN_INP_BACK, true, mode, p, windowA, messageA, windowB, messageB,
                        [](auto& back, const XanInpBackParams& q) {
                          back.dataAddress = address(q.dataBuffer);
                          back.scansOrRepeat = q.scans;
                        });
}

DLL_EXPORT LONG WINAPI XanOutBack(XanHandle h, uint16_t mode, XanOutBackParams* p, XanWindow windowA,
                                  uint16_t messageA, XanWindow windowB, uint16_t messageB) {
  return SendBackground(h, Support::OutBack, XAN_OUT_BACK, false, mode, p, windowA, messageA, windowB, messageB,
                        [](auto& back, const XanOutBackParams& q) {
                          back.dataAddress = address(q.data);
                          back.samplesPerChannel = q.samplesPerChannel;
                          back.scansOrRepeat = q.repeatCount;
                        });
}

DLL_EXPORT LONG WINAPI XanInpBdMem(XanHandle h, uint16_t mode, XanInpBdMemParams* p, XanWindow windowA,
                                   uint16_t messageA, XanWindow windowB, uint16_t messageB) {
  LONG result;
  const int n = slotFor(h, Support::InpBdMem, result);
  if (n < 0) return result;
  if (p == nullptr) return XAN_E_CALL;
  XanRequest r{};
  r.head.handle = h;
  r.bdMem.mode = static_cast<int16_t>(mode);
  putWindows(r, windowA, messageA, windowB, messageB);
  fillBdMem(r.bdMem, mode, *p);
  // Boards of index 8 have no software start in the modes above 3.
  if (deviceIndexOf(n) == 8 && mode > 3 && r.bdMem.triggerSource == 0) r.bdMem.triggerSource = 6;
  result = sendLocked(h, XAN_INP_BD_MEM, r);
  if (result != XAN_OK) return result;
  if (r.bdMem.triggerSource == 0) return XAN_OK;  // started at once: nothing to wait for
  return startBdMemThread(slotAt(n));
}

DLL_EXPORT LONG WINAPI XanOpenCntGate(XanHandle h, XanWindow window, uint16_t message) {
  LockGuard lock;
  LONG result;
  const int n = slotFor(h, Support::Counter, result);
  if (n < 0) return result;
  XanRequest r{};
  r.head.handle = h;
  r.cntGate.window = window;
  r.cntGate.message = message;
  result = XanSendRequest(h, XAN_OPEN_CNT_GATE, r);
  if (result != XAN_OK) return result;
  return startCounterThread(slotAt(n), message);
}
