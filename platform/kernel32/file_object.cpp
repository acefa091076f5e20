// Regular-file handles: synchronous I/O at the handle's file pointer, or at
// the OVERLAPPED offset, and the per-process share table.
#include "kernel32/file_object.h"
#include "kernel32/mapping_object.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <vector>

#include "kernel32/paths.h"

namespace plat {

// ---- share table ----------------------------------------------------------

namespace {

struct OpenEntry {
  FileIdentity id;
  DWORD access;  // normalised: GENERIC_READ | GENERIC_WRITE | DELETE
  DWORD share;
  uint64_t serial;
};

struct ShareTable {
  std::mutex mutex;
  std::vector<OpenEntry> opens;
  uint64_t nextSerial = 1;
};

ShareTable& shareTable() {
  static auto* table = new ShareTable;  // handles may close during static destruction
  return *table;
}

DWORD normaliseAccess(DWORD access) {
  DWORD result = access & (GENERIC_READ | GENERIC_WRITE | DELETE);
  if (access & GENERIC_ALL) result |= GENERIC_READ | GENERIC_WRITE | DELETE;
  if (access & GENERIC_EXECUTE) result |= GENERIC_READ;
  return result;
}

// Whether an open with (access, share) may live beside an existing one.
bool compatible(DWORD access, DWORD share, const OpenEntry& other) {
  struct Rule {
    DWORD access;
    DWORD share;
  };
  static constexpr Rule kRules[] = {
      {GENERIC_READ, FILE_SHARE_READ}, {GENERIC_WRITE, FILE_SHARE_WRITE}, {DELETE, FILE_SHARE_DELETE}};
  for (const Rule& rule : kRules) {
    if ((access & rule.access) && !(other.share & rule.share)) return false;
    if ((other.access & rule.access) && !(share & rule.share)) return false;
  }
  return true;
}

}  // namespace

std::unique_ptr<ShareLease> ShareLease::acquire(const FileIdentity& id, DWORD access, DWORD share) {
  ShareTable& table = shareTable();
  DWORD normalised = normaliseAccess(access);
  // An open without data access (attributes only) takes no part in sharing:
  // it conflicts with nothing and its share mode asks nothing of others.
  if (normalised == 0) return std::unique_ptr<ShareLease>(new ShareLease(id, 0));
  std::lock_guard<std::mutex> lock(table.mutex);
  for (const OpenEntry& entry : table.opens) {
    if (entry.id == id && !compatible(normalised, share, entry)) {
      SetLastError(ERROR_SHARING_VIOLATION);
      return nullptr;
    }
  }
  uint64_t serial = table.nextSerial++;
  table.opens.push_back(OpenEntry{id, normalised, share, serial});
  return std::unique_ptr<ShareLease>(new ShareLease(id, serial));
}

ShareLease::~ShareLease() {
  if (serial_ == 0) return;
  ShareTable& table = shareTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  std::erase_if(table.opens, [this](const OpenEntry& entry) { return entry.serial == serial_; });
}

bool mayDeleteOrRename(const std::string& linuxPath) {
  struct stat st;
  if (::stat(linuxPath.c_str(), &st) != 0) return true;  // the caller's own call reports the error
  FileIdentity id{st.st_dev, st.st_ino};
  ShareTable& table = shareTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  for (const OpenEntry& entry : table.opens) {
    if (entry.id == id && !(entry.share & FILE_SHARE_DELETE)) {
      SetLastError(ERROR_SHARING_VIOLATION);
      return false;
    }
  }
  return true;
}

// ---- file object -----------------------------------------------------------

namespace {

constexpr ULONG_PTR kStatusSuccess = 0;
constexpr ULONG_PTR kStatusEndOfFile = 0xC0000011u;
constexpr ULONG_PTR kStatusDiskFull = 0xC000007Fu;
constexpr ULONG_PTR kStatusIoError = 0xC0000185u;

LONGLONG offsetOf(const OVERLAPPED* overlapped) {
  return static_cast<LONGLONG>((static_cast<ULONGLONG>(overlapped->OffsetHigh) << 32) | overlapped->Offset);
}

// The request ran synchronously; report it as an overlapped request that
// completed at once, so callers that wait on the event or call
// GetOverlappedResult see the usual completion.
void complete(OVERLAPPED* overlapped, ULONG_PTR status, DWORD bytes) {
  if (overlapped == nullptr) return;
  overlapped->Internal = status;
  overlapped->InternalHigh = bytes;
  if (overlapped->hEvent != nullptr) SetEvent(overlapped->hEvent);
}

}  // namespace

FileObject::FileObject(UniqueFd fd, std::string linuxPath, DWORD access, DWORD flags, bool directory,
                       std::unique_ptr<ShareLease> lease)
    : IoObject(ObjectKind::File),
      fd_(std::move(fd)),
      path_(std::move(linuxPath)),
      readable_((normaliseAccess(access) & GENERIC_READ) != 0),
      writable_((normaliseAccess(access) & GENERIC_WRITE) != 0),
      overlapped_((flags & FILE_FLAG_OVERLAPPED) != 0),
      directory_(directory),
      lease_(std::move(lease)) {}

FileObject::~FileObject() = default;

BOOL FileObject::read(void* buffer, DWORD toRead, DWORD* done, OVERLAPPED* overlapped) {
  if (done != nullptr) *done = 0;
  if (directory_) return fail(ERROR_INVALID_FUNCTION);
  if (!readable_) return fail(ERROR_ACCESS_DENIED);
  if (buffer == nullptr && toRead != 0) return fail(ERROR_NOACCESS);
  LONGLONG offset = overlapped != nullptr ? offsetOf(overlapped) : -1;
  char* out = static_cast<char*>(buffer);
  DWORD total = 0;
  while (total < toRead) {
    ssize_t n = offset >= 0 ? ::pread(fd_.get(), out + total, toRead - total, offset + total)
                            : ::read(fd_.get(), out + total, toRead - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      DWORD error = errorFromErrno(errno);
      complete(overlapped, kStatusIoError, total);
      return fail(error);
    }
    if (n == 0) break;
    total += static_cast<DWORD>(n);
  }
  if (offset >= 0 && !overlapped_) ::lseek(fd_.get(), offset + total, SEEK_SET);
  if (done != nullptr) *done = total;
  if (overlapped != nullptr && total == 0 && toRead != 0) {
    // An overlapped read at the end reports it; a synchronous one returns
    // TRUE with nothing read.
    complete(overlapped, kStatusEndOfFile, 0);
    return fail(ERROR_HANDLE_EOF);
  }
  complete(overlapped, kStatusSuccess, total);
  return TRUE;
}

BOOL FileObject::write(const void* buffer, DWORD toWrite, DWORD* done, OVERLAPPED* overlapped) {
  if (done != nullptr) *done = 0;
  if (directory_) return fail(ERROR_INVALID_FUNCTION);
  if (!writable_) return fail(ERROR_ACCESS_DENIED);
  if (buffer == nullptr && toWrite != 0) return fail(ERROR_NOACCESS);
  LONGLONG offset = overlapped != nullptr ? offsetOf(overlapped) : -1;
  const char* in = static_cast<const char*>(buffer);
  DWORD total = 0;
  while (total < toWrite) {
    ssize_t n = offset >= 0 ? ::pwrite(fd_.get(), in + total, toWrite - total, offset + total)
                            : ::write(fd_.get(), in + total, toWrite - total);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      DWORD error = n < 0 ? errorFromErrno(errno) : ERROR_DISK_FULL;
      if (done != nullptr) *done = total;
      complete(overlapped, kStatusDiskFull, total);
      return fail(error);
    }
    total += static_cast<DWORD>(n);
  }
  if (offset >= 0 && !overlapped_) ::lseek(fd_.get(), offset + total, SEEK_SET);
  if (done != nullptr) *done = total;
  complete(overlapped, kStatusSuccess, total);
  return TRUE;
}

BOOL FileObject::flush() {
  if (!writable_) return fail(ERROR_ACCESS_DENIED);
  if (::fdatasync(fd_.get()) != 0 && errno != EINVAL) return fail(errorFromErrno(errno));
  return TRUE;
}

BOOL FileObject::seek(LONGLONG distance, DWORD method, LONGLONG* position) {
  static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (method > FILE_END) return fail(ERROR_INVALID_PARAMETER);
  LONGLONG base = 0;
  if (method == FILE_CURRENT) {
    base = ::lseek(fd_.get(), 0, SEEK_CUR);
  } else if (method == FILE_END) {
    if (!size(&base)) return FALSE;
  }
  if (base < 0) return fail(errorFromErrno(errno));
  if (distance < 0 && base + distance < 0) return fail(ERROR_NEGATIVE_SEEK);
  off_t result = ::lseek(fd_.get(), static_cast<off_t>(distance), kWhence[method]);
  if (result < 0) return fail(errno == EINVAL ? ERROR_NEGATIVE_SEEK : errorFromErrno(errno));
  if (position != nullptr) *position = result;
  return TRUE;
}

BOOL FileObject::setEndAtPointer() {
  if (!writable_) return fail(ERROR_ACCESS_DENIED);
  off_t position = ::lseek(fd_.get(), 0, SEEK_CUR);
  if (position < 0) return fail(errorFromErrno(errno));
  // Cutting a file under a view would kill the process that reads the lost
  // pages (in any process), so a mapped file may only grow.
  struct stat st;
  if (::fstat(fd_.get(), &st) == 0 && position < st.st_size && fileIsMapped(fd_.get())) {
    return fail(ERROR_USER_MAPPED_FILE);
  }
  if (::ftruncate(fd_.get(), position) != 0) return fail(errorFromErrno(errno));
  return TRUE;
}

BOOL FileObject::size(LONGLONG* size) {
  struct stat st;
  if (::fstat(fd_.get(), &st) != 0) return fail(errorFromErrno(errno));
  *size = st.st_size;
  return TRUE;
}

std::shared_ptr<FileObject> lookupFile(HANDLE handle) { return lookupAs<FileObject>(handle); }

FILETIME fileTimeFrom(const struct timespec& time) {
  constexpr ULONGLONG kEpochDifference = 116444736000000000ull;  // 1601 to 1970 in 100 ns
  LONGLONG ticks = static_cast<LONGLONG>(time.tv_sec) * 10000000 + time.tv_nsec / 100;
  ULONGLONG value = ticks < -static_cast<LONGLONG>(kEpochDifference) ? 0 : kEpochDifference + ticks;
  return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

DWORD attributesFrom(const struct stat& st) {
  DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

}  // namespace plat
