// CreateFileMappingA, OpenFileMappingA and the views of a mapping.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "kernel32/file_object.h"
#include "kernel32/errno_map.h"
#include "kernel32/mapping_object.h"

namespace plat {

MappingState::~MappingState() {
  if (dataFd >= 0) ::close(dataFd);
}

namespace {

HANDLE failNull(DWORD error) {
  SetLastError(error);
  return nullptr;
}

// Paging-file memory that cannot be had is out of memory, not a full disk.
DWORD mappingError() {
  return errno == ENOSPC || errno == EFBIG ? ERROR_NOT_ENOUGH_MEMORY : plat::errorFromErrno(errno);
}

int duplicate(int fd) { return ::fcntl(fd, F_DUPFD_CLOEXEC, 0); }

// Paging-file memory is committed when the mapping is made, so touching a
// page later cannot fail for want of space.
bool commit(int fd, uint64_t offset, uint64_t size, DWORD& error) {
  int result = ::ftruncate(fd, static_cast<off_t>(offset + size)) == 0 ? 0 : errno;
  if (result == 0) result = ::posix_fallocate(fd, static_cast<off_t>(offset), static_cast<off_t>(size));
  if (result == 0) return true;
  error = result == ENOSPC || result == EFBIG || result == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY : ERROR_GEN_FAILURE;
  return false;
}

// A file-backed mapping is never longer than its file.
bool growFile(int fd, uint64_t size, DWORD& error) {
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    error = mappingError();
    return false;
  }
  if (static_cast<uint64_t>(st.st_size) >= size) return true;
  if (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
    error = errno == EFBIG || errno == ENOSPC ? ERROR_DISK_FULL : mappingError();
    return false;
  }
  return true;
}

std::string linuxPathOf(int fd) {
  char buffer[4096];
  std::string link = "/proc/self/fd/" + std::to_string(fd);
  ssize_t length = ::readlink(link.c_str(), buffer, sizeof buffer);
  return length > 0 && length < static_cast<ssize_t>(sizeof buffer) ? std::string(buffer, length) : std::string();
}

// What a CreateFileMappingA call asks for.
struct Request {
  int fileFd = -1;  // -1: the paging file
  uint64_t size = 0;
  DWORD protect = 0;
};

std::shared_ptr<MappingState> makeUnnamed(const Request& request, DWORD& error) {
  auto state = std::make_shared<MappingState>();
  state->size = request.size;
  state->writable = request.protect == PAGE_READWRITE;
  state->fileBacked = request.fileFd >= 0;
  if (state->fileBacked) {
    state->dataFd = duplicate(request.fileFd);
    if (state->dataFd < 0 || (state->writable && !growFile(state->dataFd, request.size, error))) {
      if (state->dataFd < 0) error = mappingError();
      return nullptr;
    }
    return state;
  }
  state->dataFd = ::memfd_create("orvane-mapping", MFD_CLOEXEC);
  if (state->dataFd < 0) {
    error = mappingError();
    return nullptr;
  }
  if (!commit(state->dataFd, 0, request.size, error)) return nullptr;
  return state;
}

// The state of a named mapping from its shared entry, whether this call
// made the entry or joined it.
std::shared_ptr<MappingState> stateOf(std::unique_ptr<SharedSection> shared, int ownFileFd, DWORD& error) {
  auto state = std::make_shared<MappingState>();
  const SharedSection::Layout& layout = shared->layout();
  state->size = layout.size;
  state->writable = layout.protect == PAGE_READWRITE;
  state->fileBacked = layout.fileBacked;
  if (!layout.fileBacked) {
    state->dataFd = duplicate(shared->fd());
    state->dataOffset = SharedSection::kHeaderSize;
  } else if (ownFileFd >= 0) {
    state->dataFd = duplicate(ownFileFd);
  } else {
    state->dataFd = ::open(layout.filePath.c_str(), (state->writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  }
  if (state->dataFd < 0) {
    error = mappingError();
    return nullptr;
  }
  state->shared = std::move(shared);
  return state;
}

std::shared_ptr<MappingState> makeNamed(const std::string& name, const Request& request, bool& existed,
                                        DWORD& error) {
  SharedSection::Layout wanted;
  wanted.fileBacked = request.fileFd >= 0;
  wanted.protect = request.protect;
  wanted.size = request.size;
  if (wanted.fileBacked) {
    wanted.filePath = linuxPathOf(request.fileFd);
    if (wanted.filePath.empty()) {
      error = ERROR_INVALID_HANDLE;
      return nullptr;
    }
  }
  auto prepare = [&](int entryFd, DWORD& failure) {
    if (!wanted.fileBacked) return commit(entryFd, SharedSection::kHeaderSize, request.size, failure);
    return request.protect != PAGE_READWRITE || growFile(request.fileFd, request.size, failure);
  };
  std::unique_ptr<SharedSection> shared = SharedSection::create(name, wanted, prepare, existed, error);
  if (!shared) return nullptr;
  return stateOf(std::move(shared), existed ? -1 : request.fileFd, error);
}

ObjectPtr wrap(std::shared_ptr<MappingState> state) {
  return state ? std::make_shared<MappingObject>(std::move(state)) : nullptr;
}

// Checks the file handle of a request and settles the mapping's size.
bool describeFile(HANDLE file, DWORD protect, uint64_t& size, int& fd) {
  std::shared_ptr<FileObject> object = lookupFile(file);
  if (!object || object->isDirectory()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (!object->canRead() || (protect == PAGE_READWRITE && !object->canWrite())) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  struct stat st;
  if (::fstat(object->fd(), &st) != 0) {
    SetLastError(mappingError());
    return false;
  }
  uint64_t fileSize = static_cast<uint64_t>(st.st_size);
  if (size == 0) size = fileSize;
  if (size == 0) {
    SetLastError(ERROR_FILE_INVALID);  // an empty file cannot be mapped whole
    return false;
  }
  if (size > fileSize && protect != PAGE_READWRITE) {
    SetLastError(ERROR_ACCESS_DENIED);  // only a writable mapping may grow its file
    return false;
  }
  fd = object->fd();
  return true;
}

// Views by the address handed out. Each keeps its mapping's state alive.
struct View {
  void* base;  // page-aligned start of the system mapping
  size_t length;
  std::shared_ptr<MappingState> state;
};

std::mutex& viewsLock() {
  static auto* lock = new std::mutex;
  return *lock;
}
std::map<uintptr_t, View>& views() {
  static auto* table = new std::map<uintptr_t, View>;
  return *table;
}

size_t pageSize() {
  static const size_t size = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  return size;
}

}  // namespace

}  // namespace plat

using plat::MappingObject;
using plat::MappingState;

PLATFORM_API HANDLE WINAPI CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES, DWORD protect, DWORD sizeHigh,
                                              DWORD sizeLow, LPCSTR name) {
  plat::Request request;
  request.protect = protect & 0xFFu;  // SEC_* flags change nothing here
  request.size = (static_cast<uint64_t>(sizeHigh) << 32) | sizeLow;
  if (request.protect == PAGE_WRITECOPY) request.protect = PAGE_READONLY;  // copy views stay private
  if (request.protect != PAGE_READONLY && request.protect != PAGE_READWRITE) {
    return plat::failNull(ERROR_INVALID_PARAMETER);
  }
  if (file == INVALID_HANDLE_VALUE) {
    if (request.size == 0) return plat::failNull(ERROR_INVALID_PARAMETER);
  } else if (!plat::describeFile(file, request.protect, request.size, request.fileFd)) {
    return nullptr;
  }

  DWORD error = ERROR_GEN_FAILURE;
  if (name == nullptr || *name == '\0') {
    plat::ObjectPtr object = plat::wrap(plat::makeUnnamed(request, error));
    if (!object) return plat::failNull(error);
    SetLastError(ERROR_SUCCESS);
    return plat::insertHandle(std::move(object));
  }
  std::string shared = plat::normalizedMappingName(name);
  bool inProcess = false;
  bool elsewhere = false;
  plat::ObjectPtr object = plat::createNamed(shared.c_str(), plat::ObjectKind::Mapping, inProcess, [&] {
    plat::ObjectPtr made = plat::wrap(plat::makeNamed(shared, request, elsewhere, error));
    if (!made) SetLastError(error);
    return made;
  });
  if (!object) return nullptr;
  SetLastError(inProcess || elsewhere ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return plat::insertHandle(std::move(object));
}

PLATFORM_API HANDLE WINAPI OpenFileMappingA(DWORD access, BOOL, LPCSTR name) {
  if (name == nullptr || *name == '\0') return plat::failNull(ERROR_INVALID_PARAMETER);
  std::string shared = plat::normalizedMappingName(name);
  bool inProcess = false;
  plat::ObjectPtr object = plat::createNamed(shared.c_str(), plat::ObjectKind::Mapping, inProcess, [&] {
    DWORD error = ERROR_GEN_FAILURE;
    std::unique_ptr<plat::SharedSection> section = plat::SharedSection::open(shared, error);
    plat::ObjectPtr made = section ? plat::wrap(plat::stateOf(std::move(section), -1, error)) : nullptr;
    if (!made) SetLastError(error);
    return made;
  });
  if (!object) return nullptr;
  auto mapping = std::static_pointer_cast<MappingObject>(object);
  if ((access & FILE_MAP_WRITE) && !mapping->state()->writable) return plat::failNull(ERROR_ACCESS_DENIED);
  SetLastError(ERROR_SUCCESS);
  return plat::insertHandle(std::move(object));
}

PLATFORM_API LPVOID WINAPI MapViewOfFileEx(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow,
                                           SIZE_T bytes, LPVOID baseAddress) {
  auto object = plat::lookupAs<MappingObject>(mapping);
  if (!object) return plat::failNull(ERROR_INVALID_HANDLE);
  std::shared_ptr<MappingState> state = object->state();
  bool write = (access & FILE_MAP_WRITE) != 0;
  bool copy = !write && (access & FILE_MAP_COPY) != 0 && (access & FILE_MAP_READ) == 0;
  if (!write && !copy && (access & FILE_MAP_READ) == 0) return plat::failNull(ERROR_INVALID_PARAMETER);
  if (write && !state->writable) return plat::failNull(ERROR_ACCESS_DENIED);

  uint64_t offset = (static_cast<uint64_t>(offsetHigh) << 32) | offsetLow;
  if (offset >= state->size) return plat::failNull(ERROR_ACCESS_DENIED);
  uint64_t length = bytes != 0 ? bytes : state->size - offset;
  if (length > state->size - offset) return plat::failNull(ERROR_ACCESS_DENIED);
  if (state->fileBacked) {
    // Someone outside may have cut the file; pages past its end would fault.
    DWORD error = ERROR_ACCESS_DENIED;
    struct stat st;
    if (::fstat(state->dataFd, &st) != 0) return plat::failNull(plat::mappingError());
    if (static_cast<uint64_t>(st.st_size) < offset + length &&
        (!state->writable || !plat::growFile(state->dataFd, offset + length, error))) {
      return plat::failNull(error);
    }
  }

  uint64_t position = state->dataOffset + offset;
  size_t delta = static_cast<size_t>(position % plat::pageSize());
  size_t mapLength = static_cast<size_t>(length) + delta;
  int flags = copy ? MAP_PRIVATE : MAP_SHARED;
  char* hint = nullptr;
  if (baseAddress != nullptr) {
    hint = static_cast<char*>(baseAddress) - delta;
    if (reinterpret_cast<uintptr_t>(hint) % plat::pageSize() != 0) return plat::failNull(plat::kErrorInvalidAddress);
    flags |= MAP_FIXED_NOREPLACE;
  }
  int protection = PROT_READ | (write || copy ? PROT_WRITE : 0);
  void* base = ::mmap(hint, mapLength, protection, flags, state->dataFd, static_cast<off_t>(position - delta));
  if (base == MAP_FAILED) {
    return plat::failNull(errno == EEXIST ? plat::kErrorInvalidAddress : plat::mappingError());
  }
  if (hint != nullptr && base != hint) {  // a kernel that took the address as a hint only
    ::munmap(base, mapLength);
    return plat::failNull(plat::kErrorInvalidAddress);
  }
  char* view = static_cast<char*>(base) + delta;
  std::lock_guard<std::mutex> lock(plat::viewsLock());
  plat::views()[reinterpret_cast<uintptr_t>(view)] = plat::View{base, mapLength, std::move(state)};
  return view;
}

PLATFORM_API LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow,
                                         SIZE_T bytes) {
  return MapViewOfFileEx(mapping, access, offsetHigh, offsetLow, bytes, nullptr);
}

PLATFORM_API BOOL WINAPI UnmapViewOfFile(LPCVOID address) {
  std::shared_ptr<MappingState> released;  // may remove a shared entry: outside the lock
  {
    std::lock_guard<std::mutex> lock(plat::viewsLock());
    auto it = plat::views().find(reinterpret_cast<uintptr_t>(address));
    if (it == plat::views().end()) {
      SetLastError(plat::kErrorInvalidAddress);
      return FALSE;
    }
    ::munmap(it->second.base, it->second.length);
    released = std::move(it->second.state);
    plat::views().erase(it);
  }
  return TRUE;
}

PLATFORM_API BOOL WINAPI FlushViewOfFile(LPCVOID address, SIZE_T bytes) {
  auto at = reinterpret_cast<uintptr_t>(address);
  std::lock_guard<std::mutex> lock(plat::viewsLock());
  auto& table = plat::views();
  auto it = table.upper_bound(at);
  if (it == table.begin()) {
    SetLastError(plat::kErrorInvalidAddress);
    return FALSE;
  }
  --it;
  auto start = reinterpret_cast<uintptr_t>(it->second.base);
  uintptr_t stop = start + it->second.length;
  if (at < it->first || at >= stop) {
    SetLastError(plat::kErrorInvalidAddress);
    return FALSE;
  }
  uintptr_t end = (bytes == 0 || bytes > stop - at) ? stop : at + bytes;
  uintptr_t from = at - at % plat::pageSize();
  if (::msync(reinterpret_cast<void*>(from), end - from, MS_SYNC) != 0) {
    SetLastError(plat::mappingError());
    return FALSE;
  }
  return TRUE;
}
