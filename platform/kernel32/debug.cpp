// OutputDebugStringA: to a sink that tests and tools set, else to stderr
// on request.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include <windows.h>

#include <platform/debug_sink.h>

namespace {

struct Sink {
  // Recursive, so a sink may itself write debug output or replace itself.
  std::recursive_mutex mutex;
  PLAT_DEBUG_SINK function = nullptr;
  void* context = nullptr;
};

// Lives through static destruction: libraries write from their detach at
// exit.
Sink& sink() {
  static Sink* instance = new Sink;
  return *instance;
}

bool stderrWanted() {
  const char* value = std::getenv("ORVANE_DEBUG_OUTPUT");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

void writeAll(int fd, const char* text, size_t length) {
  while (length > 0) {
    ssize_t written = ::write(fd, text, length);
    if (written <= 0) return;
    text += written;
    length -= static_cast<size_t>(written);
  }
}

}  // namespace

PLATFORM_API void WINAPI OutputDebugStringA(LPCSTR lpOutputString) {
  if (lpOutputString == nullptr) return;
  Sink& s = sink();
  std::lock_guard<std::recursive_mutex> lock(s.mutex);
  if (s.function != nullptr) {
    s.function(lpOutputString, s.context);
  } else if (stderrWanted()) {
    writeAll(STDERR_FILENO, lpOutputString, std::strlen(lpOutputString));
  }
}

PLATFORM_API void WINAPI PlatSetDebugSink(PLAT_DEBUG_SINK function, void* context) {
  Sink& s = sink();
  std::lock_guard<std::recursive_mutex> lock(s.mutex);
  s.function = function;
  s.context = context;
}
