// A bare popup window to draw into, its class registered once a process.
#pragma once
#include <windows.h>

namespace bench {

inline HWND makeWindow(int width, int height) {
  static const ATOM atom = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "BenchWindow";
    return RegisterClassA(&wc);
  }();
  if (atom == 0) return nullptr;
  return CreateWindowExA(0, "BenchWindow", "bench", WS_POPUP, 0, 0, width, height, nullptr, nullptr, nullptr,
                         nullptr);
}

}  // namespace bench
