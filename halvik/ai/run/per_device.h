// State that belongs to a device for the whole process (never to a thread),
// so that a completion or a thread that comes late still finds it alive.
#pragma once
#include <windows.h>

#include <cstdint>
#include <deque>
#include <mutex>

#include "library_state.h"

namespace halvik::airun {

// The record of type Record for the device at table index `index`; records
// never move once made.
template <typename Record>
Record& perDevice(uint16_t index) {
  struct Records {
    std::mutex lock;
    std::deque<Record> records;
  };
  Records& all = LibraryObject<Records>();
  std::lock_guard<std::mutex> guard(all.lock);
  while (all.records.size() <= index) all.records.emplace_back();
  return all.records[index];
}

inline bool validHandle(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
inline bool taken(DWORD wait) { return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED; }

}  // namespace halvik::airun
