// Which process holds a device, shared by every process: one small file per
// device holding the holder's pid, read and written under flock. A holder
// whose process is gone counts as none.
#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <sys/types.h>

namespace halviksim {

class HolderFile {
 public:
  explicit HolderFile(std::string deviceName);
  ~HolderFile();
  HolderFile(const HolderFile&) = delete;
  HolderFile& operator=(const HolderFile&) = delete;

  // 0 when pid holds the device now (it was free, or its holder is gone),
  // 20003 when another live process holds it, 20002 when the state cannot
  // be kept.
  int32_t claim(int32_t pid);
  // Clears the holder when it is pid.
  void release(int32_t pid);

 private:
  // The descriptor of this process for the current folder, or -1. A child
  // of fork opens its own, since flock is shared through an inherited one.
  int descriptorLocked();

  const std::string deviceName_;
  std::mutex mutex_;
  int fd_ = -1;
  pid_t opener_ = 0;
  std::string openPath_;
  // The pid this process has claimed the device for through fd_. Nobody
  // else can take it while this process lives, so its repeated checks are
  // answered without the file lock.
  int32_t heldBy_ = 0;
};

}  // namespace halviksim
