#include "straggler_threads.h"

#include <mutex>
#include <vector>

#include "library_state.h"

namespace halvik {

namespace {

constexpr DWORD kStragglerWaitMs = 10'000;
const char kInsideTheLibrary = 0;

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
  bool allEnded = true;
  for (HANDLE thread : threads) {
    const DWORD spent = GetTickCount() - start;
    if (WaitForSingleObject(thread, spent < kStragglerWaitMs ? kStragglerWaitMs - spent : 0) != WAIT_OBJECT_0) {
      allEnded = false;
    }
    CloseHandle(thread);
  }
  HMODULE self = nullptr;
  if (!allEnded) {
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, &kInsideTheLibrary, &self);
  }
}

}  // namespace halvik
