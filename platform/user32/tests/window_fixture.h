// Test windows that record what their procedure sees, and a thread that
// owns a window and pumps its messages.
#pragma once
#include <windows.h>

#include <functional>
#include <future>
#include <optional>
#include <thread>
#include <vector>

struct Recorder {
  std::vector<UINT> messages;  // touched on the window's thread only
  std::thread::id thread;
  LRESULT createResult = 0;
  // Answers a message instead of DefWindowProcA when it returns a value.
  std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> handler;

  size_t count(UINT message) const {
    size_t n = 0;
    for (UINT m : messages) n += m == message;
    return n;
  }
};

inline LRESULT CALLBACK recordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* recorder = reinterpret_cast<Recorder*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (recorder) {
    recorder->messages.push_back(message);
    recorder->thread = std::this_thread::get_id();
    if (recorder->handler) {
      if (auto answer = recorder->handler(hwnd, message, wParam, lParam)) return *answer;
    }
    if (message == WM_CREATE) return recorder->createResult;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

inline const char* testClass() {
  static const ATOM atom = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = recordingProc;
    wc.lpszClassName = "PlatTestWindow";
    return RegisterClassA(&wc);
  }();
  return atom ? "PlatTestWindow" : nullptr;
}

inline HWND makeWindow(Recorder* recorder, int width = 200, int height = 100, DWORD style = WS_OVERLAPPEDWINDOW,
                       HWND parent = nullptr) {
  return CreateWindowExA(0, testClass(), "test", style, 10, 20, width, height, parent, nullptr, nullptr, recorder);
}

// Owns a window on its own thread and runs GetMessageA until WM_QUIT;
// the window's WM_DESTROY posts the quit.
class WindowThread {
 public:
  explicit WindowThread(Recorder* recorder) {
    auto previous = recorder->handler;
    recorder->handler = [previous](HWND h, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
      if (m == WM_DESTROY) PostQuitMessage(0);
      return previous ? previous(h, m, w, l) : std::nullopt;
    };
    std::promise<HWND> made;
    auto ready = made.get_future();
    thread_ = std::thread([recorder, made = std::move(made)]() mutable {
      HWND hwnd = makeWindow(recorder);
      made.set_value(hwnd);
      if (!hwnd) return;
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    });
    hwnd_ = ready.get();
  }
  ~WindowThread() { stop(); }
  HWND hwnd() const { return hwnd_; }
  // Closes the window and waits for the thread to end.
  void stop() {
    if (!thread_.joinable()) return;
    PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    thread_.join();
  }

 private:
  HWND hwnd_ = nullptr;
  std::thread thread_;
};
