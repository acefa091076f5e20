// Folders: create and remove, the current, temporary and system folders.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "kernel32/file_object.h"
#include "kernel32/paths.h"

namespace plat {
namespace {

// The Windows and system folders answer in their Windows form and exist
// under the drive root from the first time a caller asks for them.
UINT systemFolder(const char* windowsPath, LPSTR buffer, UINT size) {
  std::error_code ignored;
  std::filesystem::create_directories(mapWindowsPath(windowsPath), ignored);
  return copyToBuffer(windowsPath, buffer, size);
}

bool endsWithSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

}  // namespace
}  // namespace plat

PLATFORM_API BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES) {
  std::string path = plat::mappedOrFail(lpPathName);
  if (path.empty()) return FALSE;
  if (::mkdir(path.c_str(), 0777) == 0) return TRUE;
  if (errno == EEXIST) return plat::fail(ERROR_ALREADY_EXISTS);
  if (errno == ENOENT) return plat::fail(ERROR_PATH_NOT_FOUND);
  return plat::failPath(errno, path);
}

PLATFORM_API BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
  std::string path = plat::mappedOrFail(lpPathName);
  if (path.empty()) return FALSE;
  if (::rmdir(path.c_str()) == 0) return TRUE;
  if (errno == ENOTEMPTY || errno == EEXIST) return plat::fail(ERROR_DIR_NOT_EMPTY);
  if (errno == ENOTDIR) {
    struct stat st;
    bool isFile = ::stat(path.c_str(), &st) == 0;
    return plat::fail(isFile ? ERROR_DIRECTORY : ERROR_PATH_NOT_FOUND);
  }
  return plat::failPath(errno, path);
}

PLATFORM_API DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
  std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
  if (!cwd) {
    SetLastError(plat::errorFromErrno(errno));
    return 0;
  }
  return plat::copyToBuffer(plat::callerCurrentDirectory(), lpBuffer, nBufferLength);
}

PLATFORM_API BOOL WINAPI SetCurrentDirectoryA(LPCSTR lpPathName) {
  std::string path = plat::mappedOrFail(lpPathName);
  if (path.empty()) return FALSE;
  if (::chdir(path.c_str()) == 0) return TRUE;
  if (errno == ENOTDIR) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) return plat::fail(ERROR_DIRECTORY);
  }
  return plat::failPath(errno, path);
}

// Callers join the temporary folder with names of their own, with
// backslashes: it is a drive path under the root, made when first asked.
PLATFORM_API DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
  constexpr char kTemp[] = "C:\\Windows\\Temp\\";
  std::error_code ignored;
  std::filesystem::create_directories(plat::mapWindowsPath(kTemp), ignored);
  return plat::copyToBuffer(kTemp, lpBuffer, nBufferLength);
}

PLATFORM_API UINT WINAPI GetTempFileNameA(LPCSTR lpPathName, LPCSTR lpPrefixString, UINT uUnique,
                                          LPSTR lpTempFileName) {
  if (lpPathName == nullptr || lpTempFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string folder = plat::mapWindowsPath(lpPathName);
  struct stat st;
  if (folder.empty() || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_DIRECTORY);
    return 0;
  }
  // The name keeps the form of the folder it was given.
  std::string base = lpPathName;
  if (!plat::endsWithSeparator(base)) base += base.find('/') != std::string::npos ? '/' : '\\';
  std::string prefix = lpPrefixString != nullptr ? std::string(lpPrefixString).substr(0, 3) : std::string();

  auto nameFor = [&](UINT unique) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%X", unique & 0xFFFFu);
    return base + prefix + digits + ".TMP";
  };
  auto publish = [&](const std::string& name) {
    if (name.size() >= MAX_PATH) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return false;
    }
    name.copy(lpTempFileName, name.size());
    lpTempFileName[name.size()] = '\0';
    return true;
  };

  if (uUnique != 0) return publish(nameFor(uUnique)) ? (uUnique & 0xFFFFu) : 0;

  // Without a number, the first free one is taken and its file created, so
  // two callers never get the same name.
  static std::atomic<UINT> counter{static_cast<UINT>(::getpid())};
  UINT start = counter.fetch_add(1);
  for (UINT i = 0; i < 0xFFFFu; ++i) {
    UINT unique = ((start + i) % 0xFFFFu) + 1;
    std::string name = nameFor(unique);
    if (!publish(name)) return 0;
    std::string path = plat::mapWindowsPath(name);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return unique;
    }
    if (errno != EEXIST) {
      SetLastError(plat::pathError(errno, path));
      return 0;
    }
  }
  SetLastError(ERROR_FILE_EXISTS);
  return 0;
}

PLATFORM_API UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
  return plat::systemFolder("C:\\Windows", lpBuffer, uSize);
}

PLATFORM_API UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
  return plat::systemFolder("C:\\Windows\\system32", lpBuffer, uSize);
}

PLATFORM_API DWORD WINAPI GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer,
                                           LPSTR* lpFilePart) {
  if (lpFilePart != nullptr) *lpFilePart = nullptr;
  std::string full = lpFileName != nullptr ? plat::fullPathName(lpFileName) : std::string();
  if (full.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return 0;
  }
  DWORD result = plat::copyToBuffer(full, lpBuffer, nBufferLength);
  if (result == full.size() && lpFilePart != nullptr && !plat::endsWithSeparator(full)) {
    size_t slash = full.find_last_of("\\/");
    *lpFilePart = lpBuffer + (slash == std::string::npos ? 0 : slash + 1);
  }
  return result;
}
