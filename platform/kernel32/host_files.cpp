// C-runtime opens through the path mapping, and whole-file replacement.
#include <fcntl.h>
#include <platform/host_files.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "kernel32/errno_map.h"
#include "kernel32/paths.h"
#include "kernel32/unique_fd.h"

namespace plat {

std::string HostPath(const char* windowsPath) {
  if (windowsPath == nullptr || *windowsPath == '\0') return {};
  return mapWindowsPath(windowsPath);
}

CFile OpenFile(const char* windowsPath, const char* mode) {
  const std::string path = mappedOrFail(windowsPath);
  if (path.empty() || mode == nullptr) return CFile();
  CFile file(std::fopen(path.c_str(), mode));
  if (!file) failPath(errno, path);
  return file;
}

namespace {

bool writeAll(int fd, const void* data, size_t size) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, at, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    at += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool WriteWholeHostFile(const std::string& linuxPath, const void* data, size_t size) {
  if (linuxPath.empty() || (data == nullptr && size > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::string temporary = linuxPath + ".XXXXXX";
  UniqueFd fd(::mkstemp(temporary.data()));
  if (!fd) return failPath(errno, linuxPath) != FALSE;
  // mkstemp makes 0600; a replaced file keeps its mode, a new one gets the
  // mode an ordinary create would give it.
  struct stat old {};
  if (::stat(linuxPath.c_str(), &old) == 0) {
    ::fchmod(fd.get(), old.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd.get(), 0666 & ~mask);
  }
  const bool written = writeAll(fd.get(), data, size) && ::fsync(fd.get()) == 0;
  const int error = errno;
  if (!fd.close() || !written || ::rename(temporary.c_str(), linuxPath.c_str()) != 0) {
    const int failure = written ? errno : error;
    ::unlink(temporary.c_str());
    SetLastError(errorFromErrno(failure));
    return false;
  }
  return true;
}

bool WriteWholeFile(const char* windowsPath, const void* data, size_t size) {
  const std::string path = mappedOrFail(windowsPath);
  return !path.empty() && WriteWholeHostFile(path, data, size);
}

}  // namespace plat
