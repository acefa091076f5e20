// The open lock as XanInit and XanExit take it. It is held while a record's
// count and transport change, never across a wait for a device's threads:
// their callbacks may open and close devices meanwhile. A record whose close
// is under way is marked instead, and opens and closes of it wait for the
// mark to go; on one of the record's own event threads, which that close is
// ending, they give way.
#pragma once
#include <cstdint>
#include <mutex>

#include "device_record.h"

namespace halvik {

// Takes the library's open lock into `lock` for an open or close of the
// record at `index`, once no close of it is under way. On an event thread
// of that record while its close is under way: false, nothing held.
bool TakeOpenLock(std::unique_lock<std::mutex>& lock, uint16_t index);

// Marks the close of the record at `index` under way for the life of the
// object; made and ended with the open lock held.
class ClosingMark {
 public:
  explicit ClosingMark(uint16_t index);
  ~ClosingMark();
  ClosingMark(const ClosingMark&) = delete;
  ClosingMark& operator=(const ClosingMark&) = delete;

 private:
  uint16_t index_;
};

// Lets the held open lock go for the life of the object, while a close
// waits for the device's threads.
class OpenLockLetGo {
 public:
  explicit OpenLockLetGo(std::unique_lock<std::mutex>& lock) : lock_(lock) { lock_.unlock(); }
  ~OpenLockLetGo() { lock_.lock(); }
  OpenLockLetGo(const OpenLockLetGo&) = delete;
  OpenLockLetGo& operator=(const OpenLockLetGo&) = delete;

 private:
  std::unique_lock<std::mutex>& lock_;
};

}  // namespace halvik
