// State that belongs to a device for the whole process (never to a thread),
// so that a completion or a thread that comes late still finds it alive.
#pragma once
#include <windows.h>

#include <cstdint>
#include <deque>

namespace halvik::airun {

// The record of type Record for the device at table index `index`; records
// never move once made.
template <typename Record>
Record& perDevice(uint16_t index) {
  static std::deque<Record> records;
  static CRITICAL_SECTION lock = [] {
    CRITICAL_SECTION c;
    InitializeCriticalSection(&c);
    return c;
  }();
  EnterCriticalSection(&lock);
  while (records.size() <= index) records.emplace_back();
  Record& r = records[index];
  LeaveCriticalSection(&lock);
  return r;
}

inline bool validHandle(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
inline bool taken(DWORD wait) { return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED; }

}  // namespace halvik::airun
