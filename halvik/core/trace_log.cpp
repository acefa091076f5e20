// Opening, writing and closing the trace log. Writers of all processes place
// their text under the shared record's lock, so the running total is never
// raced and a line is never torn. Closing cuts the file to its written
// length; while another process still has a view the cut is refused, and
// the file stays whole for it.
#include "trace_log.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "trace_log_flush.h"
#include "trace_log_header.h"
#include "trace_log_shared.h"

namespace halvik {

namespace {

struct TraceLog {
  TraceLogNames names;
  HANDLE recordMapping = nullptr;
  void* record = nullptr;
  HANDLE file = INVALID_HANDLE_VALUE;
  HANDLE viewMapping = nullptr;
  char* view = nullptr;
  DWORD processId = 0;
  CRITICAL_SECTION lock{};
  TraceFlushThread flusher;
  std::atomic<int16_t> timePrefix{0}, processPrefix{0}, threadPrefix{0};
};

std::atomic<int16_t> g_on{0};

TraceLog& log() {
  static TraceLog instance;
  return instance;
}

TraceLogShared shared() { return TraceLogShared(log().record); }

// Caller holds the shared lock.
void placeLocked(std::string_view text) {
  TraceLog& l = log();
  TraceLogShared s = shared();
  auto length = static_cast<int32_t>(text.size());
  if (s.runningTotal() < 0 || s.runningTotal() + length > static_cast<int32_t>(kTraceLogSize)) {
    s.runningTotal() = 0;
  }
  std::memcpy(l.view + s.runningTotal(), text.data(), text.size());
  s.runningTotal() += length;
}

size_t formatText(char* out, size_t room, const char* format, va_list args) {
  int n = std::vsnprintf(out, room, format, args);
  return n < 0 ? 0 : std::min(static_cast<size_t>(n), room - 1);
}

// Releases what the open got so far; with `cut`, the file is then cut to
// the written length.
void release(bool cut) {
  TraceLog& l = log();
  if (l.view != nullptr) {
    FlushViewOfFile(l.view, 0);
    UnmapViewOfFile(l.view);
    l.view = nullptr;
  }
  if (l.viewMapping != nullptr) {
    CloseHandle(l.viewMapping);
    l.viewMapping = nullptr;
  }
  if (l.file != INVALID_HANDLE_VALUE) {
    if (cut) {
      SetFilePointer(l.file, shared().runningTotal(), nullptr, FILE_BEGIN);
      SetEndOfFile(l.file);
    }
    CloseHandle(l.file);
    l.file = INVALID_HANDLE_VALUE;
  }
}

void releaseRecord() {
  TraceLog& l = log();
  if (l.record != nullptr) UnmapViewOfFile(l.record);
  if (l.recordMapping != nullptr) CloseHandle(l.recordMapping);
  l.record = nullptr;
  l.recordMapping = nullptr;
}

std::string filePath() {
  char folder[MAX_PATH] = {};
  UINT n = GetSystemDirectoryA(folder, sizeof folder);
  if (n == 0 || n >= sizeof folder) return {};
  return std::string(folder) + "\\" + log().names.file;
}

// Caller holds the shared lock.
bool openFileAndView(bool existing) {
  TraceLog& l = log();
  std::string path = filePath();
  if (path.empty()) return false;
  l.file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       existing ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (l.file == INVALID_HANDLE_VALUE) return false;
  l.viewMapping = CreateFileMappingA(l.file, nullptr, PAGE_READWRITE, 0, kTraceLogSize, l.names.view.c_str());
  if (l.viewMapping == nullptr) return false;
  l.view = static_cast<char*>(MapViewOfFile(l.viewMapping, FILE_MAP_ALL_ACCESS, 0, 0, kTraceLogSize));
  return l.view != nullptr;
}

}  // namespace

void SetTraceLogNames(const TraceLogNames& names) { log().names = names; }

bool DebugLogOn() { return g_on.load(std::memory_order_relaxed) != 0; }

int StartDebugLog(int16_t flushThreadOn, DWORD periodMs) {
  TraceLog& l = log();
  if (DebugLogOn()) return 0;
  l.recordMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kTraceRecordSize,
                                       l.names.record.c_str());
  if (l.recordMapping != nullptr) l.record = MapViewOfFile(l.recordMapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  if (l.record == nullptr) {
    releaseRecord();
    return 1;
  }
  bool opened = false;
  {
    TraceLogShared s = shared();
    TraceLogSharedLock guard(s);
    bool existing = s.firstWriterFlag() == 1;
    opened = openFileAndView(existing);
    if (!opened) {
      release(false);
    } else {
      if (!existing) {
        s.runningTotal() = 0;
        WriteTraceLogHeader(l.names.file.c_str(), placeLocked);
        s.firstWriterFlag() = 1;
      }
    }
  }
  if (!opened) {
    releaseRecord();
    return 1;
  }
  l.processId = GetCurrentProcessId();
  InitializeCriticalSection(&l.lock);
  g_on.store(1);
  if (flushThreadOn != 0 && !l.flusher.start(&FlushDebugLog, periodMs)) {
    CloseDebugLog();
    return 1;
  }
  return 0;
}

void AppendDebugLog(const char* format, ...) {
  if (!DebugLogOn()) return;
  char text[kTraceTextMax + 1];
  va_list args;
  va_start(args, format);
  size_t length = formatText(text, sizeof text, format, args);
  va_end(args);
  TraceLogShared s = shared();
  TraceLogSharedLock guard(s);
  placeLocked(std::string_view(text, length));
}

// The prefixes and the text go in as one piece, so that neither another
// process nor the ring's wrap can come between them.
void WriteDebugLog(const char* format, ...) {
  if (!DebugLogOn()) return;
  TraceLog& l = log();
  EnterCriticalSection(&l.lock);
  char line[96 + kTraceTextMax + 1];
  size_t length = 0;
  if (l.timePrefix.load() != 0) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    length += std::snprintf(line + length, sizeof line - length, "[%04d/%02d/%02d %02d:%02d:%02d'%03d]",
                            now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                            now.wMilliseconds);
  }
  if (l.processPrefix.load() != 0) {
    length += std::snprintf(line + length, sizeof line - length, "[PID:%XH]", static_cast<unsigned>(l.processId));
  }
  if (l.threadPrefix.load() != 0) {
    length += std::snprintf(line + length, sizeof line - length, "[TID:%XH]",
                            static_cast<unsigned>(GetCurrentThreadId()));
  }
  va_list args;
  va_start(args, format);
  length += formatText(line + length, kTraceTextMax + 1, format, args);
  va_end(args);
  {
    TraceLogShared s = shared();
    TraceLogSharedLock guard(s);
    placeLocked(std::string_view(line, length));
  }
  LeaveCriticalSection(&l.lock);
}

void FlushDebugLog() {
  if (!DebugLogOn()) return;
  FlushViewOfFile(log().view, 0);
}

void CloseDebugLog() {
  if (!DebugLogOn()) return;
  TraceLog& l = log();
  l.flusher.stop();
  EnterCriticalSection(&l.lock);
  g_on.store(0);
  {
    TraceLogShared s = shared();
    TraceLogSharedLock guard(s);
    release(true);
  }
  releaseRecord();
  LeaveCriticalSection(&l.lock);
  DeleteCriticalSection(&l.lock);
}

void DebugTraceStub() {}

void SetDebugLogTimePrefix(int16_t on) { log().timePrefix.store(on != 0 ? 1 : 0); }
void SetDebugLogProcessPrefix(int16_t on) { log().processPrefix.store(on != 0 ? 1 : 0); }
void SetDebugLogThreadPrefix(int16_t on) { log().threadPrefix.store(on != 0 ? 1 : 0); }

}  // namespace halvik
