// Windows errors for errno values.
#pragma once
#include <windows.h>

namespace plat {

// The Windows error for an errno value of a file-system call. ENOENT is
// ERROR_FILE_NOT_FOUND; paths.h has pathError() where the folder may be missing.
DWORD errorFromErrno(int error);

}  // namespace plat
