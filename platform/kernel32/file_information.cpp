// What a file handle tells about its file, and the conversions of file
// times into local time and into the MS-DOS date and time words.
#include <sys/stat.h>
#include <time.h>

#include <cerrno>

#include "kernel32/errno_map.h"
#include "kernel32/file_object.h"

namespace {

constexpr ULONGLONG kFileTimeOfUnixEpoch = 116444736000000000ull;  // 1601 to 1970 in 100 ns
constexpr ULONGLONG kCountsPerSecond = 10000000;

ULONGLONG ticksOf(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME fileTimeOf(ULONGLONG ticks) {
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

}  // namespace

PLATFORM_API BOOL WINAPI GetFileInformationByHandle(HANDLE hFile,
                                                    LPBY_HANDLE_FILE_INFORMATION lpFileInformation) {
  if (lpFileInformation == nullptr) return plat::fail(ERROR_INVALID_PARAMETER);
  auto file = plat::lookupFile(hFile);
  if (!file) return plat::fail(ERROR_INVALID_HANDLE);
  struct stat st;
  if (::fstat(file->fd(), &st) != 0) return plat::fail(plat::errorFromErrno(errno));
  BY_HANDLE_FILE_INFORMATION& info = *lpFileInformation;
  info.dwFileAttributes = plat::attributesFrom(st);
  // Linux keeps no creation time in struct stat; the last write stands in.
  info.ftCreationTime = plat::fileTimeFrom(st.st_mtim);
  info.ftLastAccessTime = plat::fileTimeFrom(st.st_atim);
  info.ftLastWriteTime = plat::fileTimeFrom(st.st_mtim);
  info.dwVolumeSerialNumber = static_cast<DWORD>(st.st_dev);
  const auto size = static_cast<ULONGLONG>(st.st_size);
  info.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  info.nFileSizeLow = static_cast<DWORD>(size);
  info.nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
  const auto index = static_cast<ULONGLONG>(st.st_ino);
  info.nFileIndexHigh = static_cast<DWORD>(index >> 32);
  info.nFileIndexLow = static_cast<DWORD>(index);
  return TRUE;
}

// The local offset is the one in force at that instant (TZ as set now).
PLATFORM_API BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
  if (lpFileTime == nullptr || lpLocalFileTime == nullptr) return plat::fail(ERROR_INVALID_PARAMETER);
  const ULONGLONG ticks = ticksOf(*lpFileTime);
  const auto seconds = static_cast<LONGLONG>(ticks / kCountsPerSecond) -
                       static_cast<LONGLONG>(kFileTimeOfUnixEpoch / kCountsPerSecond);
  time_t instant = static_cast<time_t>(seconds);
  tm parts{};
  tzset();
  if (localtime_r(&instant, &parts) == nullptr) return plat::fail(ERROR_INVALID_PARAMETER);
  const LONGLONG offset = static_cast<LONGLONG>(parts.tm_gmtoff) * static_cast<LONGLONG>(kCountsPerSecond);
  if (offset < 0 && ticks < static_cast<ULONGLONG>(-offset)) return plat::fail(ERROR_INVALID_PARAMETER);
  *lpLocalFileTime = fileTimeOf(ticks + static_cast<ULONGLONG>(offset));
  return TRUE;
}

// Dates from 1980 to 2107 fit the DOS words; seconds go in steps of two.
PLATFORM_API BOOL WINAPI FileTimeToDosDateTime(const FILETIME* lpFileTime, LPWORD lpFatDate, LPWORD lpFatTime) {
  if (lpFileTime == nullptr || lpFatDate == nullptr || lpFatTime == nullptr) {
    return plat::fail(ERROR_INVALID_PARAMETER);
  }
  const ULONGLONG ticks = ticksOf(*lpFileTime);
  if (ticks < kFileTimeOfUnixEpoch) return plat::fail(ERROR_INVALID_PARAMETER);
  time_t instant = static_cast<time_t>((ticks - kFileTimeOfUnixEpoch) / kCountsPerSecond);
  tm parts{};
  gmtime_r(&instant, &parts);
  const int year = parts.tm_year + 1900;
  if (year < 1980 || year > 2107) return plat::fail(ERROR_INVALID_PARAMETER);
  *lpFatDate = static_cast<WORD>(((year - 1980) << 9) | ((parts.tm_mon + 1) << 5) | parts.tm_mday);
  *lpFatTime = static_cast<WORD>((parts.tm_hour << 11) | (parts.tm_min << 5) | (parts.tm_sec / 2));
  return TRUE;
}
