// Whether a file has a view mapped in any process: the kernel's list of
// each process's mappings names the device and inode of every mapped file.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "kernel32/mapping_object.h"

namespace plat {

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

bool mapsInclude(const std::string& mapsPath, unsigned major, unsigned minor, unsigned long inode) {
  std::unique_ptr<FILE, FileCloser> maps(std::fopen(mapsPath.c_str(), "re"));
  if (!maps) return false;  // gone, or not ours to read
  char line[4096 + 256];
  while (std::fgets(line, sizeof line, maps.get()) != nullptr) {
    unsigned lineMajor = 0, lineMinor = 0;
    unsigned long lineInode = 0;
    if (std::sscanf(line, "%*x-%*x %*s %*x %x:%x %lu", &lineMajor, &lineMinor, &lineInode) == 3 &&
        lineInode == inode && lineMajor == major && lineMinor == minor) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool fileIsMapped(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  unsigned fileMajor = ::major(st.st_dev), fileMinor = ::minor(st.st_dev);
  unsigned long inode = static_cast<unsigned long>(st.st_ino);
  std::unique_ptr<DIR, DirCloser> proc(::opendir("/proc"));
  if (!proc) return false;
  while (const dirent* entry = ::readdir(proc.get())) {
    char* end = nullptr;
    std::strtoul(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0') continue;
    if (mapsInclude(std::string("/proc/") + entry->d_name + "/maps", fileMajor, fileMinor, inode)) return true;
  }
  return false;
}

}  // namespace plat
