// Module name mapping and the library search path.
#include "kernel32/module_names.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "kernel32/paths.h"

namespace plat {

std::string moduleStem(const char* windowsName) {
  if (windowsName == nullptr) return {};
  const char* base = windowsName;
  for (const char* p = windowsName; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/' || *p == ':') base = p + 1;
  }
  std::string stem(base);
  // Windows strips trailing blanks; a final dot means "no extension".
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  size_t dot = stem.rfind('.');
  if (dot != std::string::npos) stem.erase(dot);
  for (char& c : stem) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return stem;
}

bool isSystemStem(const std::string& stem) { return stem == "kernel32"; }

std::string libraryFileName(const std::string& stem) { return "lib" + stem + ".so"; }

const std::string& platformLibraryPath() {
  static const std::string* path = [] {
    Dl_info info{};
    auto self = reinterpret_cast<const void*>(&platformLibraryPath);
    return new std::string(dladdr(self, &info) != 0 && info.dli_fname ? info.dli_fname : "");
  }();
  return *path;
}

std::string programPath() {
  char buffer[4096];
  ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer) return {};
  return std::string(buffer, static_cast<size_t>(length));
}

namespace {

std::string folderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool isRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::string> searchFolders() {
  std::vector<std::string> folders;
  if (const char* list = std::getenv("ORVANE_LIBRARY_PATH")) {
    std::string text(list);
    size_t start = 0;
    while (start <= text.size()) {
      size_t colon = text.find(':', start);
      if (colon == std::string::npos) colon = text.size();
      if (colon > start) folders.push_back(text.substr(start, colon - start));
      start = colon + 1;
    }
  }
  if (!platformLibraryPath().empty()) folders.push_back(folderOf(platformLibraryPath()));
  std::string program = programFolder();
  folders.push_back(program);
  folders.push_back(program + "/../lib");
  return folders;
}

// Outside libraries that their Linux installations name in their own way:
// a machine that has one loads it by its module name, and only without it
// does the search below find our stand-in.
struct OutsideNames {
  const char* stem;
  const char* files[2];
};
constexpr OutsideNames kOutsideNames[] = {
    {"nicaiu", {"libnidaqmx.so.1", "libnidaqmx.so"}},
};

// The folders the system's loader searches, as far as a path can name them.
std::vector<std::string> systemFolders() {
  std::vector<std::string> folders;
  if (const char* list = std::getenv("LD_LIBRARY_PATH")) {
    std::string text(list);
    size_t start = 0;
    while (start <= text.size()) {
      size_t colon = text.find(':', start);
      if (colon == std::string::npos) colon = text.size();
      if (colon > start) folders.push_back(text.substr(start, colon - start));
      start = colon + 1;
    }
  }
  for (const char* folder : {"/usr/local/lib", "/usr/lib/x86_64-linux-gnu", "/lib/x86_64-linux-gnu", "/usr/lib64",
                             "/usr/lib", "/lib"}) {
    folders.emplace_back(folder);
  }
  return folders;
}

void addOutsideLibraries(const std::string& stem, std::vector<std::string>& found) {
  for (const OutsideNames& names : kOutsideNames) {
    if (stem != names.stem) continue;
    for (const char* file : names.files) {
      for (const std::string& folder : systemFolders()) {
        std::string path = folder + "/" + file;
        if (isRegularFile(path)) found.push_back(path);
      }
    }
  }
}

}  // namespace

std::vector<std::string> libraryCandidates(const std::string& stem) {
  std::vector<std::string> found;
  if (stem.empty()) return found;
  if (isSystemStem(stem)) {
    if (!platformLibraryPath().empty()) found.push_back(platformLibraryPath());
    return found;
  }
  addOutsideLibraries(stem, found);
  const std::string file = libraryFileName(stem);
  for (const std::string& folder : searchFolders()) {
    std::string path = folder + "/" + file;
    if (isRegularFile(path)) found.push_back(path);
  }
  return found;
}

}  // namespace plat
