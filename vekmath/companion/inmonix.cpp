// Starts the input-monitor program through the layer's process calls. The
// settings path is copied when it is set, so a caller's temporary text
// cannot dangle until the start.
#include <windows.h>

#include <cstring>
#include <mutex>
#include <string>

#include "vekmath.h"

namespace {

constexpr char kProgram[] = "C:\\Rukbase\\Inmonix.exe";
constexpr char kDefaultSettings[] = "C:\\SETTING.SET";
// The command line buffer the program was always started with, NUL included.
constexpr size_t kLineBytes = 256;
constexpr DWORD kIdleWaitMs = 10000;

struct Settings {
  std::mutex lock;
  std::string path = kDefaultSettings;
  bool tooLong = false;
};

Settings& settings() {
  static auto* s = new Settings;
  return *s;
}

}  // namespace

DLL_EXPORT void WINAPI StartInmonix_SETTING(const char* path) {
  Settings& s = settings();
  std::lock_guard<std::mutex> guard(s.lock);
  // Only as much as could ever fit the line is copied.
  const size_t length = path == nullptr ? 0 : strnlen(path, kLineBytes);
  s.path = path == nullptr ? kDefaultSettings : std::string(path, length);
  s.tooLong = length == kLineBytes;
}

DLL_EXPORT void WINAPI StartInmonix(void) {
  std::string line = kProgram;
  {
    Settings& s = settings();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.tooLong) return;
    line += ' ';
    line += s.path;
  }
  if (line.size() + 1 > kLineBytes) return;

  SECURITY_ATTRIBUTES processAttributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  SECURITY_ATTRIBUTES threadAttributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(kProgram, line.data(), &processAttributes, &threadAttributes, FALSE, 0, nullptr, nullptr,
                      &startup, &started)) {
    return;
  }
  CloseHandle(started.hThread);
  WaitForInputIdle(started.hProcess, kIdleWaitMs);
  CloseHandle(started.hProcess);
}
