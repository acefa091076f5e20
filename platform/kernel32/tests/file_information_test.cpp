#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdlib>
#include <ctime>

#include "temp_root.h"

namespace {

class FileInformation : public TempRootTest {};

// 2026-03-04 02:05:07 UTC as a file time.
constexpr ULONGLONG kTicks = 116444736000000000ull + 1772589907ull * 10000000ull;

FILETIME at(ULONGLONG ticks) { return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)}; }

TEST_F(FileInformation, ReportsSizeTimesAndIdentityOfAnOpenFile) {
  writeFile(root_ + "/c/data.bin", std::string(70, 'x'));
  timespec times[2] = {{1772589907, 0}, {1772589907, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (root_ + "/c/data.bin").c_str(), times, 0), 0);
  HANDLE file = CreateFileA("C:\\DATA.BIN", 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_ARCHIVE,
                            nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  BY_HANDLE_FILE_INFORMATION info{};
  ASSERT_TRUE(GetFileInformationByHandle(file, &info));
  EXPECT_EQ(info.nFileSizeLow, 70u);
  EXPECT_EQ(info.nNumberOfLinks, 1u);
  EXPECT_EQ(info.dwFileAttributes & FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ((ULONGLONG{info.ftLastWriteTime.dwHighDateTime} << 32) | info.ftLastWriteTime.dwLowDateTime, kTicks);
  EXPECT_FALSE(GetFileInformationByHandle(file, nullptr));
  CloseHandle(file);
  EXPECT_FALSE(GetFileInformationByHandle(file, &info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(FileTimes, LocalTimeFollowsTheZoneAndDosWordsPackTheCalendar) {
  const char* saved = std::getenv("TZ");
  std::string keep = saved ? saved : "";
  struct Case {
    const char* zone;
    WORD date, time;
  } cases[] = {
      {"UTC0", ((2026 - 1980) << 9) | (3 << 5) | 4, (2 << 11) | (5 << 5) | 3},
      {"JST-9", ((2026 - 1980) << 9) | (3 << 5) | 4, (11 << 11) | (5 << 5) | 3},
      {"EST5", ((2026 - 1980) << 9) | (3 << 5) | 3, (21 << 11) | (5 << 5) | 3},
  };
  for (const Case& c : cases) {
    setenv("TZ", c.zone, 1);
    FILETIME utc = at(kTicks), local{};
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    WORD date = 0, time = 0;
    ASSERT_TRUE(FileTimeToDosDateTime(&local, &date, &time));
    EXPECT_EQ(date, c.date) << c.zone;
    EXPECT_EQ(time, c.time) << c.zone;
  }
  if (saved) setenv("TZ", keep.c_str(), 1);
  else unsetenv("TZ");
  tzset();
  FILETIME before1980 = at(116444736000000000ull);  // 1970
  WORD date = 0, time = 0;
  EXPECT_FALSE(FileTimeToDosDateTime(&before1980, &date, &time));
  EXPECT_FALSE(FileTimeToDosDateTime(&before1980, nullptr, &time));
}

}  // namespace
