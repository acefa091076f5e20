// Conversions and data files: the documented values, the clamps, the file
// text byte for byte, and the inputs that must not corrupt or crash.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include <morvel.h>

namespace {

TEST(ConversionTest, BinaryToVIAndBack) {
  struct Case {
    float low, high;
    int16_t gain, bits;
    uint16_t code;
    double value;
  };
  for (Case c : {Case{-10, 10, 1, 12, 2048, 0.0}, Case{-10, 10, 1, 12, 0, -10.0}, Case{-10, 10, 1, 14, 1024, -5.0},
                 Case{-10, 10, -2, 12, 1024, -5.0}, Case{0, 10, 2, 16, 32768, 2.5}}) {
    EXPECT_DOUBLE_EQ(BinaryToVI(c.low, c.high, c.gain, c.bits, c.code), c.value) << c.code << "/" << c.bits;
  }
}

TEST(ConversionTest, VIToBinaryClampsToTheCodeRange) {
  struct Case {
    float low, high, value;
    LONG code;
  };
  for (Case c : {Case{-10, 10, 0.0f, 2048}, Case{-10, 10, 10.0f, 4095}, Case{-10, 10, -11.0f, 0},
                 Case{5, 5, 6.0f, 4095}, Case{5, 5, 4.0f, 0}, Case{5, 5, 5.0f, 4095}}) {
    EXPECT_EQ(VIToBinary(c.low, c.high, 1, 12, c.value), c.code) << c.low << " " << c.high << " " << c.value;
  }
}

class DataFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("morvel_data_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "data.csv").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string text() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::filesystem::path dir_;
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

}  // namespace
