#include "version_check.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace halvik;

class VersionCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/halvik_version_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    fs::create_directories(dir_ / "root/c/windows/system32/drivers");
    fs::create_directories(dir_ / "cwd");
    saved_ = fs::current_path();
    fs::current_path(dir_ / "cwd");
    ::setenv("ORVANE_ROOT", (dir_ / "root").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("ORVANE_ROOT");
    ::unsetenv("ORVANE_WINVER");
    fs::current_path(saved_);
    fs::remove_all(dir_);
  }
  // nullptr: no file; "-": a file without version data; else its FileVersion.
  void place(const fs::path& file, const char* version) {
    if (version == nullptr) return;
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "code";
    if (std::string(version) != "-") {
      std::ofstream(file.string() + ".version") << "Translation=0411 03a4\r\nFileVersion=" << version << "\r\n";
    }
  }
  fs::path dir_;
  fs::path saved_;
};

TEST_F(VersionCheckTest, ComparesTheLibraryWithTheDriver) {
  const struct {
    const char* what;
    const char* currentLibrary;
    const char* systemLibrary;
    const char* driver;
    int parts;
    LONG expected;
  } cases[] = {
      {"two parts agree", nullptr, "1, 2, 0, 0", "1, 2, 9, 9", 2, 0},
      {"second part differs", nullptr, "1, 2, 0, 0", "1, 3, 0, 0", 2, 11},
      {"parts out of range count as four", nullptr, "1, 2, 0, 0", "1, 2, 9, 9", 0, 11},
      {"dots are no separators", nullptr, "1.2.0.0", "1, 0, 0, 0", 4, 0},
      {"current directory first", "1, 3, 0, 0", "1, 2, 0, 0", "1, 2, 0, 0", 2, 11},
      {"driver missing", nullptr, "1, 2, 0, 0", nullptr, 2, 8},
      {"library version unreadable", "-", nullptr, "1, 2, 0, 0", 2, 9},
      {"driver version unreadable", nullptr, "1, 2, 0, 0", "-", 2, 10},
      {"no library file passes", nullptr, nullptr, nullptr, 2, 0},
  };
  for (const auto& c : cases) {
    fs::remove(dir_ / "cwd/halvik.dll");  // the folder stays: it is the current one
    fs::remove(dir_ / "cwd/halvik.dll.version");
    fs::remove_all(dir_ / "root/c/windows/system32");
    place(dir_ / "cwd/halvik.dll", c.currentLibrary);
    place(dir_ / "root/c/windows/system32/Halvik.dll", c.systemLibrary);
    place(dir_ / "root/c/windows/system32/drivers/halvik.sys", c.driver);
    EXPECT_EQ(CheckDriverVersion("halvik", c.parts), c.expected) << c.what;
  }
}

TEST_F(VersionCheckTest, OlderSystemsKeepTheDriverBelowTheThirtyTwoBitFolder) {
  ::setenv("ORVANE_WINVER", "1:4.10", 1);
  place(dir_ / "root/c/windows/system32/halvik.dll", "1, 2, 0, 0");
  place(dir_ / "root/c/windows/system32/drivers/halvik.sys", "1, 2, 0, 0");
  EXPECT_EQ(CheckDriverVersion("halvik", 2), 8);
  place(dir_ / "root/c/windows/system3232/drivers/halvik.sys", "1, 2, 0, 0");
  EXPECT_EQ(CheckDriverVersion("halvik", 2), 0);
}

TEST(VersionNumbers, SplitAtCommasSkippingBlanks) {
  const struct {
    const char* text;
    int expected[4];
  } cases[] = {
      {"1, 2, 0, 0", {1, 2, 0, 0}}, {" 3 ,4", {3, 4, 0, 0}},           {"1.2.0.0", {1, 0, 0, 0}},
      {"", {0, 0, 0, 0}},           {"7,x8,9,10,11", {7, 0, 9, 10}}, {"99999999999", {2147483647, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    int numbers[4] = {-1, -1, -1, -1};
    ParseVersionNumbers(c.text, numbers);
    EXPECT_EQ(std::vector<int>(numbers, numbers + 4), std::vector<int>(c.expected, c.expected + 4)) << c.text;
  }
}

}  // namespace
