// The open lock as XanInit and XanExit take it. A device's last close holds
// it while it waits for the device's event threads, so a callback on one of
// those threads that opens or closes any device must not wait for it.
#pragma once
#include <cstdint>
#include <mutex>

#include "device_record.h"

namespace halvik {

// Takes the library's open lock into `lock` for an open or close. On an
// event thread of the device whose last close holds the lock it gives way
// to that close: false, nothing held, in that case.
bool TakeOpenLock(std::unique_lock<std::mutex>& lock);

// Marks the record's last close under way for the callbacks above, for the
// life of the object; its holder has the open lock.
class LastClose {
 public:
  explicit LastClose(uint16_t index);
  ~LastClose();
  LastClose(const LastClose&) = delete;
  LastClose& operator=(const LastClose&) = delete;
};

}  // namespace halvik
