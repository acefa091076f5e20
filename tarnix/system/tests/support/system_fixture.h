// A fresh machine for one test: its own drive root and registry store, the
// default Windows version and keyboard, UTC as local time, and the library's
// process-wide state as at load.
#pragma once
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "library_state.h"

class SystemFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarnix_sys_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    root_ = dir_ + "/root";
    std::filesystem::create_directories(root_ + "/c");
    ::setenv("ORVANE_ROOT", root_.c_str(), 1);
    ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
    for (const char* name : kSettings) ::unsetenv(name);
    tarnix::Library() = tarnix::LibraryState{};
  }

  void TearDown() override {
    for (const char* name : kSettings) ::unsetenv(name);
    ::unsetenv("ORVANE_ROOT");
    ::unsetenv("ORVANE_REGISTRY");
    tarnix::Library() = tarnix::LibraryState{};
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  // "platform:major.minor" as the platform layer reads it; null the default.
  static void windows(const char* setting) {
    if (setting != nullptr) ::setenv("ORVANE_WINVER", setting, 1);
    else ::unsetenv("ORVANE_WINVER");
  }
  static void machine(int32_t type) { tarnix::Library().machineType = type; }

  // Writes a file under the system folder ("drivers\x.SYS"), with a
  // version sidecar when a product version is given, last written at
  // hour:minute:second UTC on 4 March 2026.
  void install(const std::string& relative, const char* productVersion = nullptr, int hour = 12, int minute = 0,
               int second = 0) {
    installAt("/c/Windows/system32/" + relative, productVersion, hour, minute, second);
  }
  void installAt(std::string linuxRelative, const char* productVersion, int hour = 12, int minute = 0,
                 int second = 0) {
    for (char& c : linuxRelative) c = c == '\\' ? '/' : c;
    const std::string path = root_ + linuxRelative;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << "code";
    if (productVersion != nullptr) {
      std::ofstream(path + ".version") << "Translation=0409 04b0\r\nProductVersion=" << productVersion << "\r\n";
    }
    const time_t when = 1772582400 + hour * 3600 + minute * 60 + second;  // 2026-03-04 00:00:00 UTC
    timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
  }

  static constexpr const char* kSettings[] = {"ORVANE_WINVER", "ORVANE_KEYBOARD_SUBTYPE", "ORVANE_COMMAND_LINE"};
  std::string dir_;
  std::string root_;
};
