// A disk that fills after a given number of bytes in any one file, for the
// writers that must fail cleanly: the file-size limit makes a write past it
// fail as a full disk would (EFBIG) instead of stopping the process.
#pragma once
#include <sys/resource.h>

#include <csignal>

class FullDiskAfter {
 public:
  explicit FullDiskAfter(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    savedSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FullDiskAfter() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedSignal_);
  }
  FullDiskAfter(const FullDiskAfter&) = delete;
  FullDiskAfter& operator=(const FullDiskAfter&) = delete;

 private:
  rlimit saved_{};
  void (*savedSignal_)(int) = SIG_DFL;
};
