// Cross-process names of file mappings: one entry per name in /dev/shm,
// with open-file-description locks on two bytes of it.
//
//   byte 0, the turn lock: held exclusively while a process joins or
//           leaves, so joining and the last leave never interleave;
//   byte 1, the presence lock: every holder keeps a shared lock on it. Who
//           gets it exclusively while holding the turn is alone.
//
// The kernel drops both when a process dies, so a crashed holder never
// keeps a name alive. Names are the machine's, and a drive root is one
// machine: processes on other roots never meet in a name.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "kernel32/mapping_object.h"
#include "kernel32/paths.h"

namespace plat {

namespace {

constexpr char kMagic[8] = {'O', 'R', 'V', 'M', 'A', 'P', '0', '1'};
constexpr off_t kTurnByte = 0;
constexpr off_t kPresenceByte = 1;
constexpr auto kTurnTimeout = std::chrono::seconds(10);

struct Header {
  char magic[8];
  uint32_t fileBacked;
  uint32_t protect;
  uint64_t size;
  uint32_t pathLength;
  char path[4096];
};
static_assert(sizeof(Header) <= SharedSection::kHeaderSize);

bool setLock(int fd, off_t byte, short type, bool wait) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = byte;
  lock.l_len = 1;
  int result;
  do {
    result = ::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock);
  } while (result != 0 && errno == EINTR && wait);
  return result == 0;
}

// Takes the turn; bounded, as a holder keeps it only for a few calls.
bool takeTurn(int fd) {
  auto deadline = std::chrono::steady_clock::now() + kTurnTimeout;
  while (!setLock(fd, kTurnByte, F_WRLCK, false)) {
    if (errno != EAGAIN && errno != EACCES && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void endTurn(int fd) { setLock(fd, kTurnByte, F_UNLCK, false); }

std::string entryFolder() {
  struct stat st;
  if (::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) && ::access("/dev/shm", W_OK) == 0) return "/dev/shm";
  return "/tmp";
}

// Names may hold any byte; the entry's file name keeps the safe ones and
// escapes the rest, and a hash stands in for the tail of a very long name.
uint64_t fnv1a(const std::string& text) {
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

std::string entryPath(const std::string& name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : name) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
        c == '.') {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  constexpr size_t kKeep = 160;
  if (encoded.size() > kKeep) {
    char tail[20];
    std::snprintf(tail, sizeof tail, "~%016llx", static_cast<unsigned long long>(fnv1a(name)));
    encoded = encoded.substr(0, kKeep) + tail;
  }
  char machine[20];
  std::snprintf(machine, sizeof machine, "%016llx", static_cast<unsigned long long>(fnv1a(driveRoot())));
  return entryFolder() + "/orvane-" + std::to_string(::getuid()) + "-" + machine + "-map-" + encoded;
}

bool writeHeader(int fd, const SharedSection::Layout& layout, DWORD& error) {
  Header header{};
  std::memcpy(header.magic, kMagic, sizeof kMagic);
  header.fileBacked = layout.fileBacked ? 1 : 0;
  header.protect = layout.protect;
  header.size = layout.size;
  if (layout.filePath.size() >= sizeof header.path) {
    error = ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  header.pathLength = static_cast<uint32_t>(layout.filePath.size());
  std::memcpy(header.path, layout.filePath.data(), layout.filePath.size());
  if (::ftruncate(fd, 0) != 0 || ::ftruncate(fd, SharedSection::kHeaderSize) != 0 ||
      ::pwrite(fd, &header, sizeof header, 0) != static_cast<ssize_t>(sizeof header)) {
    error = errno == ENOSPC ? ERROR_NOT_ENOUGH_MEMORY : ERROR_GEN_FAILURE;
    return false;
  }
  return true;
}

bool readHeader(int fd, SharedSection::Layout& layout) {
  Header header{};
  if (::pread(fd, &header, sizeof header, 0) != static_cast<ssize_t>(sizeof header)) return false;
  if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 || header.pathLength >= sizeof header.path) {
    return false;
  }
  layout.fileBacked = header.fileBacked != 0;
  layout.protect = header.protect;
  layout.size = header.size;
  layout.filePath.assign(header.path, header.pathLength);
  return true;
}

// The descriptor still names the entry: a last holder may have removed it
// between our open and our turn.
bool stillLinked(int fd, const std::string& path) {
  struct stat mine, named;
  return ::fstat(fd, &mine) == 0 && mine.st_nlink > 0 && ::stat(path.c_str(), &named) == 0 &&
         mine.st_ino == named.st_ino && mine.st_dev == named.st_dev;
}

}  // namespace

std::string normalizedMappingName(const char* name) {
  std::string text = name != nullptr ? name : "";
  for (const char* prefix : {"Local\\", "Global\\"}) {
    size_t length = std::strlen(prefix);
    if (text.compare(0, length, prefix) == 0) return text.substr(length);
  }
  return text;
}

std::unique_ptr<SharedSection> SharedSection::create(const std::string& name, const Layout& wanted,
                                                     const std::function<bool(int, DWORD&)>& prepare,
                                                     bool& existed, DWORD& error) {
  return join(name, &wanted, &prepare, existed, error);
}

std::unique_ptr<SharedSection> SharedSection::open(const std::string& name, DWORD& error) {
  bool existed = false;
  return join(name, nullptr, nullptr, existed, error);
}

std::unique_ptr<SharedSection> SharedSection::join(const std::string& name, const Layout* wanted,
                                                   const std::function<bool(int, DWORD&)>* prepare,
                                                   bool& existed, DWORD& error) {
  std::string path = entryPath(name);
  for (int attempt = 0; attempt < 100; ++attempt) {
    int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (wanted != nullptr ? O_CREAT : 0);
    int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0) {
      error = errno == ENOENT ? ERROR_FILE_NOT_FOUND : errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_GEN_FAILURE;
      return nullptr;
    }
    auto giveUp = [&](DWORD code) -> std::unique_ptr<SharedSection> {
      endTurn(fd);
      ::close(fd);
      error = code;
      return nullptr;
    };
    if (!takeTurn(fd)) return giveUp(ERROR_TIMEOUT);
    if (!stillLinked(fd, path)) {
      endTurn(fd);
      ::close(fd);
      continue;
    }
    Layout layout;
    if (setLock(fd, kPresenceByte, F_WRLCK, false)) {
      // No process holds the entry: it is new, or left by a crashed one.
      if (wanted == nullptr) {
        ::unlink(path.c_str());
        return giveUp(ERROR_FILE_NOT_FOUND);
      }
      layout = *wanted;
      DWORD failure = ERROR_GEN_FAILURE;
      if (!writeHeader(fd, layout, failure) || !(*prepare)(fd, failure)) {
        ::unlink(path.c_str());
        return giveUp(failure);
      }
      existed = false;
    } else {
      if (!readHeader(fd, layout)) return giveUp(ERROR_INVALID_DATA);
      existed = true;
    }
    if (!setLock(fd, kPresenceByte, F_RDLCK, false)) return giveUp(ERROR_GEN_FAILURE);
    endTurn(fd);
    return std::unique_ptr<SharedSection>(new SharedSection(fd, std::move(path), std::move(layout)));
  }
  error = ERROR_GEN_FAILURE;
  return nullptr;
}

SharedSection::~SharedSection() {
  // Alone when the shared presence lock can become exclusive. The locks
  // belong to the open file, which a forked child shares with its parent:
  // only the process that joined may leave.
  if (::getpid() == owner_ && takeTurn(fd_)) {
    if (setLock(fd_, kPresenceByte, F_WRLCK, false) && stillLinked(fd_, path_)) ::unlink(path_.c_str());
    endTurn(fd_);
  }
  ::close(fd_);
}

}  // namespace plat
