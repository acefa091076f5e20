#include "trace_log_shared.h"

#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace halvik {

namespace {

std::atomic_ref<uint32_t> lockWord(unsigned char* base) {
  return std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(base + 4));
}

bool processGone(uint32_t pid) { return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

}  // namespace

void TraceLogShared::lock() {
  auto word = lockWord(base_);
  const auto self = static_cast<uint32_t>(::getpid());
  for (unsigned spins = 1;; ++spins) {
    uint32_t expected = 0;
    if (word.compare_exchange_weak(expected, self, std::memory_order_acquire)) return;
    if (spins % 4096 == 0 && expected != 0 && processGone(expected) &&
        word.compare_exchange_strong(expected, self, std::memory_order_acquire)) {
      return;
    }
    if (spins % 64 == 0) ::sched_yield();
  }
}

void TraceLogShared::unlock() { lockWord(base_).store(0, std::memory_order_release); }

}  // namespace halvik
