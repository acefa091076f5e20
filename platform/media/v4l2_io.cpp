#include "media/v4l2_io.h"

#include <fcntl.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace plat::camera::v4l2 {

bool Control(int fd, unsigned long request, void* argument) {
  int result = 0;
  do {
    result = ::ioctl(fd, request, argument);
  } while (result == -1 && errno == EINTR);
  return result != -1;
}

UniqueFd OpenNode(const std::string& path) {
  return UniqueFd(::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
}

Mapping::Mapping(int fd, size_t length, long offset)
    : address_(::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, offset)), length_(length) {
  if (address_ == MAP_FAILED) length_ = 0;
}

void Mapping::reset() {
  if (address_ != MAP_FAILED) ::munmap(address_, length_);
  address_ = MAP_FAILED;
  length_ = 0;
}

}  // namespace plat::camera::v4l2
