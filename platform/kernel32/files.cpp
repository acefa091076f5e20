// CreateFileA and the calls on file handles.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cctype>
#include <cstring>

#include "kernel32/file_object.h"
#include "kernel32/paths.h"

namespace plat {
namespace {

HANDLE failOpen(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

// "\\.\NAME" and "\\?\NAME" name devices; "\\?\C:\..." is a drive path.
bool isDeviceName(const char* name) {
  if (std::strncmp(name, "\\\\.\\", 4) != 0 && std::strncmp(name, "\\\\?\\", 4) != 0) return false;
  return !(std::isalpha(static_cast<unsigned char>(name[4])) && name[5] == ':');
}

int accessFlags(DWORD access) {
  constexpr DWORD kReads = GENERIC_READ | GENERIC_ALL | GENERIC_EXECUTE;
  constexpr DWORD kWrites = GENERIC_WRITE | GENERIC_ALL;
  bool reads = (access & kReads) != 0;
  bool writes = (access & kWrites) != 0;
  return reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
}

struct Opened {
  UniqueFd fd;
  bool existed = false;
};

// Opens or creates the file as the disposition says, without truncating
// yet: a truncation must wait until the share check has passed.
DWORD openByDisposition(const std::string& path, int flags, DWORD disposition, mode_t mode, Opened& out) {
  const bool mayCreate = disposition == CREATE_NEW || disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
  // A file deleted and created by someone else between the two tries
  // sends us round again; a few rounds settle it.
  for (int round = 0; round < 8; ++round) {
    if (disposition != CREATE_NEW) {
      int fd = ::open(path.c_str(), flags | O_CLOEXEC);
      if (fd >= 0) {
        out.fd = UniqueFd(fd);
        out.existed = true;
        return ERROR_SUCCESS;
      }
      if (errno != ENOENT || !mayCreate) return pathError(errno, path);
    }
    int fd = ::open(path.c_str(), flags | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) {
      out.fd = UniqueFd(fd);
      out.existed = false;
      return ERROR_SUCCESS;
    }
    if (errno != EEXIST) return pathError(errno, path);
    if (disposition == CREATE_NEW) return ERROR_FILE_EXISTS;
  }
  return ERROR_SHARING_VIOLATION;
}

HANDLE openDirectory(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  if (!(flags & FILE_FLAG_BACKUP_SEMANTICS)) return failOpen(ERROR_ACCESS_DENIED);
  if (disposition != OPEN_EXISTING && disposition != OPEN_ALWAYS) return failOpen(ERROR_ACCESS_DENIED);
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd) return failOpen(pathError(errno, path));
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return failOpen(errorFromErrno(errno));
  auto lease = ShareLease::acquire(FileIdentity{st.st_dev, st.st_ino}, access, share);
  if (!lease) return INVALID_HANDLE_VALUE;
  // Folders take no reads or writes; the handle serves time and identity.
  auto object = std::make_shared<FileObject>(std::move(fd), path, 0, flags, true, std::move(lease));
  SetLastError(disposition == OPEN_ALWAYS ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return insertHandle(object);
}

HANDLE openFile(const char* name, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return failOpen(ERROR_INVALID_PARAMETER);
  if (disposition == TRUNCATE_EXISTING && !(accessFlags(access) & (O_WRONLY | O_RDWR))) {
    return failOpen(ERROR_INVALID_PARAMETER);
  }
  std::string path = mapWindowsPath(name);
  if (path.empty()) return failOpen(ERROR_PATH_NOT_FOUND);

  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    if (disposition == CREATE_NEW) return failOpen(ERROR_FILE_EXISTS);
    return openDirectory(path, access, share, disposition, flags);
  }

  int openFlags = accessFlags(access);
  mode_t mode = (flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  Opened opened;
  DWORD error = openByDisposition(path, openFlags, disposition, mode, opened);
  if (error == ERROR_ACCESS_DENIED && access == 0 && disposition == OPEN_EXISTING) {
    // A handle for attributes only needs no read permission.
    opened.fd = UniqueFd(::open(path.c_str(), O_PATH | O_CLOEXEC));
    opened.existed = true;
    error = opened.fd ? ERROR_SUCCESS : pathError(errno, path);
  }
  if (error != ERROR_SUCCESS) return failOpen(error);

  if (::fstat(opened.fd.get(), &st) != 0) return failOpen(errorFromErrno(errno));
  auto lease = ShareLease::acquire(FileIdentity{st.st_dev, st.st_ino}, access, share);
  if (!lease) return INVALID_HANDLE_VALUE;

  bool truncate = opened.existed && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING);
  if (truncate && ::ftruncate(opened.fd.get(), 0) != 0) return failOpen(errorFromErrno(errno));

  auto object = std::make_shared<FileObject>(std::move(opened.fd), path, access, flags, false, std::move(lease));
  HANDLE handle = insertHandle(object);
  bool reportExisting = opened.existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
  SetLastError(reportExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

std::shared_ptr<FileObject> fileOrFail(HANDLE handle) {
  auto file = lookupFile(handle);
  if (!file) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

}  // namespace
}  // namespace plat

PLATFORM_API HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                       LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition,
                                       DWORD dwFlagsAndAttributes, HANDLE) {
  if (lpFileName == nullptr || *lpFileName == '\0') return plat::failOpen(ERROR_PATH_NOT_FOUND);
  HANDLE result = INVALID_HANDLE_VALUE;
  if (plat::openSerialPort(lpFileName, dwDesiredAccess, dwFlagsAndAttributes, result)) return result;
  if (plat::openDevice(lpFileName, dwDesiredAccess, dwShareMode, dwFlagsAndAttributes, result)) return result;
  if (plat::isDeviceName(lpFileName)) return plat::failOpen(ERROR_FILE_NOT_FOUND);
  return plat::openFile(lpFileName, dwDesiredAccess, dwShareMode, dwCreationDisposition, dwFlagsAndAttributes);
}

PLATFORM_API BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                                  LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
  auto object = plat::lookupAs<plat::IoObject>(hFile);
  if (!object) return plat::fail(ERROR_INVALID_HANDLE);
  return object->read(lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead, lpOverlapped);
}

PLATFORM_API BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                                   LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
  auto object = plat::lookupAs<plat::IoObject>(hFile);
  if (!object) return plat::fail(ERROR_INVALID_HANDLE);
  return object->write(lpBuffer, nNumberOfBytesToWrite, lpNumberOfBytesWritten, lpOverlapped);
}

PLATFORM_API BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
  auto object = plat::lookupAs<plat::IoObject>(hFile);
  if (!object) return plat::fail(ERROR_INVALID_HANDLE);
  return object->flush();
}

PLATFORM_API DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                                         DWORD dwMoveMethod) {
  auto file = plat::fileOrFail(hFile);
  if (!file) return INVALID_SET_FILE_POINTER;
  LONGLONG distance = lDistanceToMove;  // without a high part the low one is signed
  if (lpDistanceToMoveHigh != nullptr) {
    distance = static_cast<LONGLONG>((static_cast<ULONGLONG>(static_cast<DWORD>(*lpDistanceToMoveHigh)) << 32) |
                                     static_cast<DWORD>(lDistanceToMove));
  }
  LONGLONG position = 0;
  if (lpDistanceToMoveHigh == nullptr && dwMoveMethod <= FILE_END) {
    // The result must fit the 32 bits the caller can see; check first so
    // a refused move leaves the pointer where it was.
    LONGLONG base = 0;
    if (dwMoveMethod == FILE_CURRENT) file->seek(0, FILE_CURRENT, &base);
    if (dwMoveMethod == FILE_END && !file->size(&base)) return INVALID_SET_FILE_POINTER;
    if (base + distance > 0xFFFFFFFEll) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_SET_FILE_POINTER;
    }
  }
  if (!file->seek(distance, dwMoveMethod, &position)) return INVALID_SET_FILE_POINTER;
  if (lpDistanceToMoveHigh != nullptr) *lpDistanceToMoveHigh = static_cast<LONG>(position >> 32);
  // A position whose low part is 0xFFFFFFFF is told apart by the last error.
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(position);
}

PLATFORM_API BOOL WINAPI SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove,
                                          PLARGE_INTEGER lpNewFilePointer, DWORD dwMoveMethod) {
  auto file = plat::fileOrFail(hFile);
  if (!file) return FALSE;
  LONGLONG position = 0;
  if (!file->seek(liDistanceToMove.QuadPart, dwMoveMethod, &position)) return FALSE;
  if (lpNewFilePointer != nullptr) lpNewFilePointer->QuadPart = position;
  return TRUE;
}

PLATFORM_API BOOL WINAPI SetEndOfFile(HANDLE hFile) {
  auto file = plat::fileOrFail(hFile);
  return file ? file->setEndAtPointer() : FALSE;
}

PLATFORM_API DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  auto file = plat::fileOrFail(hFile);
  LONGLONG size = 0;
  if (!file || !file->size(&size)) return INVALID_FILE_SIZE;
  if (lpFileSizeHigh != nullptr) *lpFileSizeHigh = static_cast<DWORD>(static_cast<ULONGLONG>(size) >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size);
}

PLATFORM_API BOOL WINAPI GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize) {
  if (lpFileSize == nullptr) return plat::fail(ERROR_INVALID_PARAMETER);
  auto file = plat::fileOrFail(hFile);
  LONGLONG size = 0;
  if (!file || !file->size(&size)) return FALSE;
  lpFileSize->QuadPart = size;
  return TRUE;
}

PLATFORM_API DWORD WINAPI GetFileType(HANDLE hFile) {
  plat::ObjectPtr object = plat::lookupHandle(hFile);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FILE_TYPE_UNKNOWN;
  }
  SetLastError(ERROR_SUCCESS);
  switch (object->kind()) {
    case plat::ObjectKind::File:
      return FILE_TYPE_DISK;
    case plat::ObjectKind::Device:
    case plat::ObjectKind::Serial:
      return FILE_TYPE_CHAR;
    default:
      return FILE_TYPE_UNKNOWN;
  }
}

PLATFORM_API BOOL WINAPI GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                                     LPFILETIME lpLastWriteTime) {
  auto file = plat::fileOrFail(hFile);
  if (!file) return FALSE;
  struct stat st;
  if (::fstat(file->fd(), &st) != 0) return plat::fail(plat::errorFromErrno(errno));
  // Linux keeps no creation time in struct stat; the last write stands in.
  if (lpCreationTime != nullptr) *lpCreationTime = plat::fileTimeFrom(st.st_mtim);
  if (lpLastAccessTime != nullptr) *lpLastAccessTime = plat::fileTimeFrom(st.st_atim);
  if (lpLastWriteTime != nullptr) *lpLastWriteTime = plat::fileTimeFrom(st.st_mtim);
  return TRUE;
}
