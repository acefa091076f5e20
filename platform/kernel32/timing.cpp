// Tick counts, the performance counter and the calendar time.
#include <time.h>

#include <chrono>

#include <windows.h>

namespace {

using Steady = std::chrono::steady_clock;

ULONGLONG steadyMilliseconds() {
  return static_cast<ULONGLONG>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now().time_since_epoch()).count());
}

// 100 ns units between 1601-01-01 and 1970-01-01.
constexpr ULONGLONG kFileTimeOfUnixEpoch = 116444736000000000ull;
constexpr LONGLONG kCountsPerSecond = 10000000;

timespec realTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now;
}

void fill(LPSYSTEMTIME out, const tm& parts, long nanoseconds) {
  out->wYear = static_cast<WORD>(parts.tm_year + 1900);
  out->wMonth = static_cast<WORD>(parts.tm_mon + 1);
  out->wDayOfWeek = static_cast<WORD>(parts.tm_wday);
  out->wDay = static_cast<WORD>(parts.tm_mday);
  out->wHour = static_cast<WORD>(parts.tm_hour);
  out->wMinute = static_cast<WORD>(parts.tm_min);
  out->wSecond = static_cast<WORD>(parts.tm_sec > 59 ? 59 : parts.tm_sec);  // no leap second
  out->wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
}

}  // namespace

PLATFORM_API DWORD WINAPI GetTickCount(void) { return static_cast<DWORD>(steadyMilliseconds()); }
PLATFORM_API ULONGLONG WINAPI GetTickCount64(void) { return steadyMilliseconds(); }
PLATFORM_API DWORD WINAPI timeGetTime(void) { return static_cast<DWORD>(steadyMilliseconds()); }

PLATFORM_API BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (count == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  using Counts = std::chrono::duration<LONGLONG, std::ratio<1, kCountsPerSecond>>;
  count->QuadPart = std::chrono::duration_cast<Counts>(Steady::now().time_since_epoch()).count();
  return TRUE;
}

PLATFORM_API BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (frequency == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  frequency->QuadPart = kCountsPerSecond;
  return TRUE;
}

PLATFORM_API void WINAPI GetLocalTime(LPSYSTEMTIME out) {
  if (out == nullptr) return;
  const timespec now = realTime();
  tm parts{};
  tzset();  // follow a changed TZ, as a fresh process would
  localtime_r(&now.tv_sec, &parts);
  fill(out, parts, now.tv_nsec);
}

PLATFORM_API void WINAPI GetSystemTime(LPSYSTEMTIME out) {
  if (out == nullptr) return;
  const timespec now = realTime();
  tm parts{};
  gmtime_r(&now.tv_sec, &parts);
  fill(out, parts, now.tv_nsec);
}

PLATFORM_API void WINAPI GetSystemTimeAsFileTime(LPFILETIME out) {
  if (out == nullptr) return;
  const timespec now = realTime();
  const ULONGLONG value = kFileTimeOfUnixEpoch + static_cast<ULONGLONG>(now.tv_sec) * kCountsPerSecond +
                          static_cast<ULONGLONG>(now.tv_nsec) / 100;
  out->dwLowDateTime = static_cast<DWORD>(value);
  out->dwHighDateTime = static_cast<DWORD>(value >> 32);
}
