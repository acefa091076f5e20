// What the library keeps for the whole process besides the device table, set
// at attach: one place for it.
#pragma once
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace halvik {

struct LibraryState {
  HMODULE module = nullptr;       // the library's own module
  DWORD processId = 0;            // sent with every ownership request
  CRITICAL_SECTION lock{};        // the input family's data readout and polling
  bool lockReady = false;
  bool deviceOpened = false;      // set by the first successful XanInit
  // XanInit and XanExit, one at a time: a record's OpenCount and its
  // transport handle change together (see open_lock.h).
  std::mutex openLock;
  // The table indices whose close is under way, under openLock: an open or
  // close of one of them waits for closeEnded, so it never meets the
  // close's teardown halfway.
  std::vector<uint16_t> closing;
  std::condition_variable closeEnded;

  // Objects made after attach that detach still needs; see LibraryObject.
  std::mutex keptLock;
  std::vector<std::shared_ptr<void>> kept;
};
LibraryState& Library();

// The one object of type T for the library, made at its first use. The
// library state, made at attach, owns it, so it is freed after detach has
// ended the workers and closed the devices that use it, and freed at all
// when the library is unloaded.
template <typename T>
T& LibraryObject() {
  static T* object = [] {
    auto owned = std::make_shared<T>();
    LibraryState& state = Library();
    std::lock_guard<std::mutex> guard(state.keptLock);
    state.kept.push_back(owned);
    return owned.get();
  }();
  return *object;
}

// The work of process attach and detach, in their order. Tests call them
// directly, around a registry they have written.
void AttachLibrary(HMODULE module);
void DetachLibrary(bool processEnds = false);

// Fills the device table from the driver's class key: 1 when the key
// could be opened, 0 when not (the table stays empty).
int ScanRegisteredDevices();
// 1 done, 0 for a form it does not know (out unchanged); out holds 256 bytes.
int SymbolicNameToDevicePath(const char* symbolicName, char* out);

}  // namespace halvik
