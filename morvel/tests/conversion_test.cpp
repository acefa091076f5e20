// Conversions and data files: the documented values, the clamps, the file
// text byte for byte, and the inputs that must not corrupt or crash.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

#include <unistd.h>

#include <morvel.h>

#include "../../platform/kernel32/tests/full_disk.h"

namespace {

TEST(ConversionTest, BinaryToVIAndBack) {
  struct Case {
    float low, high;
    int16_t gain, bits;
    uint16_t code;
    double value;
  };
  for (Case c : {Case{-10, 10, 1, 12, 2048, 0.0}, Case{-10, 10, 1, 12, 0, -10.0}, Case{-10, 10, 1, 14, 1024, -5.0},
                 Case{-10, 10, -2, 12, 1024, -5.0}, Case{0, 10, 2, 16, 32768, 2.5}, Case{-10, 10, 2, 12, 0, -5.0},
                 Case{-10, 10, 4, 16, 49152, 1.25}}) {
    EXPECT_DOUBLE_EQ(BinaryToVI(c.low, c.high, c.gain, c.bits, c.code), c.value) << c.code << "/" << c.bits;
  }
}

TEST(ConversionTest, VIToBinaryClampsToTheCodeRange) {
  struct Case {
    float low, high, value;
    LONG code;
    int16_t gain = 1;
  };
  for (Case c : {Case{-10, 10, 0.0f, 2048}, Case{-10, 10, 10.0f, 4095}, Case{-10, 10, -11.0f, 0},
                 Case{5, 5, 6.0f, 4095}, Case{5, 5, 4.0f, 0}, Case{5, 5, 5.0f, 4095}, Case{-10, 10, 0.0f, 2048, 2},
                 Case{-10, 10, -5.0f, 0, 2}, Case{-10, 10, 4.0f, 3686, 2}}) {
    EXPECT_EQ(VIToBinary(c.low, c.high, c.gain, 12, c.value), c.code)
        << c.low << " " << c.high << " " << c.value << " x" << c.gain;
  }
}

class DataFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("morvel_data_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_ / "root" / "c");
    std::filesystem::create_directories(dir_ / "cwd");
    path_ = (dir_ / "data.csv").string();
    // Drive paths map under the root, wherever the caller stands.
    ::setenv("ORVANE_ROOT", (dir_ / "root").c_str(), 1);
    savedCwd_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_ / "cwd");
  }
  void TearDown() override {
    std::filesystem::current_path(savedCwd_);
    ::unsetenv("ORVANE_ROOT");
    std::filesystem::remove_all(dir_);
  }
  std::string text() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::filesystem::path dir_, savedCwd_;
  std::string path_;
};

TEST_F(DataFileTest, RowsAreCommaSeparatedWithCrLfAndAnEmptyLastLine) {
  const float values[6] = {1.0f, -2.5f, 3.125f, 4, 5, 6};
  ASSERT_EQ(XanSaveData(path_.c_str(), 2, 3, values, 2), 0);
  EXPECT_EQ(text(), "1.00,-2.50,3.12\r\n4.00,5.00,6.00\r\n\r\n");
  float back[6] = {};
  ASSERT_EQ(XanLoadData(path_.c_str(), 2, 3, back), 0);
  EXPECT_FLOAT_EQ(back[1], -2.5f);
  EXPECT_FLOAT_EQ(back[5], 6.0f);
}

// With no values in a row there is no comma to step back over.
TEST_F(DataFileTest, RowsWithoutValuesStayEmptyLines) {
  ASSERT_EQ(XanSaveData(path_.c_str(), 2, 0, nullptr, 3), 0);
  EXPECT_EQ(text(), "\r\n\r\n\r\n");
}

TEST_F(DataFileTest, TheCallersFormatIsUsedOnlyWhenItIsOneFloatingConversion) {
  const float values[2] = {1.5f, 2.0f};
  ASSERT_EQ(XanSaveDataEx(path_.c_str(), 1, 2, values, "%6.1f;"), 0);
  EXPECT_EQ(text(), "   1.5;   2.0;\r\n\r\n");
  std::filesystem::remove(path_);
  for (const char* bad : {"%s", "%n", "%f%f", "%d", "%*f", "no conversion", "%"}) {
    EXPECT_EQ(XanSaveDataEx(path_.c_str(), 1, 2, values, bad), 2) << bad;
    EXPECT_FALSE(std::filesystem::exists(path_)) << bad;
  }
}

TEST_F(DataFileTest, AMissingFileIsResultTwoAndAShortOneLeavesTheRestUnchanged) {
  float values[4] = {9, 9, 9, 9};
  EXPECT_EQ(XanLoadData((dir_ / "none.csv").string().c_str(), 1, 4, values), 2);
  std::ofstream(path_, std::ios::binary) << "1.5,2.5,x\r\n";
  EXPECT_EQ(XanLoadData(path_.c_str(), 1, 4, values), 0);
  EXPECT_FLOAT_EQ(values[1], 2.5f);
  EXPECT_FLOAT_EQ(values[2], 9.0f);
  EXPECT_FLOAT_EQ(values[3], 9.0f);
  EXPECT_EQ(XanSetFileMode1(5), 0);
  EXPECT_EQ(XanGetFileMode1(), 0);
}

TEST_F(DataFileTest, ADrivePathIsOneFileWhereverTheCallerStands) {
  const float values[2] = {1.25f, -2.5f};
  ASSERT_EQ(XanSaveData("C:\\cfg.dat", 1, 2, values, 2), 0);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "root" / "c" / "cfg.dat"));
  EXPECT_TRUE(std::filesystem::is_empty(dir_ / "cwd"));
  float back[2] = {};
  ASSERT_EQ(XanLoadData("C:\\cfg.dat", 1, 2, back), 0);
  EXPECT_FLOAT_EQ(back[0], 1.25f);
  EXPECT_FLOAT_EQ(back[1], -2.5f);
}

TEST_F(DataFileTest, AFullDiskLeavesTheEarlierFileAndAnswersTwo) {
  const float one = 7;
  ASSERT_EQ(XanSaveData(path_.c_str(), 1, 1, &one, 0), 0);
  const std::vector<float> values(3000, 1.5f);  // 19,002 bytes
  {
    FullDiskAfter guard(4096);
    EXPECT_EQ(XanSaveData(path_.c_str(), 1000, 3, values.data(), 3), 2);
  }
  EXPECT_EQ(text(), "7\r\n\r\n");
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) files += entry.is_regular_file();
  EXPECT_EQ(files, 1);  // no temporary left beside it
}

// Rows asked for beyond the end of the file, or rows of no values that
// never move through it: the reading ends at once.
TEST_F(DataFileTest, ReadingStopsAtTheEndOfTheFile) {
  for (const char* content : {"\r\n\r\n\r\n", "1,2\r\n3,4\r\n5,6\r\n"}) {
    std::ofstream(path_, std::ios::binary) << content;
    auto answer = std::make_shared<std::promise<LONG>>();
    std::future<LONG> result = answer->get_future();
    std::thread([answer, path = path_] { answer->set_value(XanLoadData(path.c_str(), INT32_MAX, 0, nullptr)); })
        .detach();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready) << content;
    EXPECT_EQ(result.get(), 0) << content;
  }
}

}  // namespace
