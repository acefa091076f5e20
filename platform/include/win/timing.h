// Clocks: tick counts, the performance counter and the calendar time.
#pragma once
#include "../windef.h"

// Milliseconds since an arbitrary start; the 32-bit count wraps after
// about 49.7 days. timeGetTime reads the same clock.
PLATFORM_API DWORD WINAPI GetTickCount(void);
PLATFORM_API ULONGLONG WINAPI GetTickCount64(void);
PLATFORM_API DWORD WINAPI timeGetTime(void);

// A steady counter of 10,000,000 counts per second.
PLATFORM_API BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount);
PLATFORM_API BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency);

// Calendar time with milliseconds, local and UTC.
PLATFORM_API void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime);
PLATFORM_API void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime);
// UTC in 100 ns units since 1 January 1601.
PLATFORM_API void WINAPI GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime);

// A UTC file time shifted by the local offset in force at that instant.
PLATFORM_API BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime);
// The MS-DOS date (bits 9-15 year - 1980, 5-8 month, 0-4 day) and time
// (11-15 hour, 5-10 minute, 0-4 seconds / 2); FALSE outside 1980 to 2107.
PLATFORM_API BOOL WINAPI FileTimeToDosDateTime(const FILETIME* lpFileTime, LPWORD lpFatDate, LPWORD lpFatTime);
