// A program started by CreateProcessA: its end and its input idleness.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

#include "kernel32/object.h"

namespace plat {

class ProcessObject : public KernelObject {
 public:
  ProcessObject(pid_t pid, int idleFd) : KernelObject(ObjectKind::Process), pid_(pid), idleFd_(idleFd) {}
  ~ProcessObject() override;

  pid_t pid() const { return pid_; }
  bool waitable() const override { return true; }
  bool signaled(DWORD) const override { return ended_; }

  // Called once by the reaper, with the program's wait status.
  void ended(int status);
  // STILL_ACTIVE while running.
  DWORD exitCode() const;
  // 0 once idle, WAIT_TIMEOUT when the time ran out first.
  DWORD waitInputIdle(DWORD milliseconds);

 private:
  pid_t pid_;
  std::mutex idleLock_;  // one idle wait at a time
  int idleFd_;           // read end of the idle pipe; -1 once idleness was seen
  bool ended_ = false;
  DWORD exitCode_ = 0;
};

// Splits a command line into arguments the way a Windows program's runtime
// does: blanks separate, quotes group, 2n backslashes before a quote give n
// and the quote groups, 2n + 1 give n and a literal quote, "" inside quotes
// gives a quote; the first item ends at the next blank or closing quote and
// keeps its backslashes.
std::vector<std::string> splitCommandLine(const std::string& line);

// For a program built on the layer: tells the program that started it that
// it now waits for input. Does nothing after the first call.
void reportInputIdle();

}  // namespace plat
