// The V4L2 calls of the camera back end: checked ioctls and owned
// descriptors and buffer mappings.
#pragma once
#include <sys/mman.h>

#include <cstddef>
#include <string>
#include <utility>

#include "kernel32/unique_fd.h"

namespace plat::camera::v4l2 {

// The ioctl, repeated when a signal cut it short; true on success.
bool Control(int fd, unsigned long request, void* argument);

// Opens a video node for capture; an empty descriptor when it cannot.
UniqueFd OpenNode(const std::string& path);

class Mapping {
 public:
  Mapping() = default;
  Mapping(int fd, size_t length, long offset);
  ~Mapping() { reset(); }
  Mapping(Mapping&& other) noexcept
      : address_(std::exchange(other.address_, MAP_FAILED)), length_(std::exchange(other.length_, 0)) {}
  Mapping& operator=(Mapping&& other) noexcept {
    if (this != &other) {
      reset();
      address_ = std::exchange(other.address_, MAP_FAILED);
      length_ = std::exchange(other.length_, 0);
    }
    return *this;
  }
  explicit operator bool() const { return address_ != MAP_FAILED; }
  const unsigned char* data() const { return static_cast<const unsigned char*>(address_); }
  size_t length() const { return length_; }

 private:
  void reset();
  void* address_ = MAP_FAILED;
  size_t length_ = 0;
};

}  // namespace plat::camera::v4l2
