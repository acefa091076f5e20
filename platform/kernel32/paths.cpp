// Windows paths on the Linux file system: drive letters under one root,
// backslashes, and names found without regard to case.
#include "kernel32/paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <vector>

namespace plat {

namespace {

bool isSlash(char c) { return c == '\\' || c == '/'; }
bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size(); ++i) {
    if (b[i] == '\0' || lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return b[i] == '\0';
}

bool exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string currentDirectory() {
  std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
  return cwd ? std::string(cwd.get()) : std::string("/");
}

// Splits on either slash and applies "." and ".." lexically, as Windows
// does; ".." never climbs above the base.
std::vector<std::string> components(const std::string& rest) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < rest.size()) {
    while (i < rest.size() && isSlash(rest[i])) ++i;
    size_t start = i;
    while (i < rest.size() && !isSlash(rest[i])) ++i;
    if (i == start) break;
    std::string part = rest.substr(start, i - start);
    if (part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(std::move(part));
  }
  return parts;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

// The entry of `folder` named `name` without regard to case; an exact match
// wins over others. Empty when there is none.
std::string findNoCase(const std::string& folder, const std::string& name) {
  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
  if (!dir) return {};
  std::string found;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (!equalNoCase(name, entry->d_name)) continue;
    if (name == entry->d_name) return name;
    if (found.empty()) found = entry->d_name;
  }
  return found;
}

std::string join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// Walks the components from an existing base; each existing one is taken
// in the case it has on disk. Once a component is missing, the rest cannot
// exist either and is kept as written.
std::string resolve(const std::string& base, const std::vector<std::string>& parts) {
  std::string path = base;
  bool searching = true;
  for (const std::string& part : parts) {
    std::string next = join(path, part);
    if (searching && !exists(next)) {
      std::string actual = findNoCase(path, part);
      if (actual.empty()) {
        searching = false;
      } else {
        next = join(path, actual);
      }
    }
    path = std::move(next);
  }
  return path;
}

}  // namespace

std::string driveRoot() {
  if (const char* root = std::getenv("ORVANE_ROOT"); root != nullptr && *root != '\0') {
    return withoutTrailingSlashes(root);
  }
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
    return withoutTrailingSlashes(data) + "/orvane";
  }
  const char* home = std::getenv("HOME");
  std::string base = (home != nullptr && *home == '/') ? withoutTrailingSlashes(home) : std::string("/tmp");
  return base + "/.local/share/orvane";
}

std::string mapWindowsPath(const std::string& windowsPath) {
  std::string path = windowsPath;
  if (path.empty()) return {};

  // "\\?\C:\..." is the long-path form of an ordinary drive path.
  if (path.size() >= 6 && path.compare(0, 4, "\\\\?\\") == 0 && isDriveLetter(path[4]) && path[5] == ':') {
    path.erase(0, 4);
  }

  // A Linux absolute path stays as it is; with backslashes in it (a Linux
  // current directory with "\sub\file" appended) its components still map.
  if (path[0] == '/') {
    if (path.find('\\') == std::string::npos) return path;
    return resolve("/", components(path));
  }

  std::string base;
  std::string rest;
  if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':') {
    base = driveRoot() + "/" + lowerAscii(path[0]);
    rest = path.substr(2);  // "C:foo" is taken from the drive's root
  } else if (path[0] == '\\') {
    base = driveRoot() + "/c";
    rest = path;
  } else {
    // Relative to the current directory; ".." may climb out of it.
    std::vector<std::string> parts = components(currentDirectory() + "/" + path);
    return resolve("/", parts);
  }
  return resolve(base, components(rest));
}

std::string windowsFormOf(const std::string& linuxPath) {
  if (linuxPath.empty() || linuxPath[0] != '/') return {};
  std::string root = driveRoot();
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(root.c_str(), nullptr), &std::free);
  for (const std::string& base : {root, real ? std::string(real.get()) : std::string()}) {
    if (base.empty() || linuxPath.size() < base.size() + 2 || linuxPath.compare(0, base.size(), base) != 0 ||
        linuxPath[base.size()] != '/') {
      continue;
    }
    const char letter = linuxPath[base.size() + 1];
    const size_t rest = base.size() + 2;
    if (letter < 'a' || letter > 'z' || (rest < linuxPath.size() && linuxPath[rest] != '/')) continue;
    std::string form = std::string(1, static_cast<char>(letter - 'a' + 'A')) + ":";
    const std::vector<std::string> parts = components(linuxPath.substr(rest));
    if (parts.empty()) return form + "\\";
    for (const std::string& part : parts) form += "\\" + part;
    return form;
  }
  return {};
}

std::string callerCurrentDirectory() {
  const std::string cwd = currentDirectory();
  const std::string form = windowsFormOf(cwd);
  return form.empty() ? cwd : form;
}

std::string fullPathName(const std::string& windowsPath) {
  std::string path = windowsPath;
  if (path.size() >= 6 && path.compare(0, 4, "\\\\?\\") == 0 && isDriveLetter(path[4]) && path[5] == ':') {
    path.erase(0, 4);
  }
  if (path.empty()) return {};
  bool drive = path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':';
  if (drive || path[0] == '\\') {
    char letter = drive ? path[0] : 'C';
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    std::string full = std::string(1, letter) + ":";
    std::vector<std::string> parts = components(drive ? path.substr(2) : path);
    if (parts.empty()) return full + "\\";
    for (const std::string& part : parts) full += "\\" + part;
    if (isSlash(path.back())) full += "\\";
    return full;
  }
  // From a current folder under the drive root the answer is a drive path,
  // so that a caller may go on joining it with backslashes.
  if (path[0] != '/') {
    const std::string cwd = windowsFormOf(currentDirectory());
    if (!cwd.empty()) return fullPathName(cwd + "\\" + path);
  }
  std::vector<std::string> parts = components(path[0] == '/' ? path : currentDirectory() + "/" + path);
  std::string full;
  for (const std::string& part : parts) full += "/" + part;
  if (full.empty()) return "/";
  if (isSlash(path.back())) full += "/";
  return full;
}

DWORD copyToBuffer(const std::string& text, char* buffer, DWORD size) {
  if (buffer == nullptr || size <= text.size()) return static_cast<DWORD>(text.size() + 1);
  text.copy(buffer, text.size());
  buffer[text.size()] = '\0';
  return static_cast<DWORD>(text.size());
}

std::string programFolder() {
  char buffer[4096];
  ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return currentDirectory();
  std::string exe(buffer, static_cast<size_t>(length));
  size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return currentDirectory();
  return slash == 0 ? std::string("/") : exe.substr(0, slash);
}

DWORD pathError(int error, const std::string& linuxPath) {
  if (error != ENOENT) return errorFromErrno(error);
  std::string folder = linuxPath;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  size_t slash = folder.rfind('/');
  if (slash == std::string::npos) return ERROR_FILE_NOT_FOUND;
  folder = slash == 0 ? std::string("/") : folder.substr(0, slash);
  struct stat st;
  bool folderExists = ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  return folderExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

BOOL failPath(int error, const std::string& linuxPath) {
  SetLastError(pathError(error, linuxPath));
  return FALSE;
}

std::string mappedOrFail(const char* name) {
  std::string path = name != nullptr ? mapWindowsPath(name) : std::string();
  if (path.empty()) SetLastError(ERROR_PATH_NOT_FOUND);
  return path;
}

}  // namespace plat
