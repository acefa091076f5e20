// The multi-function counter's event worker: it waits on the driver for
// events, reads the whole event record and hands each event to its window
// and its callback, count-ups first, then counter errors, carries and
// borrows, and timer events.
#include <windows.h>
#include <outside/halvikdrv.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cntm_frame.h"
#include "event_threads.h"
#include "library_state.h"

namespace halvik::mcnt {

namespace {

namespace drv = halvikdrv;
namespace rec = halvikdrv::cntm;

constexpr UINT kCountUpMessage = 0x1070;  // + channel
constexpr UINT kTimerMessage = 0x1090;
constexpr UINT kErrorMessage = 0x1091;
constexpr UINT kCarryBorrowMessage = 0x1092;
constexpr int kSettleRounds = 1000;  // of 1 ms each

// wParam as the window receives it: 32 bits, then widened.
WPARAM packed(int32_t low, int32_t high) {
  return static_cast<uint32_t>(static_cast<uint16_t>(low)) | (static_cast<uint32_t>(high) << 16);
}

class EventRecord {
 public:
  EventRecord() : bytes_(rec::kEventSize) {}
  unsigned char* data() { return bytes_.data(); }
  template <class T>
  T at(std::size_t offset) const {
    T v;
    std::memcpy(&v, bytes_.data() + offset, sizeof v);
    return v;
  }
  // The driver's counts, held to what the record has room for.
  int count(std::size_t offset, int most) const { return std::clamp<int>(at<int16_t>(offset), 0, most); }

 private:
  std::vector<unsigned char> bytes_;  // too large for a thread's stack
};

class Worker {
 public:
  explicit Worker(uint16_t index) : r_(DeviceTable()[index]), s_(r_.Cntm), wait_(EventWaitOf(index)) {}

  void run() {
    if (makeEvent()) {
      while (!stopped() && round()) {
      }
    }
    settle();
    store(s_.boardEventWords[1], 1);
  }

 private:
  bool stopped() const { return load(s_.boardEventWords[0]) != 0; }

  bool makeEvent() {
    event_ = load(s_.boardEvent);
    if (event_ != nullptr) return true;
    char name[32];
    std::snprintf(name, sizeof name, "XANCNTMBDEVENT%lX", static_cast<unsigned long>(GetCurrentThreadId()));
    event_ = CreateEventA(nullptr, TRUE, FALSE, name);
    store(s_.boardEvent, event_);
    return event_ != nullptr;
  }

  // One wait and what it brought; false to end.
  bool round() {
    ResetEvent(event_);
    wait_.overlapped = OVERLAPPED{};
    wait_.overlapped.hEvent = event_;
    std::memset(wait_.record, 0, sizeof wait_.record);
    const int32_t pid = static_cast<int32_t>(Library().processId);
    std::memcpy(wait_.record, &pid, sizeof pid);
    DWORD returned = 0;
    const BOOL done = DeviceIoControl(r_.Handle, drv::kCntmEventWait, wait_.record, sizeof wait_.record,
                                      wait_.record, sizeof wait_.record, &returned, &wait_.overlapped);
    pending_ = !done && GetLastError() == ERROR_IO_PENDING;
    if (WaitForSingleObject(event_, INFINITE) != WAIT_OBJECT_0 || stopped()) return false;
    pending_ = false;
    std::memset(events_.data(), 0, rec::kEventSize);
    std::memcpy(events_.data() + rec::kEventProcessId, &pid, sizeof pid);
    if (SendKernel(r_, drv::kCntmEventRead, events_.data(), rec::kEventSize, rec::kEventStatus) == 0) dispatch();
    return true;
  }

  void post(HWND window, UINT message, WPARAM wParam, int32_t lParam) const {
    if (isWindow(window)) PostMessageA(window, message, wParam, static_cast<LPARAM>(lParam));
  }
  void call(XanCntmCallBack CntmState::*proc, void* CntmState::*param, int32_t second, int32_t third) const {
    if (XanCntmCallBack f = load(s_.*proc); f != nullptr) f(r_.Id, second, third, load(s_.*param));
  }

  void dispatch() {
    const int channels = events_.count(rec::kEventChannels, rec::kChannels);
    const int rows = events_.count(rec::kEventRows, rec::kRows);
    const int16_t id = r_.Id;
    for (int e = 0, n = events_.count(rec::kCountUpEntries, rec::kEntries); e < n; ++e) {
      for (int row = 0; row < rows; ++row) {
        for (int c = 0; c < channels; ++c) {
          const int k = e * 16 + row * 8 + c;
          const int16_t flag = events_.at<int16_t>(rec::kCountUpFlags + 2 * k);
          if (flag == 0) continue;
          const int32_t value = events_.at<int32_t>(rec::kCountUpValues + 4 * k);
          post(load(s_.countUpWindow[row][c]), kCountUpMessage + c, packed(id, flag), value);
          call(&CntmState::countUpProc, &CntmState::countUpParam, static_cast<int32_t>(packed(c, flag)), value);
        }
      }
    }
    for (int kind = 1; kind <= 3; ++kind) {
      for (int e = 0, n = events_.count(rec::kErrorEntries[kind - 1], rec::kEntries); e < n; ++e) {
        for (int c = 0; c < channels; ++c) {
          if (events_.at<int16_t>(rec::kErrorFlags[kind - 1] + 2 * (e * 8 + c)) == 0) continue;
          post(load(s_.errorWindow), kErrorMessage, packed(id, c), kind);
          call(&CntmState::errorProc, &CntmState::errorParam, c, kind);
        }
      }
    }
    for (int e = 0, n = events_.count(rec::kCarryBorrowEntries, rec::kEntries); e < n; ++e) {
      for (int c = 0; c < channels; ++c) {
        const int16_t value = events_.at<int16_t>(rec::kCarryBorrow + 2 * (e * 8 + c));
        if (value == 0) continue;
        post(load(s_.carryBorrowWindow), kCarryBorrowMessage, packed(id, c), value);
        call(&CntmState::carryBorrowProc, &CntmState::carryBorrowParam, c, value);
      }
    }
    for (int t = 0, n = events_.count(rec::kTimerEvents, rec::kEntries); t < n; ++t) {
      post(load(s_.timerWindow), kTimerMessage, static_cast<uint16_t>(id), 0);
      call(&CntmState::timerProc, &CntmState::timerParam, 0, 0);
    }
  }

  // A wait the driver still holds is cancelled and its completion awaited
  // (bounded), so nothing completes it after the device has closed.
  void settle() {
    if (!pending_ || HasOverlappedIoCompleted(&wait_.overlapped)) return;
    CancelIoEx(r_.Handle, &wait_.overlapped);
    for (int i = 0; i < kSettleRounds && !HasOverlappedIoCompleted(&wait_.overlapped); ++i) Sleep(1);
  }

  DeviceRecord& r_;
  CntmState& s_;
  PendingWait& wait_;
  HANDLE event_ = nullptr;
  bool pending_ = false;
  EventRecord events_;
};

}  // namespace

DWORD WINAPI CntmEventThread(void* param) {
  const auto index = static_cast<uint16_t>(reinterpret_cast<uintptr_t>(param));
  EventThreadMark mark(DeviceTable()[index]);
  Worker(index).run();
  return 0;
}

}  // namespace halvik::mcnt
