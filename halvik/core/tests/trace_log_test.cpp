#include "trace_log.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace halvik;

class TraceLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("trace_log_test." + std::to_string(::getpid()));
    fs::create_directories(root_);
    ::setenv("ORVANE_ROOT", root_.c_str(), 1);
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, sizeof folder);
    CreateDirectoryA(folder, nullptr);
    TraceLogNames names;
    std::string tag = "_test" + std::to_string(::getpid());
    names.record += tag;
    names.view += tag;
    SetTraceLogNames(names);
    path_ = std::string(folder) + "\\halvik.log";
    SetDebugLogTimePrefix(0);
    SetDebugLogProcessPrefix(0);
    SetDebugLogThreadPrefix(0);
  }
  void TearDown() override {
    CloseDebugLog();
    ::unsetenv("ORVANE_ROOT");
    fs::remove_all(root_);
  }
  std::string contents() {
    HANDLE f = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    std::string text(GetFileSize(f, nullptr), '\0');
    DWORD got = 0;
    ReadFile(f, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
    CloseHandle(f);
    return text;
  }
  // Lines after the header's last fixed line.
  std::string body() {
    std::string all = contents();
    size_t cpu = all.find("- cpu ");
    return cpu == std::string::npos ? all : all.substr(all.find("\r\n", cpu) + 2);
  }
  static void writeLines(const char* who, int count) {
    for (int i = 0; i < count; ++i) WriteDebugLog("%s n=%05d ........................\r\n", who, i);
  }
  // Every line in `text` is whole, and each writer's lines all arrived in order.
  static void expectWholeLines(const std::string& text, const std::map<std::string, int>& counts) {
    std::map<std::string, int> next;
    std::istringstream in(text);
    std::string line;
    std::regex shape(R"(\[PID:[0-9A-F]+H\]\[TID:[0-9A-F]+H\](\w+) n=(\d{5}) \.{24}\r)");
    while (std::getline(in, line)) {
      std::smatch m;
      ASSERT_TRUE(std::regex_match(line, m, shape)) << "torn: " << line;
      EXPECT_EQ(std::stoi(m[2]), next[m[1]]++) << line;
    }
    for (auto& [who, n] : counts) EXPECT_EQ(next[who], n) << who;
  }

  fs::path root_;
  std::string path_;
};

TEST_F(TraceLogTest, WritesHeaderAndPrefixedLinesByteForByte) {
  ASSERT_EQ(StartDebugLog(0, 1000), 0);
  SetDebugLogTimePrefix(1);
  SetDebugLogProcessPrefix(1);
  SetDebugLogThreadPrefix(1);
  WriteDebugLog("XanInit Start :Id=%d, Name=%s\r\n", 3, "A%d%s");
  SetDebugLogTimePrefix(0);
  WriteDebugLog("%s", std::string(600, 'x').c_str());
  CloseDebugLog();

  std::string all = contents();
  EXPECT_EQ(all.rfind("--------------------------------------------------\r\n- DN-ANA(WDM) log file\r\n", 0), 0u);
  EXPECT_NE(all.find("\r\n\r\n- file name            : halvik.log\r\n- file date            : "), std::string::npos);
  char ids[64];
  std::snprintf(ids, sizeof ids, "[PID:%XH][TID:%XH]", static_cast<unsigned>(::getpid()),
                static_cast<unsigned>(GetCurrentThreadId()));
  std::string rest = body();
  std::regex stamp(R"(\[\d{4}/\d\d/\d\d \d\d:\d\d:\d\d'\d{3}\])");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(rest, m, stamp));
  EXPECT_EQ(m.position(0), 0);
  EXPECT_EQ(rest.substr(m.length(0)), std::string(ids) + "XanInit Start :Id=3, Name=A%d%s\r\n" + ids +
                                          std::string(511, 'x'));
}

TEST_F(TraceLogTest, LineThatWouldPassTheEndStartsAgainAtOffsetZero) {
  ASSERT_EQ(StartDebugLog(0, 1000), 0);
  const std::string filler(100, 'f');
  const std::string header = contents().c_str();  // up to the view's zeros
  size_t total = header.size();
  while (total + 2 * filler.size() <= kTraceLogSize) {
    WriteDebugLog("%s", filler.c_str());
    total += filler.size();
  }
  const std::string last(kTraceLogSize - total, 'e');  // ends at the end exactly: still fits
  WriteDebugLog("%s", last.c_str());
  FlushDebugLog();
  EXPECT_EQ(contents().substr(total), last);
  EXPECT_EQ(contents().substr(0, header.size()), header);
  const std::string wrapped = "wrapped" + std::string(filler.size() - 9, 'w') + "\r\n";
  WriteDebugLog("%s", wrapped.c_str());
  FlushDebugLog();
  std::string view = contents();
  ASSERT_EQ(view.size(), kTraceLogSize);
  EXPECT_EQ(view.substr(0, wrapped.size()), wrapped);
  EXPECT_EQ(view.substr(wrapped.size(), 20), header.substr(wrapped.size(), 20));  // older text stays
  CloseDebugLog();
  EXPECT_EQ(contents(), wrapped);
}

TEST_F(TraceLogTest, TwoProcessesWritingAtOnceLoseAndTearNoLine) {
  constexpr int kLines = 1000;  // three writers stay inside one turn of the ring
  int ready[2], go[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(go), 0);
  SetDebugLogProcessPrefix(1);
  SetDebugLogThreadPrefix(1);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    char c = 0;
    if (StartDebugLog(0, 1000) != 0) ::_exit(2);
    if (::write(ready[1], "x", 1) != 1 || ::read(go[0], &c, 1) != 1) ::_exit(3);
    writeLines("child", kLines);
    CloseDebugLog();
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ASSERT_EQ(StartDebugLog(1, 5), 0);
  ASSERT_EQ(::write(go[1], "x", 1), 1);
  std::thread second([] { writeLines("thread", kLines); });
  writeLines("parent", kLines);
  second.join();
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  CloseDebugLog();
  for (int fd : {ready[0], ready[1], go[0], go[1]}) ::close(fd);
  expectWholeLines(body(), {{"child", kLines}, {"parent", kLines}, {"thread", kLines}});
}

TEST_F(TraceLogTest, ProcessThatClosesFirstLeavesTheFileWhole) {
  int opened[2], go[2];
  ASSERT_EQ(::pipe(opened), 0);
  ASSERT_EQ(::pipe(go), 0);
  SetDebugLogProcessPrefix(1);
  SetDebugLogThreadPrefix(1);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    char c = 0;
    if (StartDebugLog(0, 1000) != 0) ::_exit(2);
    writeLines("child", 1);
    if (::write(opened[1], "x", 1) != 1 || ::read(go[0], &c, 1) != 1) ::_exit(3);
    CloseDebugLog();
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(opened[0], &c, 1), 1);
  ASSERT_EQ(StartDebugLog(0, 1000), 0);
  ASSERT_EQ(::write(go[1], "x", 1), 1);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  writeLines("parent", 200);  // past the page that held the child's end
  CloseDebugLog();
  for (int fd : {opened[0], opened[1], go[0], go[1]}) ::close(fd);
  expectWholeLines(body(), {{"child", 1}, {"parent", 200}});
}

}  // namespace
