// The one table from errno values of file-system calls to Windows errors.
#include "kernel32/errno_map.h"

#include <cerrno>

namespace plat {

namespace {
struct ErrnoMapping {
  int error;
  DWORD windowsError;
};
constexpr ErrnoMapping kErrnoTable[] = {
    {ENOENT, ERROR_FILE_NOT_FOUND},     {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {ELOOP, ERROR_PATH_NOT_FOUND},      {EACCES, ERROR_ACCESS_DENIED},
    {EPERM, ERROR_ACCESS_DENIED},       {EISDIR, ERROR_ACCESS_DENIED},
    {EEXIST, ERROR_FILE_EXISTS},        {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
    {ENOSPC, ERROR_DISK_FULL},          {EDQUOT, ERROR_DISK_FULL},
    {EROFS, ERROR_WRITE_PROTECT},       {EBUSY, ERROR_BUSY},
    {ETXTBSY, ERROR_SHARING_VIOLATION}, {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES}, {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},  {EBADF, ERROR_INVALID_HANDLE},
    {EINVAL, ERROR_INVALID_PARAMETER},  {EFBIG, ERROR_DISK_FULL},
    {EIO, ERROR_GEN_FAILURE},          {EWOULDBLOCK, ERROR_LOCK_VIOLATION},
};
}  // namespace

DWORD errorFromErrno(int error) {
  for (const ErrnoMapping& entry : kErrnoTable) {
    if (entry.error == error) return entry.windowsError;
  }
  return ERROR_GEN_FAILURE;
}

}  // namespace plat
