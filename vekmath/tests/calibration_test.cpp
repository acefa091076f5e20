#include <gtest/gtest.h>
#include <unistd.h>

#include <array>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <memory>
#include <string>

#include "../../platform/kernel32/tests/full_disk.h"
#include "blocks/calibration_text.h"
#include "vekmath.h"

namespace {

constexpr size_t kFieldsSize = CALIBRATION_CHANNELS * CALIBRATION_TEXT_SIZE;

// One calibration set as the callers hold it; heap arrays of the exact size
// so that a read past their end shows under the address sanitizer.
struct CalibrationSet {
  std::unique_ptr<CalibrationRecord[]> records{new CalibrationRecord[CALIBRATION_CHANNELS]()};
  std::unique_ptr<char[]> names{new char[kFieldsSize]()};
  std::unique_ptr<char[]> units{new char[kFieldsSize]()};

  char* name(int c) { return names.get() + c * CALIBRATION_TEXT_SIZE; }
  char* unit(int c) { return units.get() + c * CALIBRATION_TEXT_SIZE; }
  LONG save() { return SaveCalibration(records.get(), names.get(), units.get()); }
  LONG load() { return LoadCalibration(records.get(), names.get(), units.get()); }
};

std::array<float, 4> values(const CalibrationRecord& r) { return {r.calValue, r.baseValue, r.calAd, r.baseAd}; }

CalibrationSet sample() {
  CalibrationSet set;
  for (int c = 0; c < CALIBRATION_CHANNELS; ++c) {
    set.records[c] = {10.0f + c, -0.25f * c, 2000.0f + c, 3.0f * c};
    std::snprintf(set.name(c), CALIBRATION_TEXT_SIZE, "ch%d", c);
    std::snprintf(set.unit(c), CALIBRATION_TEXT_SIZE, "V%d", c);
  }
  return set;
}

// A fresh drive root per test, with the library's base folder in it.
class CalibrationFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vekmath_cal_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    std::filesystem::create_directories(folder());
    ::setenv("ORVANE_ROOT", dir_.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("ORVANE_ROOT");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::string folder() const { return dir_ + "/c/Rukbase"; }
  std::string file() const { return folder() + "/DEFAULT.CAL"; }
  std::string read() const {
    std::ifstream in(file(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void write(const std::string& text) const { std::ofstream(file(), std::ios::binary) << text; }

  std::string dir_;
};

TEST_F(CalibrationFileTest, MissingFileLoadsTheDefaults) {
  CalibrationSet set = sample();
  EXPECT_EQ(set.load(), 32);
  for (int c = 0; c < CALIBRATION_CHANNELS; ++c) {
    EXPECT_STREQ(set.name(c), "0");
    EXPECT_STREQ(set.unit(c), "0");
    EXPECT_EQ(values(set.records[c]), (std::array<float, 4>{}));
  }
}

TEST_F(CalibrationFileTest, SaveThenLoadGivesTheSetBack) {
  CalibrationSet saved = sample();
  ASSERT_EQ(saved.save(), 32);
  CalibrationSet loaded;
  ASSERT_EQ(loaded.load(), 32);
  for (int c = 0; c < CALIBRATION_CHANNELS; ++c) {
    EXPECT_STREQ(loaded.name(c), saved.name(c));
    EXPECT_STREQ(loaded.unit(c), saved.unit(c));
    EXPECT_EQ(values(loaded.records[c]), values(saved.records[c]));
  }
}

TEST_F(CalibrationFileTest, FileHoldsSevenKeysPerChannelInOrder) {
  CalibrationSet set = sample();
  set.records[0] = {1.5f, -2.0f, 2000.0f, 0.0f};
  std::strcpy(set.name(0), "Force");
  std::strcpy(set.unit(0), "kN");
  ASSERT_EQ(set.save(), 32);
  const std::string text = read();
  const std::string channel0 =
      "[CAL]\r\n"
      "CAL(0)=---------- CAL(0) ----------\r\n"
      "pName(0)=Force\r\n"
      "pUnit(0)=kN\r\n"
      "fCAL_VAL(0)=1.500000\r\n"
      "fBASE_VAL(0)=-2.000000\r\n"
      "fCAL_AD(0)=2000.000000\r\n"
      "fBASE_AD(0)=0.000000\r\n"
      "CAL(1)=---------- CAL(1) ----------\r\n";
  EXPECT_EQ(text.substr(0, channel0.size()), channel0);
  EXPECT_NE(text.find("fBASE_AD(31)=93.000000\r\n"), std::string::npos);
  size_t keys = 0;
  for (size_t at = text.find('='); at != std::string::npos; at = text.find('=', at + 1)) ++keys;
  EXPECT_EQ(keys, 7u * 32u);
}

TEST_F(CalibrationFileTest, SavingKeepsTheOtherKeysOfTheFile) {
  write("[Other]\r\nkeep=yes\r\n[CAL]\r\nfCAL_VAL(0)=99\r\nmine=1\r\n");
  CalibrationSet set = sample();
  ASSERT_EQ(set.save(), 32);
  const std::string text = read();
  EXPECT_NE(text.find("[Other]\r\nkeep=yes\r\n"), std::string::npos);
  EXPECT_NE(text.find("mine=1\r\n"), std::string::npos);
  // The existing key is replaced where it stood, not written twice.
  EXPECT_NE(text.find("fCAL_VAL(0)=10.000000"), std::string::npos);
  EXPECT_EQ(text.find("fCAL_VAL(0)=99"), std::string::npos);
  EXPECT_EQ(text.find("fCAL_VAL(0)="), text.rfind("fCAL_VAL(0)="));
}

TEST_F(CalibrationFileTest, MissingKeysJunkAndATruncatedLastLineLoadWithDefaults) {
  // Key case does not matter, blanks and one pair of quotes go, a number
  // reads as far as it goes, junk reads as 0, and the file ends mid-line.
  write(
      "[cal]\r\n"
      "PNAME(0)=  \"Pressure\"  \r\n"
      "fCAL_VAL(0)= 2.5e1 \r\n"
      "fBASE_VAL(0)=abc\r\n"
      "fCAL_AD(0)=12.5volts\r\n"
      "fBASE_AD(0)=\r\n"
      "pUnit(1)=bar\r\n"
      "fCAL_VAL(1)=-3.2");
  CalibrationSet set = sample();
  ASSERT_EQ(set.load(), 32);
  EXPECT_STREQ(set.name(0), "Pressure");
  EXPECT_STREQ(set.unit(0), "0");
  EXPECT_EQ(values(set.records[0]), (std::array<float, 4>{25.0f, 0.0f, 12.5f, 0.0f}));
  EXPECT_STREQ(set.name(1), "0");
  EXPECT_STREQ(set.unit(1), "bar");
  EXPECT_EQ(set.records[1].calValue, -3.2f);
  EXPECT_EQ(set.records[31].baseAd, 0.0f);
}

TEST_F(CalibrationFileTest, TextFieldsEndAtTheirLastByteOrFirstLineBreak) {
  CalibrationSet set = sample();
  // 31 bytes and a space with no NUL, as long names arrive; the next field
  // must not run into this one, and the last one must not run past the array.
  std::memset(set.name(3), 'a', 31);
  set.name(3)[31] = ' ';
  std::memset(set.unit(31), 'z', CALIBRATION_TEXT_SIZE);
  // A line break would start a key line of its own.
  std::strcpy(set.name(0), "evil\r\nfCAL_VAL(0)=99");
  ASSERT_EQ(set.save(), 32);
  const std::string text = read();
  EXPECT_NE(text.find("pName(3)=" + std::string(31, 'a') + " \r\n"), std::string::npos);
  EXPECT_NE(text.find("pUnit(31)=" + std::string(32, 'z') + "\r\n"), std::string::npos);
  CalibrationSet loaded;
  ASSERT_EQ(loaded.load(), 32);
  // The trailing blank goes when the value is read, as any trailing blank.
  EXPECT_EQ(std::string(loaded.name(3)), std::string(31, 'a'));
  EXPECT_EQ(std::string(loaded.unit(31)), std::string(31, 'z'));
  EXPECT_STREQ(loaded.name(4), "ch4");
  EXPECT_STREQ(loaded.name(0), "evil");
  EXPECT_EQ(loaded.records[0].calValue, 10.0f);

  // Longer texts in the file are cut to 31 characters and terminated.
  write("[CAL]\r\npName(5)=" + std::string(40, 'n') + "\r\n");
  ASSERT_EQ(loaded.load(), 32);
  EXPECT_EQ(std::string(loaded.name(5)), std::string(31, 'n'));
  EXPECT_STREQ(loaded.name(6), "0");
}

// A save the disk cannot take whole leaves the set saved before.
TEST_F(CalibrationFileTest, AFullDiskKeepsTheSetSavedBefore) {
  const std::string before = "[CAL]\r\nfCAL_AD(0)=7\r\n";
  write(before);
  CalibrationSet set = sample();
  {
    FullDiskAfter disk(4096);
    EXPECT_EQ(set.save(), 0);
  }
  EXPECT_EQ(read(), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder()), std::filesystem::directory_iterator()), 1);
}

TEST_F(CalibrationFileTest, FailuresAndNullArgumentsAreReported) {
  std::filesystem::remove_all(folder());
  CalibrationSet set = sample();
  EXPECT_EQ(set.save(), 0);
  EXPECT_FALSE(std::filesystem::exists(file()));
  EXPECT_EQ(SaveCalibration(set.records.get(), nullptr, set.units.get()), 0);
  EXPECT_EQ(LoadCalibration(set.records.get(), set.names.get(), nullptr), 0);
  EXPECT_STREQ(set.name(0), "ch0");
}

// The file must read the same whatever locale the program runs in. The test
// makes a locale of its own that has only a decimal comma: compiling a whole
// installed one takes seconds of processor, which a loaded machine stretches
// past the test's bound.
TEST_F(CalibrationFileTest, NumbersIgnoreTheProcessLocale) {
  std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  std::ofstream(dir_ + "/comma.src") << "LC_NUMERIC\ndecimal_point \",\"\nthousands_sep \".\"\ngrouping 3;3\nEND LC_NUMERIC\n";
  // Its other categories are missing on purpose, so localedef warns and
  // answers 1; whether the locale is there is what the set-up below asks.
  std::string command = "localedef -c -i " + dir_ + "/comma.src -f ANSI_X3.4-1968 " + dir_ + "/comma >/dev/null 2>&1";
  ::setenv("LOCPATH", dir_.c_str(), 1);
  if (std::system(command.c_str()) == -1 || std::setlocale(LC_NUMERIC, "comma") == nullptr) {
    ::unsetenv("LOCPATH");
    GTEST_SKIP() << "no locale with a decimal comma could be made";
  }
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 1.5);
  ASSERT_STREQ(probe, "1,5");
  CalibrationSet set = sample();
  set.records[2].calValue = 1.5f;
  const LONG saved = set.save();
  CalibrationSet loaded;
  const LONG loadedCount = loaded.load();
  std::setlocale(LC_NUMERIC, previous.c_str());
  ::unsetenv("LOCPATH");
  ASSERT_EQ(saved, 32);
  ASSERT_EQ(loadedCount, 32);
  EXPECT_NE(read().find("fCAL_VAL(2)=1.500000"), std::string::npos);
  EXPECT_EQ(loaded.records[2].calValue, 1.5f);
  EXPECT_EQ(loaded.records[2].baseValue, -0.5f);
}

TEST(CalibrationNumbers, FormatAndParse) {
  EXPECT_EQ(vekmath::formatCalibrationNumber(-0.1f), "-0.100000");
  EXPECT_EQ(vekmath::formatCalibrationNumber(3.4028235e38f), "340282346638528859811704183484516925440.000000");
  EXPECT_EQ(vekmath::parseCalibrationNumber("+7"), 7.0f);
  EXPECT_EQ(vekmath::parseCalibrationNumber("1,5"), 1.0f);
  EXPECT_EQ(vekmath::parseCalibrationNumber(nullptr), 0.0f);
  EXPECT_TRUE(std::isinf(vekmath::parseCalibrationNumber("1e999")));
}

}  // namespace
