#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

ULONGLONG fileTimeValue(const FILETIME& ft) {
  return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

// Sets TZ for one test and puts the previous value back.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old, had_ = true;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (had_) setenv("TZ", saved_.c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }

 private:
  std::string saved_;
  bool had_ = false;
};

}  // namespace

TEST(Timing, TickCountsAdvanceWithSleepOnOneClock) {
  const DWORD tick = GetTickCount();
  const DWORD media = timeGetTime();
  const ULONGLONG tick64 = GetTickCount64();
  LARGE_INTEGER counter{}, later{}, frequency{};
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  EXPECT_EQ(frequency.QuadPart, 10000000);
  ASSERT_TRUE(QueryPerformanceCounter(&counter));

  Sleep(50);

  const DWORD tickElapsed = GetTickCount() - tick;  // unsigned: right across a wrap
  EXPECT_GE(tickElapsed, 45u);
  EXPECT_LT(tickElapsed, 5000u);
  EXPECT_GE(timeGetTime() - media, 45u);
  EXPECT_GE(GetTickCount64() - tick64, 45u);
  EXPECT_LE(media - tick, 1u) << "timeGetTime reads the tick clock";
  EXPECT_LE(static_cast<DWORD>(tick64) - tick, 1u) << "GetTickCount is the low half of GetTickCount64";
  ASSERT_TRUE(QueryPerformanceCounter(&later));
  const LONGLONG counted = later.QuadPart - counter.QuadPart;
  EXPECT_GE(counted, frequency.QuadPart * 45 / 1000);
  EXPECT_LT(counted, frequency.QuadPart * 5);
}

TEST(Timing, PerformanceCounterNeverGoesBack) {
  LARGE_INTEGER previous{};
  QueryPerformanceCounter(&previous);
  for (int i = 0; i < 1000; ++i) {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    ASSERT_GE(now.QuadPart, previous.QuadPart);
    previous = now;
  }
  SetLastError(0);
  EXPECT_FALSE(QueryPerformanceCounter(nullptr));
  EXPECT_FALSE(QueryPerformanceFrequency(nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(Timing, SystemTimeAgreesWithFileTimeAndTheCalendar) {
  FILETIME before{}, after{};
  SYSTEMTIME utc{};
  GetSystemTimeAsFileTime(&before);
  GetSystemTime(&utc);
  GetSystemTimeAsFileTime(&after);

  // The calendar fields, taken back to 100 ns units since 1601.
  tm parts{};
  parts.tm_year = utc.wYear - 1900;
  parts.tm_mon = utc.wMonth - 1;
  parts.tm_mday = utc.wDay;
  parts.tm_hour = utc.wHour;
  parts.tm_min = utc.wMinute;
  parts.tm_sec = utc.wSecond;
  const time_t seconds = timegm(&parts);
  EXPECT_EQ(parts.tm_wday, utc.wDayOfWeek);
  EXPECT_LT(utc.wMilliseconds, 1000);
  const ULONGLONG fromFields = 116444736000000000ull + static_cast<ULONGLONG>(seconds) * 10000000ull +
                               utc.wMilliseconds * 10000ull;
  EXPECT_GE(fromFields + 10000, fileTimeValue(before)) << "within the millisecond cut";
  EXPECT_LE(fromFields, fileTimeValue(after));
  EXPECT_GE(utc.wYear, 2024);
}

TEST(Timing, LocalTimeFollowsTheTimeZone) {
  SYSTEMTIME utc{}, local{};
  {
    ScopedTimeZone zone("UTC0");
    GetSystemTime(&utc);
    GetLocalTime(&local);
    EXPECT_EQ(local.wHour, utc.wHour);
    EXPECT_EQ(local.wDay, utc.wDay);
  }
  {
    ScopedTimeZone zone("XYZ-9");  // nine hours east, no summer time
    GetSystemTime(&utc);
    GetLocalTime(&local);
    if (utc.wMinute == local.wMinute) {  // not split by a minute boundary
      EXPECT_EQ(local.wHour, (utc.wHour + 9) % 24);
    }
  }
  GetLocalTime(nullptr);
  GetSystemTime(nullptr);
  GetSystemTimeAsFileTime(nullptr);
}
