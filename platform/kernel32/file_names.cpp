// Calls on files by name: delete, move, attributes.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "kernel32/file_object.h"
#include "kernel32/paths.h"

namespace plat {
namespace {

bool writable(const struct stat& st) { return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0; }

// Copies a regular file's bytes and permission bits, for a move across file
// systems. The source stays untouched; a failed copy removes its partial
// target.
BOOL copyFile(const std::string& from, const std::string& to, bool failIfExists) {
  UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in) return failPath(errno, from);
  struct stat st;
  if (::fstat(in.get(), &st) != 0) return fail(errorFromErrno(errno));
  if (S_ISDIR(st.st_mode)) return fail(ERROR_ACCESS_DENIED);
  auto readLease = ShareLease::acquire(FileIdentity{st.st_dev, st.st_ino}, GENERIC_READ, FILE_SHARE_READ);
  if (!readLease) return FALSE;

  struct stat target;
  bool existed = ::stat(to.c_str(), &target) == 0;
  if (existed && failIfExists) return fail(ERROR_FILE_EXISTS);
  if (existed && (S_ISDIR(target.st_mode) || !writable(target))) return fail(ERROR_ACCESS_DENIED);
  if (existed && target.st_dev == st.st_dev && target.st_ino == st.st_ino) return fail(ERROR_SHARING_VIOLATION);
  std::unique_ptr<ShareLease> writeLease;
  if (existed) {
    writeLease = ShareLease::acquire(FileIdentity{target.st_dev, target.st_ino}, GENERIC_WRITE, 0);
    if (!writeLease) return FALSE;
  }

  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC);
  UniqueFd out(::open(to.c_str(), flags, st.st_mode & 07777));
  if (!out) return fail(errno == EEXIST ? ERROR_FILE_EXISTS : pathError(errno, to));
  char buffer[64 * 1024];
  for (;;) {
    ssize_t n = ::read(in.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) break;
    ssize_t written = 0;
    while (n > 0 && written < n) {
      ssize_t w = ::write(out.get(), buffer + written, static_cast<size_t>(n - written));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        n = -1;
        break;
      }
      written += w;
    }
    if (n < 0) {
      DWORD error = errorFromErrno(errno);
      out.reset();
      ::unlink(to.c_str());
      return fail(error);
    }
  }
  ::fchmod(out.get(), st.st_mode & 07777);
  return TRUE;
}

BOOL moveFile(LPCSTR existing, LPCSTR newName, DWORD flags) {
  std::string from = mappedOrFail(existing);
  std::string to = mappedOrFail(newName);
  if (from.empty() || to.empty()) return FALSE;
  struct stat st;
  if (::lstat(from.c_str(), &st) != 0) return failPath(errno, from);
  if (!mayDeleteOrRename(from)) return FALSE;

  struct stat target;
  if (::stat(to.c_str(), &target) == 0 && !(target.st_dev == st.st_dev && target.st_ino == st.st_ino)) {
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) return fail(ERROR_ALREADY_EXISTS);
    if (S_ISDIR(target.st_mode) || S_ISDIR(st.st_mode)) return fail(ERROR_ACCESS_DENIED);
    if (!mayDeleteOrRename(to)) return FALSE;
  }
  // Only a rename that finds no target may replace none: the check above
  // and the rename leave a window another process could use.
  int how = (flags & MOVEFILE_REPLACE_EXISTING) ? 0 : RENAME_NOREPLACE;
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), static_cast<unsigned>(how)) == 0) return TRUE;
  if (errno == EEXIST) return fail(ERROR_ALREADY_EXISTS);
  if (errno == EXDEV && !S_ISDIR(st.st_mode)) {
    // Across file systems a file moves by copy and delete, as Windows does
    // for MoveFileA; a folder cannot.
    if (!copyFile(from, to, !(flags & MOVEFILE_REPLACE_EXISTING))) return FALSE;
    if (::unlink(from.c_str()) != 0) return failPath(errno, from);
    return TRUE;
  }
  if (errno == EXDEV) return fail(ERROR_ACCESS_DENIED);
  return failPath(errno, errno == ENOENT ? to : from);
}

}  // namespace
}  // namespace plat

PLATFORM_API BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
  std::string path = plat::mappedOrFail(lpFileName);
  if (path.empty()) return FALSE;
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return plat::failPath(errno, path);
  // Windows refuses to delete folders and read-only files by this call.
  if (S_ISDIR(st.st_mode)) return plat::fail(ERROR_ACCESS_DENIED);
  if (!S_ISLNK(st.st_mode) && !plat::writable(st)) return plat::fail(ERROR_ACCESS_DENIED);
  if (!plat::mayDeleteOrRename(path)) return FALSE;
  if (::unlink(path.c_str()) != 0) return plat::failPath(errno, path);
  return TRUE;
}

PLATFORM_API BOOL WINAPI MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName) {
  return plat::moveFile(lpExistingFileName, lpNewFileName, MOVEFILE_COPY_ALLOWED);
}

PLATFORM_API BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
  if (lpNewFileName == nullptr) {
    // Deletion at reboot has no meaning here.
    return plat::fail(ERROR_INVALID_PARAMETER);
  }
  return plat::moveFile(lpExistingFileName, lpNewFileName, dwFlags);
}

PLATFORM_API DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
  std::string path = plat::mappedOrFail(lpFileName);
  if (path.empty()) return INVALID_FILE_ATTRIBUTES;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    SetLastError(plat::pathError(errno, path));
    return INVALID_FILE_ATTRIBUTES;
  }
  return plat::attributesFrom(st);
}

PLATFORM_API BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
  std::string path = plat::mappedOrFail(lpFileName);
  if (path.empty()) return FALSE;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return plat::failPath(errno, path);
  // Only the read-only flag has a Linux counterpart: the write bits.
  mode_t mode = st.st_mode & 07777;
  if (dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  } else if (!plat::writable(st)) {
    mode |= S_IWUSR;
  }
  if (mode != (st.st_mode & 07777) && ::chmod(path.c_str(), mode) != 0) return plat::failPath(errno, path);
  return TRUE;
}
