// Handles of regular files (and of folders opened with backup semantics),
// and the share modes between them.
#pragma once
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

#include <memory>
#include <string>

#include "kernel32/io_object.h"
#include "kernel32/unique_fd.h"

namespace plat {

// The identity of a file on disk, whatever name it was opened by.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// One open of a file in the share table; leaving it removes the open.
// Windows refuses an open whose access the earlier opens do not share, or
// whose share mode does not allow their access; handles opened by this
// process are checked against each other. An open without data access is
// left out of the table.
class ShareLease {
 public:
  // Null with ERROR_SHARING_VIOLATION set when the open conflicts.
  static std::unique_ptr<ShareLease> acquire(const FileIdentity& id, DWORD access, DWORD share);
  ~ShareLease();
  ShareLease(const ShareLease&) = delete;
  ShareLease& operator=(const ShareLease&) = delete;

 private:
  ShareLease(const FileIdentity& id, uint64_t serial) : id_(id), serial_(serial) {}
  FileIdentity id_;
  uint64_t serial_;
};

// Whether a file may be deleted or renamed now: false (with
// ERROR_SHARING_VIOLATION set) while an open of it does not share delete.
bool mayDeleteOrRename(const std::string& linuxPath);

class FileObject : public IoObject {
 public:
  // access: GENERIC_READ/GENERIC_WRITE; flags: the FILE_FLAG_* bits.
  FileObject(UniqueFd fd, std::string linuxPath, DWORD access, DWORD flags, bool directory,
             std::unique_ptr<ShareLease> lease);
  ~FileObject() override;

  int fd() const { return fd_.get(); }
  const std::string& path() const { return path_; }
  bool canRead() const { return readable_; }
  bool canWrite() const { return writable_; }
  bool overlapped() const { return overlapped_; }
  bool isDirectory() const { return directory_; }

  BOOL read(void* buffer, DWORD toRead, DWORD* done, OVERLAPPED* overlapped) override;
  BOOL write(const void* buffer, DWORD toWrite, DWORD* done, OVERLAPPED* overlapped) override;
  BOOL flush() override;

  // FILE_BEGIN/FILE_CURRENT/FILE_END; ERROR_NEGATIVE_SEEK before the start.
  BOOL seek(LONGLONG distance, DWORD method, LONGLONG* position);
  BOOL setEndAtPointer();
  BOOL size(LONGLONG* size);

 private:
  UniqueFd fd_;
  std::string path_;
  bool readable_;
  bool writable_;
  bool overlapped_;
  bool directory_;
  std::unique_ptr<ShareLease> lease_;
};

std::shared_ptr<FileObject> lookupFile(HANDLE handle);

// Windows times count 100 ns steps from 1601-01-01 UTC.
FILETIME fileTimeFrom(const struct timespec& time);
// The Windows attributes of a file on disk: FILE_ATTRIBUTE_DIRECTORY,
// READONLY when no one may write it, ARCHIVE for other files.
DWORD attributesFrom(const struct stat& st);

}  // namespace plat
