// The thread that writes the trace log's view to disk every period.
#pragma once
#include <windows.h>

#include <atomic>

namespace halvik {

class TraceFlushThread {
 public:
  using FlushFn = void (*)();
  TraceFlushThread() = default;
  ~TraceFlushThread() { stop(); }
  TraceFlushThread(const TraceFlushThread&) = delete;
  TraceFlushThread& operator=(const TraceFlushThread&) = delete;

  bool start(FlushFn flush, DWORD periodMs);
  // Clears the run flag, wakes the thread and waits for it up to 10 s.
  void stop();
  bool running() const { return thread_ != nullptr; }

 private:
  static DWORD WINAPI run(LPVOID self);

  FlushFn flush_ = nullptr;
  DWORD period_ = 1000;
  std::atomic<int16_t> runFlag_{0};
  HANDLE wake_ = nullptr;
  HANDLE thread_ = nullptr;
};

}  // namespace halvik
