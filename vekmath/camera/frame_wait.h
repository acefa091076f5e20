// How long WaitNextFrame waits for a frame to serve its grab request.
#pragma once
#include <windows.h>

#include <atomic>

namespace vekmath {

inline constexpr DWORD kFrameWaitMs = 5000;
// Tests shorten it; the library never changes it.
extern std::atomic<DWORD> gFrameWaitMs;

}  // namespace vekmath
