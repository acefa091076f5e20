#include "straggler_threads.h"

#include <mutex>
#include <vector>

#include "library_state.h"

namespace halvik {

namespace {

constexpr DWORD kStragglerWaitMs = 60'000;

struct Stragglers {
  std::mutex lock;
  std::vector<HANDLE> threads;
};
Stragglers& stragglers() { return LibraryObject<Stragglers>(); }

}  // namespace

void KeepStragglerThread(HANDLE thread) {
  if (thread == nullptr || thread == INVALID_HANDLE_VALUE) return;
  std::lock_guard<std::mutex> guard(stragglers().lock);
  stragglers().threads.push_back(thread);
}

void AwaitStragglerThreads() {
  std::vector<HANDLE> threads;
  {
    std::lock_guard<std::mutex> guard(stragglers().lock);
    threads.swap(stragglers().threads);
  }
  const DWORD start = GetTickCount();
  for (HANDLE thread : threads) {
    const DWORD spent = GetTickCount() - start;
    WaitForSingleObject(thread, spent < kStragglerWaitMs ? kStragglerWaitMs - spent : 0);
    CloseHandle(thread);
  }
}

}  // namespace halvik
