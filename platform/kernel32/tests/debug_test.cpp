// OutputDebugStringA: the capture sink and the stderr default.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

#include <platform/debug_sink.h>

namespace {

struct Captured {
  std::mutex mutex;
  std::vector<std::string> lines;
  int reentries = 0;
};

void capture(const char* text, void* context) {
  auto* captured = static_cast<Captured*>(context);
  std::lock_guard<std::mutex> lock(captured->mutex);
  captured->lines.emplace_back(text);
}

TEST(DebugOutput, SinkGetsTextAsWrittenWithItsContext) {
  Captured captured;
  PlatSetDebugSink(&capture, &captured);
  OutputDebugStringA("first line\r\n");
  OutputDebugStringA("");
  OutputDebugStringA(nullptr);
  OutputDebugStringA("second");
  PlatSetDebugSink(nullptr, nullptr);
  OutputDebugStringA("after reset");
  EXPECT_EQ(captured.lines, (std::vector<std::string>{"first line\r\n", "", "second"}));
}

TEST(DebugOutput, ConcurrentWritersLoseNothing) {
  Captured captured;
  PlatSetDebugSink(&capture, &captured);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 200; ++i) OutputDebugStringA(("thread " + std::to_string(t)).c_str());
    });
  }
  for (std::thread& thread : threads) thread.join();
  PlatSetDebugSink(nullptr, nullptr);
  ASSERT_EQ(captured.lines.size(), 1600u);
  std::vector<int> perThread(8, 0);
  for (const std::string& line : captured.lines) {
    ASSERT_EQ(line.rfind("thread ", 0), 0u) << line;
    ++perThread.at(static_cast<size_t>(std::stoi(line.substr(7))));
  }
  for (int count : perThread) EXPECT_EQ(count, 200);
}

// A sink that writes debug output itself must not deadlock.
void echoingSink(const char* text, void* context) {
  auto* captured = static_cast<Captured*>(context);
  {
    std::lock_guard<std::mutex> lock(captured->mutex);
    captured->lines.emplace_back(text);
    if (captured->reentries++ > 0) return;
  }
  OutputDebugStringA("echo");
}

TEST(DebugOutput, SinkMayWriteDebugOutputItself) {
  Captured captured;
  PlatSetDebugSink(&echoingSink, &captured);
  OutputDebugStringA("outer");
  PlatSetDebugSink(nullptr, nullptr);
  EXPECT_EQ(captured.lines, (std::vector<std::string>{"outer", "echo"}));
}

// What reaches stderr while `write` runs, with the environment variable
// as given (nullptr: unset).
std::string stderrDuring(const char* setting, const char* text) {
  if (setting != nullptr) {
    ::setenv("ORVANE_DEBUG_OUTPUT", setting, 1);
  } else {
    ::unsetenv("ORVANE_DEBUG_OUTPUT");
  }
  char path[] = "/tmp/debug_test_XXXXXX";
  int file = ::mkstemp(path);
  EXPECT_GE(file, 0);
  std::fflush(stderr);
  int saved = ::dup(STDERR_FILENO);
  ::dup2(file, STDERR_FILENO);
  OutputDebugStringA(text);
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);
  std::string seen;
  char buffer[256];
  ::lseek(file, 0, SEEK_SET);
  for (ssize_t n; (n = ::read(file, buffer, sizeof buffer)) > 0;) seen.append(buffer, static_cast<size_t>(n));
  ::close(file);
  ::unlink(path);
  ::unsetenv("ORVANE_DEBUG_OUTPUT");
  return seen;
}

TEST(DebugOutput, WithoutSinkGoesToStderrOnlyWhenAsked) {
  PlatSetDebugSink(nullptr, nullptr);
  EXPECT_EQ(stderrDuring("1", "shown\n"), "shown\n");
  EXPECT_EQ(stderrDuring(nullptr, "dropped\n"), "");
  EXPECT_EQ(stderrDuring("0", "dropped\n"), "");
}

}  // namespace
