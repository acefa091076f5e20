// File mapping objects, their cross-process names, and the question other
// file calls ask before they cut a file: is a view of it mapped anywhere?
#pragma once
#include <windows.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "kernel32/object.h"

namespace plat {

#ifdef ERROR_INVALID_ADDRESS
constexpr DWORD kErrorInvalidAddress = ERROR_INVALID_ADDRESS;
#else
constexpr DWORD kErrorInvalidAddress = 487;
#endif

// The name of a mapping as every process of the user sees it: the session
// prefixes "Local\" and "Global\" name the same object here.
std::string normalizedMappingName(const char* name);

// A named mapping's entry in /dev/shm, shared by every process of the
// user. The entry starts with a header that tells what backs the mapping;
// a paging-file mapping keeps its bytes in the same entry after the header.
// Each holder keeps a shared lock on the entry; the last holder to leave
// removes it, and an entry that no process holds (its creator crashed) is
// taken as absent and started afresh.
class SharedSection {
 public:
  static constexpr uint64_t kHeaderSize = 65536;  // a multiple of every page size

  struct Layout {
    bool fileBacked = false;
    DWORD protect = 0;
    uint64_t size = 0;
    std::string filePath;  // Linux path of the backing file
  };

  // Joins the entry of `name`, or creates it with `wanted` when no process
  // holds it; `existed` tells which. `prepare` runs on a new entry's
  // descriptor before any other process can join it; on failure it returns
  // false with `error` set and the entry is dropped.
  static std::unique_ptr<SharedSection> create(const std::string& name, const Layout& wanted,
                                               const std::function<bool(int fd, DWORD& error)>& prepare,
                                               bool& existed, DWORD& error);
  // Joins an existing entry; ERROR_FILE_NOT_FOUND when there is none.
  static std::unique_ptr<SharedSection> open(const std::string& name, DWORD& error);

  ~SharedSection();
  SharedSection(const SharedSection&) = delete;
  SharedSection& operator=(const SharedSection&) = delete;

  int fd() const { return fd_; }
  const Layout& layout() const { return layout_; }

 private:
  SharedSection(int fd, std::string path, Layout layout)
      : fd_(fd), owner_(::getpid()), path_(std::move(path)), layout_(std::move(layout)) {}
  static std::unique_ptr<SharedSection> join(const std::string& name, const Layout* wanted,
                                             const std::function<bool(int, DWORD&)>* prepare, bool& existed,
                                             DWORD& error);
  int fd_;
  pid_t owner_;  // a forked child shares the parent's locks and must not leave for it
  std::string path_;
  Layout layout_;
};

// What the views of one mapping map: a descriptor, where the mapping's
// bytes start in it, and how many there are.
struct MappingState {
  ~MappingState();
  int dataFd = -1;
  uint64_t dataOffset = 0;
  uint64_t size = 0;
  bool writable = false;
  bool fileBacked = false;
  std::unique_ptr<SharedSection> shared;  // named mappings only
};

// A mapping handle's object; views keep the state alive after the last
// handle is closed, as on Windows.
class MappingObject : public KernelObject {
 public:
  explicit MappingObject(std::shared_ptr<MappingState> state)
      : KernelObject(ObjectKind::Mapping), state_(std::move(state)) {}
  const std::shared_ptr<MappingState>& state() const { return state_; }

 private:
  std::shared_ptr<MappingState> state_;
};

// Whether any process (this one included) has a view of the file open on
// `fd`. Cutting a file under a view would kill the process that touches
// the lost pages, so SetEndOfFile refuses to shrink such a file, as
// Windows does (ERROR_USER_MAPPED_FILE).
bool fileIsMapped(int fd);

}  // namespace plat
