// The fault-safe copy where the system refuses its own copy between address
// ranges: through a pipe, whose write reads the source and whose read fills
// the destination, each answering a fault as EFAULT.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "kernel32/fault_safe_copy_ways.h"

namespace plat {

namespace {

struct Pipe {
  int read = -1;
  int write = -1;
  Pipe() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
      read = ends[0];
      write = ends[1];
    }
  }
  ~Pipe() {
    if (read >= 0) close(read);
    if (write >= 0) close(write);
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
};

}  // namespace

LONG copyThroughPipe(void* to, const void* from, size_t length) {
  if (length == 0) return PLAT_STATUS_SUCCESS;
  Pipe pipe;
  if (pipe.read < 0) return PLAT_STATUS_INSUFFICIENT_RESOURCES;
  auto* out = static_cast<char*>(to);
  const auto* in = static_cast<const char*>(from);
  // The pipe is empty at every round, so a write takes at least a byte
  // unless the source faults; a short write is the pipe full or the fault,
  // which the next round then meets at its first byte.
  for (size_t done = 0; done < length;) {
    const ssize_t taken = ::write(pipe.write, in + done, length - done);
    if (taken < 0 && errno == EINTR) continue;
    if (taken <= 0) return PLAT_STATUS_ACCESS_VIOLATION;
    const ssize_t given = ::read(pipe.read, out + done, static_cast<size_t>(taken));
    if (given != taken) return PLAT_STATUS_ACCESS_VIOLATION;
    done += static_cast<size_t>(taken);
  }
  return PLAT_STATUS_SUCCESS;
}

}  // namespace plat
