// INI files on disk: whole-file reads, and edits that replace the file by
// rename so that a failed or interrupted write never loses its content.
#include "kernel32/profile_file.h"
#include "kernel32/errno_map.h"
#include "kernel32/unique_fd.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

namespace plat::ini {

namespace {

using plat::UniqueFd;

// INI writes have always reported a read-only medium as access denied.
DWORD windowsError(int error) { return error == EROFS ? ERROR_ACCESS_DENIED : errorFromErrno(error); }

bool fail(DWORD& error, DWORD code) {
  error = code;
  return false;
}

bool failErrno(DWORD& error) { return fail(error, windowsError(errno)); }

bool writeAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Writers of this process take turns on one lock; writers of other
// processes on a lock of the folder, which stays the same inode while the
// files in it are replaced.
std::mutex& writersLock() {
  static auto* lock = new std::mutex;
  return *lock;
}

constexpr auto kFolderLockTimeout = std::chrono::seconds(10);

bool lockFolder(int dirFd, DWORD& error) {
  auto deadline = std::chrono::steady_clock::now() + kFolderLockTimeout;
  while (::flock(dirFd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return failErrno(error);
    if (std::chrono::steady_clock::now() >= deadline) return fail(error, ERROR_LOCK_VIOLATION);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// A symbolic link is followed, so the file it names is the one replaced.
std::string targetOf(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  return real ? std::string(real.get()) : path;
}

// Writes `bytes` to a fresh file in the folder and renames it to `name`.
bool replaceFile(int dirFd, const std::string& name, const std::string& bytes, const struct stat* old,
                 DWORD& error) {
  static std::atomic<unsigned> counter{0};
  std::string temporary;
  UniqueFd fd;
  for (int attempt = 0; attempt < 100 && !fd; ++attempt) {
    temporary = ".~ini" + std::to_string(::getpid()) + "." + std::to_string(counter++);
    fd = UniqueFd(::openat(dirFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd && errno != EEXIST) return failErrno(error);
  }
  if (!fd) return fail(error, ERROR_CANNOT_MAKE);

  bool ok = writeAll(fd.get(), bytes);
  if (ok && old != nullptr) {
    // Keep the file's permissions and, where we may, its owner.
    ok = ::fchmod(fd.get(), old->st_mode & 07777) == 0;
    if (ok && ::geteuid() == 0) (void)!::fchown(fd.get(), old->st_uid, old->st_gid);
  }
  // No flush to disk: callers write one key at a time, hundreds per save,
  // and the rename alone already means a reader or a crashed writer never
  // sees half a file.
  ok = fd.close() && ok;
  ok = ok && ::renameat(dirFd, temporary.c_str(), dirFd, name.c_str()) == 0;
  if (!ok) {
    int saved = errno;
    ::unlinkat(dirFd, temporary.c_str(), 0);
    errno = saved;
    return failErrno(error);
  }
  return true;
}

}  // namespace

bool readFile(const std::string& path, std::string& bytes, DWORD& error) {
  bytes.clear();
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return failErrno(error);
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return failErrno(error);
  if (S_ISDIR(st.st_mode)) return fail(error, ERROR_ACCESS_DENIED);
  if (S_ISREG(st.st_mode)) bytes.reserve(static_cast<size_t>(st.st_size));
  char chunk[65536];
  for (;;) {
    ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failErrno(error);
    if (n == 0) break;
    bytes.append(chunk, static_cast<size_t>(n));
  }
  return true;
}

bool editFile(const std::string& path, const std::function<bool(Document&)>& edit, DWORD& error) {
  std::lock_guard<std::mutex> processTurn(writersLock());
  std::string target = targetOf(path);
  size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (name.empty()) return fail(error, ERROR_INVALID_NAME);

  UniqueFd dirFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dirFd) return fail(error, errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : windowsError(errno));
  if (!lockFolder(dirFd.get(), error)) return false;  // released when dirFd closes

  std::string bytes;
  struct stat old;
  bool exists = ::fstatat(dirFd.get(), name.c_str(), &old, 0) == 0;
  if (exists) {
    if (!readFile(target, bytes, error)) return false;
    if (::faccessat(dirFd.get(), name.c_str(), W_OK, 0) != 0) return fail(error, ERROR_ACCESS_DENIED);
  } else if (errno != ENOENT) {
    return failErrno(error);
  }

  Document document(bytes);
  if (!edit(document)) return true;
  std::string replacement = document.serialize();
  if (exists && replacement == bytes) return true;
  return replaceFile(dirFd.get(), name, replacement, exists ? &old : nullptr, error);
}

}  // namespace plat::ini
