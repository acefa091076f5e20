// Windows paths on the Linux file system.
//
// "C:\Rukbase\DEFAULT.CAL" maps to <root>/c/Rukbase/DEFAULT.CAL, where the
// root is $ORVANE_ROOT (default $XDG_DATA_HOME/orvane, else
// ~/.local/share/orvane). Backslashes become slashes, and each component
// that already exists is found without regard to case. A relative path is
// taken from the current directory. A path that is already a Linux
// absolute path ("/tmp/x") is left as it is.
#pragma once
#include <string>

namespace plat {

// The Linux path for a Windows path; existing components resolved without
// regard to case, the rest kept as written.
std::string mapWindowsPath(const std::string& windowsPath);

// The root folder under which drive letters map.
std::string driveRoot();

// The folder of the running program (the App.Path of the monitor).
std::string programFolder();

}  // namespace plat
