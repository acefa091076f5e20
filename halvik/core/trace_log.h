// The trace log "halvik.log": one ring of text shared by every process that
// uses the library, mapped from the file and written to disk by a flush thread.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace halvik {

inline constexpr DWORD kTraceLogSize = 0x40000;
inline constexpr size_t kTraceTextMax = 511;

// Names of the shared objects and of the file. Tests give each run its own
// so that parallel test processes never meet in one log.
struct TraceLogNames {
  std::string record = "halviksharedmemory";
  std::string view = "halviksharedlogfile";
  std::string file = "halvik.log";  // in the system directory
};
void SetTraceLogNames(const TraceLogNames& names);

// What follows the device scan's decision that tracing is on: maps the shared
// record and the file, writes the header when this process is the first, and
// starts the flush thread when asked. 0 on success; on failure everything is
// undone and tracing stays off.
int StartDebugLog(int16_t flushThreadOn, DWORD periodMs);

bool DebugLogOn();
void WriteDebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
void AppendDebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
void FlushDebugLog();
void CloseDebugLog();
void DebugTraceStub();

void SetDebugLogTimePrefix(int16_t on);
void SetDebugLogProcessPrefix(int16_t on);
void SetDebugLogThreadPrefix(int16_t on);

}  // namespace halvik
