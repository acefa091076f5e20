// The time-up worker of a bus library unit: it waits on the unit, reads its
// time-up record and the number of time-ups, and posts them to the
// registered window (and each flagged entry to its row's window).
#include <windows.h>
#include <outside/halvikdrv.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "cntm_frame.h"
#include "event_threads.h"
#include "library_state.h"

namespace halvik::mcnt {

namespace {

namespace drv = halvikdrv;
namespace rec = halvikdrv::cntm;

constexpr UINT kCountUpMessage = 0x1070;  // + row
constexpr UINT kTimeUpMessage = 0x1090;
constexpr int32_t kMostTimeUps = 1024;  // posts of one round at most

class Worker {
 public:
  explicit Worker(uint16_t index) : r_(DeviceTable()[index]), s_(r_.Cntm), wait_(TimeUpWaitOf(index)) {}

  void run() {
    if (makeEvent()) {
      while (!stopped() && round()) {
      }
    }
    store(s_.timeUpWords[1], 1);
  }

 private:
  bool stopped() const { return load(s_.timeUpWords[0]) != 0; }
  int32_t pid() const { return static_cast<int32_t>(Library().processId); }

  bool makeEvent() {
    event_ = load(s_.timeUpEvent);
    if (event_ != nullptr) return true;
    char name[32];
    std::snprintf(name, sizeof name, "XANCNTMEVENT%lX", static_cast<unsigned long>(GetCurrentThreadId()));
    event_ = CreateEventA(nullptr, TRUE, TRUE, name);
    store(s_.timeUpEvent, event_);
    return event_ != nullptr;
  }

  // The call's result when nonzero, else the record's status.
  DWORD command(WORD code, void* bytes, DWORD size, OVERLAPPED* overlapped = nullptr) const {
    DWORD returned = 0;
    const DWORD result = Bus().KelbusIoControl(static_cast<DWORD>(static_cast<uint16_t>(r_.BusKind)), r_.Handle, code,
                                               bytes, size, bytes, size, &returned, overlapped);
    if (result != 0 || overlapped != nullptr) return result;
    int32_t status;
    std::memcpy(&status, bytes, sizeof status);
    return static_cast<DWORD>(status);
  }

  bool round() {
    ResetEvent(event_);
    wait_.overlapped = OVERLAPPED{};
    wait_.overlapped.hEvent = event_;
    const int32_t id = pid();
    std::memset(wait_.record, 0, sizeof wait_.record);
    std::memcpy(wait_.record, &id, sizeof id);
    const DWORD waited = command(drv::kCmdCntmTimeUpWait, wait_.record, sizeof wait_.record, &wait_.overlapped);
    if ((waited != 0 && waited != ERROR_IO_PENDING) || stopped()) return false;
    if (WaitForSingleObject(event_, INFINITE) != WAIT_OBJECT_0 || stopped()) return false;

    drv::WireRecord<rec::kTimeUpSize> state;
    std::memcpy(state.data(), s_.timeUpState, sizeof s_.timeUpState);
    state.put<int32_t>(0, 0);
    state.put<int32_t>(rec::kTimeUpProcessId, id);
    if (command(drv::kCmdCntmTimeUpRead, state.data(), state.size()) != 0 || stopped()) return false;
    drv::WireRecord<rec::kTimeUpCountSize> count;
    count.put<int32_t>(8, id);
    if (command(drv::kCmdCntmTimeUpCount, count.data(), count.size()) != 0 || stopped()) return false;

    const WPARAM plainId = static_cast<uint16_t>(r_.Id);
    if (HWND window = load(s_.timeUpWindow); isWindow(window)) {
      for (int32_t i = 0, n = std::clamp(count.get<int32_t>(4), 0, kMostTimeUps); i < n; ++i)
        PostMessageA(window, kTimeUpMessage, plainId, 0);
    }
    for (int k = 0; k < rec::kTimeUpSlots; ++k) {
      const int16_t flag = state.get<int16_t>(rec::kTimeUpFlags + 2 * k);
      HWND window = load(s_.timeUpWindows[k]);
      if (flag == 0 || !isWindow(window)) continue;
      const WPARAM wParam = static_cast<uint32_t>(plainId) | (static_cast<uint32_t>(flag) << 16);
      PostMessageA(window, kCountUpMessage + k / 2, wParam, state.get<int32_t>(rec::kTimeUpValues + 4 * k));
    }
    return true;
  }

  DeviceRecord& r_;
  CntmState& s_;
  PendingWait& wait_;
  HANDLE event_ = nullptr;
};

}  // namespace

DWORD WINAPI CntmTimeUpThread(void* param) {
  const auto index = static_cast<uint16_t>(reinterpret_cast<uintptr_t>(param));
  EventThreadMark mark(DeviceTable()[index]);
  Worker(index).run();
  return 0;
}

}  // namespace halvik::mcnt
