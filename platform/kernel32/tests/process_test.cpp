#include <gtest/gtest.h>
#include <signal.h>
#include <windows.h>

#include <string>
#include <vector>

// The splitter is internal to the layer: built into the test itself.
#include "kernel32/command_line.cpp"

namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, SplitsByTheWindowsRules) {
  const struct {
    const char* line;
    Args args;
  } cases[] = {
      {"C:\\Rukbase\\Inmonix.exe C:\\SETTING.SET", {"C:\\Rukbase\\Inmonix.exe", "C:\\SETTING.SET"}},
      {"\"C:\\Program Files\\a.exe\"  one\ttwo ", {"C:\\Program Files\\a.exe", "one", "two"}},
      {"p \"a b\" c\"d e\"f", {"p", "a b", "cd ef"}},
      {"p a\\\\b \\\\\\\"x \\\\\"y z\"", {"p", "a\\\\b", "\\\"x", "\\y z"}},
      {"p \"say \"\"hi\"\"\"", {"p", "say \"hi\""}},
      {"p \"\"", {"p", ""}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(plat::splitCommandLine(c.line), c.args) << c.line;
}

PROCESS_INFORMATION start(const char* program, std::string line) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  EXPECT_TRUE(CreateProcessA(program, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      << GetLastError();
  return info;
}

TEST(CreateProcess, RunsTheProgramAndSignalsItsEnd) {
  PROCESS_INFORMATION info = start("/bin/sh", "sh -c \"exit 3\"");
  ASSERT_NE(info.hProcess, nullptr);
  // The program ends without waiting for input: that counts as idle.
  EXPECT_EQ(WaitForInputIdle(info.hProcess, 10000), 0u);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(info.hThread, 0), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 3u);
  EXPECT_TRUE(CloseHandle(info.hThread));
  EXPECT_TRUE(CloseHandle(info.hProcess));
}

TEST(CreateProcess, IdleWaitEndsWhenTheProgramSaysSoOrTimesOut) {
  // Reports idle through the descriptor and stays; then one that never does.
  PROCESS_INFORMATION info = start("/bin/sh", "sh -c \"printf x >&$ORVANE_INPUT_IDLE_FD; exec sleep 30\"");
  EXPECT_EQ(WaitForInputIdle(info.hProcess, 10000), 0u);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  ::kill(static_cast<pid_t>(info.dwProcessId), SIGTERM);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);

  PROCESS_INFORMATION quiet = start("/bin/sh", "sh -c \"exec sleep 30\"");
  EXPECT_EQ(WaitForInputIdle(quiet.hProcess, 50), static_cast<DWORD>(WAIT_TIMEOUT));
  ::kill(static_cast<pid_t>(quiet.dwProcessId), SIGTERM);
  EXPECT_EQ(WaitForSingleObject(quiet.hProcess, 10000), WAIT_OBJECT_0);
  CloseHandle(quiet.hThread);
  CloseHandle(quiet.hProcess);
}

TEST(CreateProcess, RefusesWhatItCannotStart) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  char line[] = "x";
  EXPECT_FALSE(CreateProcessA("/nonexistent/prog", line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(CreateProcessA("/bin/sh", line, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                              &info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(info.hProcess, nullptr);
}

}  // namespace
