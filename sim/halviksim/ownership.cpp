#include "ownership.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <outside/halvikdrv.h>

namespace halviksim {

namespace {

// $HALVIKSIM_STATE_DIR, else a folder under the platform root, else one
// under $TMPDIR; looked at on every call, so each test can have its own.
std::string stateFolder() {
  if (const char* dir = std::getenv("HALVIKSIM_STATE_DIR"); dir != nullptr && *dir != '\0') return dir;
  if (const char* root = std::getenv("ORVANE_ROOT"); root != nullptr && *root != '\0') {
    return std::string(root) + "/halviksim";
  }
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/halviksim-" + std::to_string(::getuid());
}

std::string fileName(const std::string& deviceName) {
  std::string name;
  for (unsigned char c : deviceName) name += std::isalnum(c) ? static_cast<char>(std::toupper(c)) : '_';
  return name + ".holder";
}

// An ended process that its parent has not reaped still answers a signal
// probe; its state says it is gone. Without its state to read, the probe.
bool alive(int32_t pid) {
  if (pid <= 0) return false;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (std::getline(stat, line)) {
    // The state follows the name, which is in parentheses and may hold any.
    const size_t nameEnd = line.rfind(')');
    if (nameEnd != std::string::npos && nameEnd + 2 < line.size()) {
      const char state = line[nameEnd + 2];
      return state != 'Z' && state != 'X';
    }
  }
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

// flock for the length of a scope.
struct Locked {
  int fd;
  bool ok;
  explicit Locked(int descriptor) : fd(descriptor), ok(::flock(descriptor, LOCK_EX) == 0) {}
  ~Locked() {
    if (ok) ::flock(fd, LOCK_UN);
  }
};

int32_t readHolder(int fd) {
  int32_t pid = 0;
  return ::pread(fd, &pid, sizeof pid, 0) == static_cast<ssize_t>(sizeof pid) ? pid : 0;
}

void writeHolder(int fd, int32_t pid) { (void)!::pwrite(fd, &pid, sizeof pid, 0); }

}  // namespace

HolderFile::HolderFile(std::string deviceName) : deviceName_(std::move(deviceName)) {}

HolderFile::~HolderFile() {
  if (fd_ >= 0) ::close(fd_);
}

int HolderFile::descriptorLocked() {
  const std::string folder = stateFolder();
  const std::string path = folder + "/" + fileName(deviceName_);
  if (fd_ >= 0 && opener_ == ::getpid() && path == openPath_) return fd_;
  if (fd_ >= 0) ::close(fd_);
  heldBy_ = 0;
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  opener_ = ::getpid();
  openPath_ = path;
  return fd_;
}

int32_t HolderFile::claim(int32_t pid) {
  std::lock_guard<std::mutex> guard(mutex_);
  const int fd = descriptorLocked();
  if (fd < 0) return halvikdrv::kStatusNotAvailable;
  if (heldBy_ != 0 && heldBy_ == pid) return 0;
  Locked lock(fd);
  if (!lock.ok) return halvikdrv::kStatusNotAvailable;
  const int32_t holder = readHolder(fd);
  if (holder != pid) {
    if (alive(holder)) return halvikdrv::kStatusOtherProcess;
    writeHolder(fd, pid);
  }
  heldBy_ = pid;
  return 0;
}

void HolderFile::release(int32_t pid) {
  std::lock_guard<std::mutex> guard(mutex_);
  const int fd = descriptorLocked();
  if (fd < 0) return;
  if (heldBy_ == pid) heldBy_ = 0;
  Locked lock(fd);
  if (lock.ok && readHolder(fd) == pid) writeHolder(fd, 0);
}

}  // namespace halviksim
