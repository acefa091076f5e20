#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "vekmath.h"

namespace {

namespace fs = std::filesystem;

class CompanionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvane_inmonix_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    fs::create_directories(dir_ + "/c/Rukbase");
    fs::copy_file(INMONIX_STANDIN, dir_ + "/c/Rukbase/Inmonix.exe");
    ::setenv("ORVANE_ROOT", dir_.c_str(), 1);
    ::setenv("INMONIX_RECORD", (dir_ + "/argv.txt").c_str(), 1);
  }
  void TearDown() override {
    StartInmonix_SETTING(nullptr);
    ::unsetenv("INMONIX_RECORD");
    ::unsetenv("ORVANE_ROOT");
    fs::remove_all(dir_);
  }
  // The stand-in's arguments, one a line; empty when it did not run.
  std::vector<std::string> recorded() {
    std::ifstream in(dir_ + "/argv.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    fs::remove(dir_ + "/argv.txt");
    return lines;
  }
  std::string dir_;
};

using Lines = std::vector<std::string>;

TEST_F(CompanionTest, StartsWithTheDefaultSettingsFile) {
  // StartInmonix returns once the program reported idle, after its record.
  StartInmonix();
  EXPECT_EQ(recorded(), (Lines{"C:\\Rukbase\\Inmonix.exe", "C:\\SETTING.SET"}));
}

TEST_F(CompanionTest, KeepsACopyOfTheSettingsPath) {
  {
    std::string temporary = "C:\\Settings\\run7.set";
    StartInmonix_SETTING(temporary.c_str());
    temporary.assign(temporary.size(), 'x');
  }
  StartInmonix();
  EXPECT_EQ(recorded(), (Lines{"C:\\Rukbase\\Inmonix.exe", "C:\\Settings\\run7.set"}));
}

TEST_F(CompanionTest, LineThatWouldNotFitStartsNothing) {
  // Program path (22), a blank and the path must leave room for the NUL.
  const std::string fits = "C:\\" + std::string(229, 's');
  StartInmonix_SETTING(fits.c_str());
  StartInmonix();
  EXPECT_EQ(recorded().size(), 2u);
  for (size_t length : {230u, 400u}) {
    const std::string tooLong = "C:\\" + std::string(length, 's');
    StartInmonix_SETTING(tooLong.c_str());
    StartInmonix();
    EXPECT_TRUE(recorded().empty()) << length;
  }
}

}  // namespace
