// Windows paths on the Linux file system.
//
// "C:\Rukbase\DEFAULT.CAL" maps to <root>/c/Rukbase/DEFAULT.CAL, where the
// root is $ORVANE_ROOT (default $XDG_DATA_HOME/orvane, else
// ~/.local/share/orvane). Backslashes become slashes, and each component
// that already exists is found without regard to case. A relative path is
// taken from the current directory. A path that is already a Linux
// absolute path ("/tmp/x") is left as it is.
#pragma once
#include <windows.h>

#include <string>

#include "kernel32/errno_map.h"

namespace plat {

// The Linux path for a Windows path; existing components resolved without
// regard to case, the rest kept as written.
std::string mapWindowsPath(const std::string& windowsPath);

// The root folder under which drive letters map.
std::string driveRoot();

// The folder of the running program (the App.Path of the monitor).
std::string programFolder();

// The full form of a path, as GetFullPathNameA gives it: "." and ".."
// applied, no lookup on disk. Drive paths keep their Windows form
// ("C:\a\b"), and so do relative ones from a current folder under the
// drive root; others become absolute Linux paths from the current folder.
std::string fullPathName(const std::string& path);

// The drive path of a Linux path under the drive root ("<root>/c/a/b" is
// "C:\a\b", "<root>/c" is "C:\"); empty for a path outside it.
std::string windowsFormOf(const std::string& linuxPath);

// The current folder as callers see it: a drive path when it lies under the
// drive root, else its Linux path (to which a "\name" still maps).
std::string callerCurrentDirectory();

// Returns text into a caller's buffer the Windows way: the length without
// the terminating zero when it fits, else the size needed including it
// (and the buffer untouched).
DWORD copyToBuffer(const std::string& text, char* buffer, DWORD size);

// As errorFromErrno, but ENOENT on `linuxPath` becomes ERROR_PATH_NOT_FOUND
// when the folder that would hold it does not exist.
DWORD pathError(int error, const std::string& linuxPath);
// Sets the last error from pathError() and returns FALSE, for one-line
// failure returns.
BOOL failPath(int error, const std::string& linuxPath);

// The mapped path of a caller's name, or empty with ERROR_PATH_NOT_FOUND set
// (a NULL or empty name).
std::string mappedOrFail(const char* name);

}  // namespace plat
