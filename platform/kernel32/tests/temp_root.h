// A fresh drive root and current directory for one test, removed after it.
#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class TempRootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvane_files_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    root_ = dir_ + "/root";
    std::filesystem::create_directories(root_ + "/c");
    std::filesystem::create_directories(dir_ + "/cwd");
    savedCwd_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_ + "/cwd");
    ::setenv("ORVANE_ROOT", root_.c_str(), 1);
  }

  void TearDown() override {
    ::unsetenv("ORVANE_ROOT");
    std::error_code ignored;
    std::filesystem::current_path(savedCwd_, ignored);
    // Read-only folders left by a test must not stop the clean-up.
    for (auto& entry : std::filesystem::recursive_directory_iterator(dir_, ignored)) {
      if (entry.is_directory(ignored)) ::chmod(entry.path().c_str(), 0755);
    }
    std::filesystem::remove_all(dir_, ignored);
  }

  // Writes a file by Linux path, creating its folders.
  static void writeFile(const std::string& path, const std::string& content) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
  }

  static std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // Permissions are not enforced for root; tests of refused access skip then.
  static bool permissionsEnforced() { return ::geteuid() != 0; }

  std::string dir_;
  std::string root_;
  std::filesystem::path savedCwd_;
};
