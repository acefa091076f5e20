// Trace lines into the shared log: from one process, and from two processes
// writing at once, each run checked for lines lost or torn.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>

#include "trace_log.h"

namespace {

namespace fs = std::filesystem;
using namespace halvik;

constexpr int kLinesPerProcess = 1200;  // two processes stay inside one turn of the ring

struct Setting {
  fs::path root;
  std::string path;
  Setting() {
    root = fs::temp_directory_path() / ("halvik_trace_log_bench." + std::to_string(::getpid()));
    fs::create_directories(root);
    ::setenv("ORVANE_ROOT", root.c_str(), 1);
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, sizeof folder);
    CreateDirectoryA(folder, nullptr);
    path = std::string(folder) + "\\halvik.log";
    TraceLogNames names;
    std::string tag = "_bench" + std::to_string(::getpid());
    names.record += tag;
    names.view += tag;
    SetTraceLogNames(names);
    SetDebugLogTimePrefix(1);
    SetDebugLogProcessPrefix(1);
    SetDebugLogThreadPrefix(1);
  }
  ~Setting() { fs::remove_all(root); }
};

Setting& setting() {
  static Setting instance;
  return instance;
}

void writeLines(int count) {
  for (int i = 0; i < count; ++i) WriteDebugLog("XanGetDeviceRevision End : Ret=%d, Revision=%s\r\n", 0, "1.02");
}

int wholeLines(const std::string& path) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  std::string text(GetFileSize(f, nullptr), '\0');
  DWORD got = 0;
  ReadFile(f, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
  CloseHandle(f);
  static const std::regex shape(
      R"(\[\d{4}/\d\d/\d\d \d\d:\d\d:\d\d'\d{3}\]\[PID:[0-9A-F]+H\]\[TID:[0-9A-F]+H\])"
      R"(XanGetDeviceRevision End : Ret=0, Revision=1\.02\r)");
  std::istringstream in(text);
  std::string line;
  int whole = 0;
  while (std::getline(in, line)) whole += std::regex_match(line, shape) ? 1 : 0;
  return whole;
}

void BM_TraceLinesOneProcess(benchmark::State& state) {
  setting();
  if (StartDebugLog(1, 1000) != 0) {
    state.SkipWithError("the trace log did not open");
    return;
  }
  for (auto _ : state) writeLines(1);
  CloseDebugLog();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TraceLinesOneProcess);

// Each run is a fresh log that both processes open, write and close.
void BM_TraceLinesTwoProcesses(benchmark::State& state) {
  Setting& s = setting();
  for (auto _ : state) {
    int ready[2], go[2];
    if (::pipe(ready) != 0 || ::pipe(go) != 0) {
      state.SkipWithError("no pipe");
      return;
    }
    pid_t child = ::fork();
    if (child == 0) {
      char c = 0;
      if (StartDebugLog(0, 1000) != 0) ::_exit(2);
      if (::write(ready[1], "x", 1) != 1 || ::read(go[0], &c, 1) != 1) ::_exit(3);
      writeLines(kLinesPerProcess);
      CloseDebugLog();
      ::_exit(0);
    }
    char c = 0;
    bool started = child > 0 && ::read(ready[0], &c, 1) == 1 && StartDebugLog(1, 1000) == 0;
    auto begin = std::chrono::steady_clock::now();
    if (started && ::write(go[1], "x", 1) == 1) writeLines(kLinesPerProcess);
    int status = 0;
    if (child > 0) ::waitpid(child, &status, 0);
    auto end = std::chrono::steady_clock::now();
    CloseDebugLog();
    for (int fd : {ready[0], ready[1], go[0], go[1]}) ::close(fd);
    state.SetIterationTime(std::chrono::duration<double>(end - begin).count());
    if (!started || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("a process did not write");
      return;
    }
    if (wholeLines(s.path) != 2 * kLinesPerProcess) {
      state.SkipWithError("lines lost or torn");
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * 2 * kLinesPerProcess);
}
BENCHMARK(BM_TraceLinesTwoProcesses)->UseManualTime()->Iterations(50);

}  // namespace

BENCHMARK_MAIN();
