#include "trace_log_flush.h"

namespace halvik {

bool TraceFlushThread::start(FlushFn flush, DWORD periodMs) {
  if (thread_ != nullptr) return true;
  flush_ = flush;
  period_ = periodMs;
  // The wait on this event stands for the sleep, so that closing never
  // waits out a whole period.
  wake_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (wake_ == nullptr) return false;
  runFlag_.store(1);
  thread_ = CreateThread(nullptr, 0, &TraceFlushThread::run, this, 0, nullptr);
  if (thread_ == nullptr) {
    CloseHandle(wake_);
    wake_ = nullptr;
    return false;
  }
  return true;
}

void TraceFlushThread::stop() {
  if (thread_ == nullptr) return;
  runFlag_.store(0);
  SetEvent(wake_);
  WaitForSingleObject(thread_, 10000);
  DWORD code = 0;
  GetExitCodeThread(thread_, &code);
  CloseHandle(thread_);
  CloseHandle(wake_);
  thread_ = nullptr;
  wake_ = nullptr;
}

DWORD WINAPI TraceFlushThread::run(LPVOID param) {
  auto* self = static_cast<TraceFlushThread*>(param);
  do {
    WaitForSingleObject(self->wake_, self->period_);
    self->flush_();
  } while (self->runFlag_.load() == 1);
  return 0;
}

}  // namespace halvik
