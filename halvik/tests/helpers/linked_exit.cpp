// A program that links Halvik, as an application linked by function name
// does, and ends while a counter callback of HVA1 blocks; it writes to the
// file descriptor its argument names as it sets out to exit. It finds the
// devices the test installed through the environment it inherits.
#include <halvik.h>
#include <halviksim.h>
#include <windows.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

std::atomic<bool> entered{false};
HANDLE never = nullptr;

void WINAPI blockOnEvent(short, short, short, LONG, void*) {
  entered = true;
  WaitForSingleObject(never, INFINITE);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 3;
  never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const LONG match[] = {2};
  short id = -1;
  if (XanInit("HVA1", &id) != 0 || XanPresetCnt(id, 0, 0) != 0 || XanSetCntComparisonReg(id, 0, 1, match, 0) != 0 ||
      XanSetCntCallBackProc(id, 0, blockOnEvent, 0x10, nullptr) != 0 || XanStartCnt(id, 0) != 0 ||
      !halviksim::PulseCounter("HVA1", 0, 3)) {
    return 1;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!entered && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (!entered || ::write(std::atoi(argv[1]), "x", 1) != 1) return 2;
  return 0;  // the exit closes HVA1 beside the blocked callback
}
