// The library's start and end in a process, and the bounded stop and close
// that the end shares with StopSampling and CloseBoard.
#pragma once
#include <atomic>

#include <windef.h>

namespace vekmath {

// Seams to the parts of the library that record; each is filled by its
// owner and may stay empty (nothing is then done).
struct Hooks {
  // Detach: close the library's debug output file.
  std::atomic<void (*)()> closeDebugOutput{nullptr};
};

Hooks& hooks();

// What the library does when a process loads and unloads it (library_attach.cpp).
// The detach waits at most detachJoinMs for the acquisition thread and
// skips the monitor redraw: at process exit the window may be gone.
void attachLibrary();
// The work of StopSampling and CloseBoard (acquisition_run.cpp) with a bounded
// join; false when the thread did not end in time, and then the device is
// left alone.
bool stopAcquisition(DWORD joinMs, bool redraw);
bool closeAcquisition(DWORD joinMs);
inline constexpr DWORD kDetachJoinMs = 5000;
void detachLibrary();

}  // namespace vekmath
