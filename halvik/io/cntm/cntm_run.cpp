// Running multi-function counter channels in groups, and registering for
// their notifications by window or callback.
#include <windows.h>
#include <outside/halvikdrv.h>

#include <algorithm>

#include "cntm_frame.h"
#include "halvik.h"
#include "library_state.h"

namespace halvik {
namespace {

using namespace halvikdrv;
using mcnt::Frame;
using mcnt::Find;
using mcnt::KernelOnly;

int32_t processId() { return static_cast<int32_t>(Library().processId); }

// The channel numbers of a group: as many as it has, none for a count of 0
// or less.
template <std::size_t N>
void putGroup(WireRecord<N>& bytes, const short* channels, short count) {
  for (int i = 0; i < std::min<int>(count, mcnt::kMaxGroup); ++i) bytes.template put<int16_t>(2 * i, channels[i]);
  bytes.template put<int16_t>(cntm::kGroupCount, count);
}

LONG sendGroup(const char* name, DWORD code, short id, const short* channels, short count, bool pointerRequired) {
  ExportFrame frame = Frame(name);
  frame.start("Id=%d, CntmChNum=%d", id, count);
  if (LONG status = Find(frame, id)) return status;
  if (channels == nullptr && (pointerRequired || count > 0)) return mcnt::kStatusNullData;
  if (LONG status = KernelOnly(frame)) return status;
  if (count > mcnt::kMaxGroup) return mcnt::kStatusTooManyChannels;
  WireRecord<cntm::kCountSize> bytes;
  putGroup(bytes, channels, count);
  return mcnt::Send(frame.record(), code, bytes);
}

// The count-up window table has two rows of eight channels.
LONG checkCountUpSlot(short channel, short row) {
  if (row < 0 || row >= cntm::kRows) return mcnt::kStatusOutOfRange;
  if (channel < 0 || channel >= cntm::kChannels) return mcnt::kStatusNoSuchChannel;
  return 0;
}

// The start of a notify export: the frame, a window that is none or a
// window, and the kernel driver.
LONG notifyFront(ExportFrame& frame, short id, HWND window, bool windowRequired) {
  if (LONG status = Find(frame, id)) return status;
  if ((window != nullptr || windowRequired) && !IsWindow(window)) return mcnt::kStatusNotAWindow;
  return 0;
}

// A flag notify record: {int32 process id, int16 enable, status}.
LONG sendFlag(const DeviceRecord& record, DWORD code, int16_t enable) {
  WireRecord<cntm::kFlagNotifySize> bytes;
  bytes.put<int32_t>(0, processId());
  bytes.put<int16_t>(4, enable);
  return mcnt::Send(record, code, bytes);
}

LONG notifyFlag(const char* name, DWORD code, short id, HWND window, HWND CntmState::*field) {
  ExportFrame frame = Frame(name);
  frame.start("Id=%d, hWnd=%xH", id, static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)));
  if (LONG status = notifyFront(frame, id, window, false)) return status;
  if (LONG status = KernelOnly(frame)) return status;
  if (LONG status = sendFlag(frame.record(), code, 1)) return status;
  mcnt::store(frame.record().Cntm.*field, window);
  return mcnt::StartEventWorker(frame.index());
}

LONG stopFlag(const char* name, DWORD code, short id, HWND CntmState::*field) {
  ExportFrame frame = Frame(name);
  frame.start("Id=%d", id);
  if (LONG status = Find(frame, id)) return status;
  if (LONG status = KernelOnly(frame)) return status;
  if (LONG status = sendFlag(frame.record(), code, 0)) return status;
  mcnt::store(frame.record().Cntm.*field, HWND{});
  return 0;
}

struct Callback {
  XanCntmCallBack CntmState::*proc;
  void* CntmState::*param;
};
LONG registerCallback(ExportFrame frame, bool traced, short id, const Callback& slot, CntmCallBackProc proc,
                      void* param) {
  if (traced) frame.start("Id=%d", id);
  if (LONG status = Find(frame, id)) return status;
  if (LONG status = KernelOnly(frame)) return status;
  CntmState& state = frame.record().Cntm;
  mcnt::store(state.*slot.param, param);
  mcnt::store(state.*slot.proc, reinterpret_cast<XanCntmCallBack>(proc));
  return 0;
}

// The time-up enable command of the bus library, whatever the device's bus
// kind: the call's result when nonzero, else the record's status.
LONG sendTimeUp(const DeviceRecord& record, LONG value) {
  WireRecord<cntm::kTimeUpEnableSize> bytes;
  bytes.put<int32_t>(4, value);
  bytes.put<int32_t>(8, processId());
  DWORD returned = 0;
  const DWORD result = Bus().KelbusIoControl(static_cast<DWORD>(static_cast<uint16_t>(record.BusKind)), record.Handle,
                                             kCmdCntmTimeUpEnable, bytes.data(), bytes.size(), bytes.data(),
                                             bytes.size(), &returned, nullptr);
  if (result != 0) return static_cast<LONG>(result);
  return bytes.get<int32_t>(0);
}

}  // namespace
}  // namespace halvik

using namespace halvik;
namespace drvc = halvikdrv::cntm;

DLL_EXPORT LONG WINAPI XanCntmStartCount(short Id, const short* CntmChNo, short CntmChNum) {
  return sendGroup("XanCntmStartCount", halvikdrv::kCntmStart, Id, CntmChNo, CntmChNum, true);
}
DLL_EXPORT LONG WINAPI XanCntmStopCount(short Id, const short* CntmChNo, short CntmChNum) {
  return sendGroup("XanCntmStopCount", halvikdrv::kCntmStop, Id, CntmChNo, CntmChNum, true);
}
DLL_EXPORT LONG WINAPI XanCntmZeroClearCount(short Id, const short* CntmChNo, short CntmChNum) {
  return sendGroup("XanCntmZeroClearCount", halvikdrv::kCntmZeroClear, Id, CntmChNo, CntmChNum, false);
}

DLL_EXPORT LONG WINAPI XanCntmPreset(short Id, const short* CntmChNo, short CntmChNum, const LONG* CntmPresetData) {
  ExportFrame frame = Frame("XanCntmPreset");
  frame.start("Id=%d, CntmChNum=%d", Id, CntmChNum);
  if (LONG status = Find(frame, Id)) return status;
  if (CntmChNo == nullptr || CntmPresetData == nullptr) return mcnt::kStatusNullData;
  if (LONG status = KernelOnly(frame)) return status;
  if (CntmChNum > mcnt::kMaxGroup) return mcnt::kStatusTooManyChannels;
  halvikdrv::WireRecord<drvc::kPresetSize> bytes;
  putGroup(bytes, CntmChNo, CntmChNum);
  for (int i = 0; i < CntmChNum; ++i) bytes.put<int32_t>(drvc::kGroupValues + 4 * i, CntmPresetData[i]);
  return mcnt::Send(frame.record(), halvikdrv::kCntmPreset, bytes);
}

DLL_EXPORT LONG WINAPI XanCntmReadCount(short Id, const short* CntmChNo, short CntmChNum, LONG* CntmCount) {
  ExportFrame frame = Frame("XanCntmReadCount");
  frame.start("Id=%d, CntmChNum=%d", Id, CntmChNum);
  if (LONG status = Find(frame, Id)) return status;
  if (CntmChNo == nullptr) return mcnt::kStatusNullChannels;
  if (CntmCount == nullptr) return mcnt::kStatusNullData;
  if (LONG status = KernelOnly(frame)) return status;
  if (CntmChNum > mcnt::kMaxGroup) return mcnt::kStatusTooManyChannels;
  halvikdrv::WireRecord<drvc::kPresetSize> bytes;
  putGroup(bytes, CntmChNo, CntmChNum);
  if (LONG status = mcnt::Send(frame.record(), halvikdrv::kCntmReadCount, bytes)) return status;
  for (int i = 0; i < CntmChNum; ++i) CntmCount[i] = bytes.get<int32_t>(drvc::kGroupValues + 4 * i);
  return 0;
}

DLL_EXPORT LONG WINAPI XanCntmNotifyCountUp(short Id, short CntmChNo, short Row, LONG Value, HWND hWnd) {
  ExportFrame frame = Frame("XanCntmNotifyCountUp");
  frame.start("Id=%d, CntmChNo=%d, Row=%d, Value=%d, hWnd=%xH", Id, CntmChNo, Row, Value,
              static_cast<unsigned>(reinterpret_cast<uintptr_t>(hWnd)));
  if (LONG status = notifyFront(frame, Id, hWnd, false)) return status;
  if (LONG status = checkCountUpSlot(CntmChNo, Row)) return status;
  if (LONG status = KernelOnly(frame)) return status;
  halvikdrv::WireRecord<drvc::kCountUpSize> bytes;
  bytes.put<int16_t>(0, CntmChNo);
  bytes.put<int16_t>(2, Row);
  bytes.put<int32_t>(4, Value);
  bytes.put<int32_t>(8, processId());
  bytes.put<int16_t>(12, 1);
  if (LONG status = mcnt::Send(frame.record(), halvikdrv::kCntmNotifyCountUp, bytes)) return status;
  mcnt::store(frame.record().Cntm.countUpWindow[Row][CntmChNo], hWnd);
  return mcnt::StartEventWorker(frame.index());
}

DLL_EXPORT LONG WINAPI XanCntmStopNotifyCountUp(short Id, short CntmChNo, short Row) {
  ExportFrame frame = Frame("XanCntmStopNotifyCountUp");
  frame.start("Id=%d, CntmChNo=%d, Row=%d", Id, CntmChNo, Row);
  if (LONG status = Find(frame, Id)) return status;
  if (LONG status = checkCountUpSlot(CntmChNo, Row)) return status;
  if (LONG status = KernelOnly(frame)) return status;
  halvikdrv::WireRecord<drvc::kCountUpSize> bytes;
  bytes.put<int16_t>(0, CntmChNo);
  bytes.put<int16_t>(2, Row);
  bytes.put<int32_t>(8, processId());
  if (LONG status = mcnt::Send(frame.record(), halvikdrv::kCntmNotifyCountUp, bytes)) return status;
  mcnt::store(frame.record().Cntm.countUpWindow[Row][CntmChNo], HWND{});
  return 0;
}

DLL_EXPORT LONG WINAPI XanCntmNotifyCounterError(short Id, HWND hWnd) {
  return notifyFlag("XanCntmNotifyCounterError", halvikdrv::kCntmNotifyError, Id, hWnd, &CntmState::errorWindow);
}
DLL_EXPORT LONG WINAPI XanCntmStopNotifyCounterError(short Id) {
  return stopFlag("XanCntmStopNotifyCounterError", halvikdrv::kCntmNotifyError, Id, &CntmState::errorWindow);
}
DLL_EXPORT LONG WINAPI XanCntmNotifyCarryBorrow(short Id, HWND hWnd) {
  return notifyFlag("XanCntmNotifyCarryBorrow", halvikdrv::kCntmNotifyCarryBorrow, Id, hWnd,
                    &CntmState::carryBorrowWindow);
}
DLL_EXPORT LONG WINAPI XanCntmStopNotifyCarryBorrow(short Id) {
  return stopFlag("XanCntmStopNotifyCarryBorrow", halvikdrv::kCntmNotifyCarryBorrow, Id,
                  &CntmState::carryBorrowWindow);
}

DLL_EXPORT LONG WINAPI XanCntmNotifyTimer(short Id, LONG CntmTimeValue, HWND hWnd) {
  ExportFrame frame = Frame("XanCntmNotifyTimer");
  frame.start("Id=%d, CntmTimeValue=%d, hWnd=%xH", Id, CntmTimeValue,
              static_cast<unsigned>(reinterpret_cast<uintptr_t>(hWnd)));
  if (LONG status = notifyFront(frame, Id, hWnd, true)) return status;
  if (LONG status = KernelOnly(frame)) return status;
  halvikdrv::WireRecord<drvc::kTimerNotifySize> bytes;
  bytes.put<int32_t>(0, CntmTimeValue);
  bytes.put<int32_t>(4, processId());
  bytes.put<int16_t>(8, 1);
  if (LONG status = mcnt::Send(frame.record(), halvikdrv::kCntmNotifyTimer, bytes)) return status;
  mcnt::store(frame.record().Cntm.timerWindow, hWnd);
  return mcnt::StartEventWorker(frame.index());
}

DLL_EXPORT LONG WINAPI XanCntmStopNotifyTimer(short Id) {
  ExportFrame frame = Frame("XanCntmStopNotifyTimer");
  frame.start("Id=%d", Id);
  if (LONG status = Find(frame, Id)) return status;
  if (LONG status = KernelOnly(frame)) return status;
  halvikdrv::WireRecord<drvc::kTimerNotifySize> bytes;
  bytes.put<int32_t>(4, processId());
  if (LONG status = mcnt::Send(frame.record(), halvikdrv::kCntmNotifyTimer, bytes)) return status;
  mcnt::store(frame.record().Cntm.timerWindow, HWND{});
  return 0;
}

DLL_EXPORT LONG WINAPI XanCntmCountUpCallbackProc(short Id, CntmCallBackProc CallBack, void* Param) {
  return registerCallback(Frame("XanCntmCountUpCallbackProc"), true, Id,
                          {&CntmState::countUpProc, &CntmState::countUpParam}, CallBack, Param);
}
DLL_EXPORT LONG WINAPI XanCntmCounterErrorCallbackProc(short Id, CntmCallBackProc CallBack, void* Param) {
  return registerCallback(Frame("XanCntmCounterErrorCallbackProc"), true, Id,
                          {&CntmState::errorProc, &CntmState::errorParam}, CallBack, Param);
}
DLL_EXPORT LONG WINAPI XanCntmCarryBorrowCallbackProc(short Id, CntmCallBackProc CallBack, void* Param) {
  return registerCallback(Frame("XanCntmCarryBorrowCallbackProc"), false, Id,
                          {&CntmState::carryBorrowProc, &CntmState::carryBorrowParam}, CallBack, Param);
}
DLL_EXPORT LONG WINAPI XanCntmTimerCallbackProc(short Id, CntmCallBackProc CallBack, void* Param) {
  return registerCallback(Frame("XanCntmTimerCallbackProc"), true, Id, {&CntmState::timerProc, &CntmState::timerParam},
                          CallBack, Param);
}

// hWnd NULL switches the unit's notification on without a worker.
DLL_EXPORT LONG WINAPI XanCntmNotifyTimeUp(short Id, LONG Value, HWND hWnd) {
  ExportFrame frame("XanCntmNotifyTimeUp", ExportFrame::Spacing::Tight, ExportFrame::Tracing::None);
  if (LONG status = notifyFront(frame, Id, hWnd, false)) return status;
  if (LONG status = sendTimeUp(frame.record(), Value)) return status;
  mcnt::store(frame.record().Cntm.timeUpWindow, hWnd);
  return hWnd != nullptr ? mcnt::StartTimeUpWorker(frame.index()) : 0;
}

DLL_EXPORT LONG WINAPI XanCntmStopNotifyTimeUp(short Id) {
  ExportFrame frame("XanCntmStopNotifyTimeUp", ExportFrame::Spacing::Tight, ExportFrame::Tracing::None);
  if (LONG status = Find(frame, Id)) return status;
  if (LONG status = sendTimeUp(frame.record(), 0)) return status;
  mcnt::store(frame.record().Cntm.timeUpWindow, HWND{});
  return 0;
}
