// CreateProcessA over posix_spawn. Each started program has a reaper thread
// that waits for its end and signals its object; the program's idleness
// arrives through a pipe whose write end only the program holds.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "kernel32/errno_map.h"
#include "kernel32/paths.h"
#include "kernel32/process_object.h"

extern char** environ;

namespace plat {

namespace {

constexpr char kIdleVariable[] = "ORVANE_INPUT_IDLE_FD";

// The program's first thread: ends with the program.
class PrimaryThreadObject : public KernelObject {
 public:
  explicit PrimaryThreadObject(std::shared_ptr<ProcessObject> process)
      : KernelObject(ObjectKind::Other), process_(std::move(process)) {}
  bool waitable() const override { return true; }
  bool signaled(DWORD threadId) const override { return process_->signaled(threadId); }

 private:
  std::shared_ptr<ProcessObject> process_;
};

// The caller's environment with the idle descriptor named for the child.
std::vector<std::string> childEnvironment(int idleFd) {
  std::vector<std::string> env;
  const size_t nameLength = std::strlen(kIdleVariable);
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, kIdleVariable, nameLength) == 0 && (*e)[nameLength] == '=') continue;
    env.emplace_back(*e);
  }
  env.push_back(std::string(kIdleVariable) + "=" + std::to_string(idleFd));
  return env;
}

std::vector<char*> pointers(std::vector<std::string>& items) {
  std::vector<char*> p;
  for (std::string& s : items) p.push_back(s.data());
  p.push_back(nullptr);
  return p;
}

struct SpawnActions {
  posix_spawn_file_actions_t actions;
  SpawnActions() { posix_spawn_file_actions_init(&actions); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
};

void startReaper(const std::shared_ptr<ProcessObject>& process) {
  std::thread([process] {
    int status = 0;
    while (::waitpid(process->pid(), &status, 0) < 0 && errno == EINTR) {
    }
    process->ended(status);
  }).detach();
}

}  // namespace

ProcessObject::~ProcessObject() {
  if (idleFd_ >= 0) ::close(idleFd_);
}

void ProcessObject::ended(int status) {
  std::lock_guard<std::mutex> guard(waitLock());
  exitCode_ = WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status))
                                : static_cast<DWORD>(128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0));
  ended_ = true;
  notifyWaiters();
}

DWORD ProcessObject::exitCode() const {
  std::lock_guard<std::mutex> guard(waitLock());
  return ended_ ? exitCode_ : STILL_ACTIVE;
}

DWORD ProcessObject::waitInputIdle(DWORD milliseconds) {
  std::lock_guard<std::mutex> guard(idleLock_);
  if (idleFd_ < 0) return 0;
  pollfd p{idleFd_, POLLIN, 0};
  const int timeout = milliseconds == INFINITE ? -1 : static_cast<int>(std::min<DWORD>(milliseconds, INT32_MAX));
  int ready;
  while ((ready = ::poll(&p, 1, timeout)) < 0 && errno == EINTR) {
  }
  if (ready == 0) return WAIT_TIMEOUT;
  // A byte, the closed write end or the program's end: idle from now on.
  ::close(idleFd_);
  idleFd_ = -1;
  return 0;
}

void reportInputIdle() {
  static std::once_flag once;
  std::call_once(once, [] {
    const char* value = std::getenv(kIdleVariable);
    if (value == nullptr) return;
    const int fd = std::atoi(value);
    ::unsetenv(kIdleVariable);
    if (fd <= 2) return;
    const char byte = 1;
    [[maybe_unused]] ssize_t written = ::write(fd, &byte, 1);
    ::close(fd);
  });
}

}  // namespace plat

PLATFORM_API BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES,
                                        LPSECURITY_ATTRIBUTES, BOOL, DWORD dwCreationFlags, LPVOID lpEnvironment,
                                        LPCSTR lpCurrentDirectory, LPSTARTUPINFOA lpStartupInfo,
                                        LPPROCESS_INFORMATION lpProcessInformation) {
  if (lpStartupInfo == nullptr || lpProcessInformation == nullptr || dwCreationFlags != 0 ||
      lpEnvironment != nullptr || lpCurrentDirectory != nullptr) {
    return plat::fail(ERROR_INVALID_PARAMETER);
  }
  std::vector<std::string> args = plat::splitCommandLine(lpCommandLine != nullptr ? lpCommandLine : "");
  const char* program = lpApplicationName;
  if (program == nullptr) {
    if (args.empty()) return plat::fail(ERROR_INVALID_PARAMETER);
    program = args[0].c_str();
  }
  if (args.empty()) args.emplace_back(program);
  const std::string path = plat::mappedOrFail(program);
  if (path.empty()) return FALSE;

  int idle[2];
  if (::pipe2(idle, O_CLOEXEC) != 0) return plat::fail(plat::errorFromErrno(errno));
  plat::SpawnActions spawn;
  // The same descriptor number in the child, without close-on-exec.
  posix_spawn_file_actions_adddup2(&spawn.actions, idle[1], idle[1]);
  std::vector<std::string> env = plat::childEnvironment(idle[1]);
  std::vector<char*> argv = plat::pointers(args);
  std::vector<char*> envp = plat::pointers(env);
  pid_t pid = 0;
  const int error = ::posix_spawn(&pid, path.c_str(), &spawn.actions, nullptr, argv.data(), envp.data());
  ::close(idle[1]);
  if (error != 0) {
    ::close(idle[0]);
    return plat::fail(plat::pathError(error, path));
  }

  auto process = std::make_shared<plat::ProcessObject>(pid, idle[0]);
  plat::startReaper(process);
  lpProcessInformation->hProcess = plat::insertHandle(process);
  lpProcessInformation->hThread = plat::insertHandle(std::make_shared<plat::PrimaryThreadObject>(process));
  lpProcessInformation->dwProcessId = static_cast<DWORD>(pid);
  lpProcessInformation->dwThreadId = static_cast<DWORD>(pid);
  return TRUE;
}

PLATFORM_API BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode) {
  auto process = plat::lookupAs<plat::ProcessObject>(hProcess);
  if (!process || lpExitCode == nullptr) return plat::fail(ERROR_INVALID_HANDLE);
  *lpExitCode = process->exitCode();
  return TRUE;
}
