// One registered device (or unit module) and the process-wide table of them.
//
// The table is filled once at attach and never changes shape afterwards, so
// lookups take no lock and a record never moves: event threads and the
// families' exports refer to a record by its table index.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>

namespace halvik {

// The six per-function slots, always in this order.
enum Slot : int { kSlotAi = 0, kSlotAo = 1, kSlotCnt0 = 2, kSlotCnt1 = 3, kSlotTm0 = 4, kSlotTm1 = 5 };
inline constexpr int kSlotCount = 6;

inline constexpr int16_t kBusVirtual = 10;  // HalvikVm
inline constexpr int16_t kBusAttached = 3;  // Kelbus

// An application callback: (Id, message, channel or 0, parameter, user parameter).
typedef void(WINAPI* XanCallBack)(short id, short message, short channel, LONG parameter, void* userParam);
// The multi-function counter's: (Id, second, third, user parameter), the
// middle two as each event gives them.
typedef void(WINAPI* XanCntmCallBack)(LONG id, LONG second, LONG third, void* userParam);

// The multi-function counter's notification state; its meaning belongs to the
// counter family. It is cleared by the first open only, and the last close
// ends both workers (the fields the workers share with the exports are read
// and written atomically).
struct CntmState {
  HANDLE boardEventThread = INVALID_HANDLE_VALUE;
  int32_t boardEventWords[2] = {};  // stop request, ended
  HANDLE boardEvent = nullptr;      // the event worker's wait event; 0 until made
  HWND countUpWindow[2][8] = {};    // [row][channel]
  HWND errorWindow = nullptr;
  HWND carryBorrowWindow = nullptr;
  HWND timerWindow = nullptr;
  XanCntmCallBack countUpProc = nullptr;
  void* countUpParam = nullptr;
  XanCntmCallBack errorProc = nullptr;
  void* errorParam = nullptr;
  XanCntmCallBack carryBorrowProc = nullptr;
  void* carryBorrowParam = nullptr;
  XanCntmCallBack timerProc = nullptr;
  void* timerParam = nullptr;
  HANDLE timeUpThread = INVALID_HANDLE_VALUE;
  int32_t timeUpWords[2] = {};  // stop request, ended
  HANDLE timeUpEvent = nullptr;
  HWND timeUpWindow = nullptr;
  HWND timeUpWindows[64] = {};  // per row and entry of the time-up record
  unsigned char timeUpState[396] = {};
  int16_t channelCount = 0;  // 0 until the digital input reads it
};

struct DeviceRecord {
  int16_t OpenCount = 0;
  char DeviceName[256] = {};  // empty: the subkey is no device
  char ModelName[256] = {};
  char DevicePath[256] = {};
  char ModuleIdText[18] = {};
  char DeviceIdText[12] = {};
  HANDLE Handle = INVALID_HANDLE_VALUE;
  int16_t Id = -1;
  uint16_t ModuleId = 0;
  int16_t BusKind = 0;
  int16_t BoardId = 0;
  int32_t ModuleIndex = 0;

  HANDLE EventThread[kSlotCount] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE,
                                    INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
  HANDLE MutexA[kSlotCount] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE,
                               INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
  HANDLE MutexB[kSlotCount] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE,
                               INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
  HANDLE AiMutexC = INVALID_HANDLE_VALUE;
  HANDLE AiWaitEvent = INVALID_HANDLE_VALUE;
  HANDLE AiPollWaitEvent = INVALID_HANDLE_VALUE;
  HANDLE AoWaitEvent = INVALID_HANDLE_VALUE;
  HANDLE CntWaitEvent[2] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
  HANDLE TmWaitEvent[2] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
  HWND NotifyWindow[kSlotCount] = {};
  std::atomic<uint8_t> ThreadRun[kSlotCount] = {};
  HANDLE DoneEvent[kSlotCount] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE,
                                  INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
  int16_t NotifyKind[kSlotCount] = {};
  XanCallBack CallbackProc[kSlotCount] = {};
  void* CallbackParam[kSlotCount] = {};
  HANDLE AiBufferEvent = INVALID_HANDLE_VALUE;
  HANDLE AoBufferEvent = INVALID_HANDLE_VALUE;
  void* AiHostRing = nullptr;  // global memory of the device-buffer mode
  void* AiHostRingState = nullptr;
  uint32_t AiHostRingSize = 0x100000;
  uint32_t AiHostRingRead = 0;
  uint32_t AiHostRingCount = 0;
  int16_t AiHostRingFlags = 0;
  HANDLE AiPollThread = INVALID_HANDLE_VALUE;
  std::atomic<uint8_t> AiPollRun{0};
  int16_t AiPollState = 0;
  char ModuleType[256] = {};
  uint32_t UnitValue = 0;
  CntmState Cntm;

  // The counter and timer event threads of this device (channel or timer
  // number 0 and 1). They live in the record, not in tables indexed by the
  // table position, so any number of devices can be registered.
  HANDLE CntThread[2] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
  HANDLE TmThread[2] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
  // The table index handed to this record's threads as their start parameter.
  uint16_t ThreadParam = 0;

  DeviceRecord() = default;
  DeviceRecord(const DeviceRecord&) = delete;
  DeviceRecord& operator=(const DeviceRecord&) = delete;
};

// The process-wide table; filled at attach, then read only. A deque, so an
// appended record never moves the others.
std::deque<DeviceRecord>& DeviceTable();
// Leaves the table empty for an attach's scan; records of an earlier attach
// stay where they are for threads that may still use them.
void SetAsideDeviceTable();

// 1 found (index set), 0 not found. Names compare without regard to case.
int FindDeviceByName(const char* name, uint16_t* index);
// Compares the low 16 bits; records without a device name are never found.
int FindDeviceById(int32_t id, uint16_t* index);

}  // namespace halvik
