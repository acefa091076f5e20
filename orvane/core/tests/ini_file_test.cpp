#include "core/ini_file.h"

#include <gtest/gtest.h>

#include "core/ansi_text.h"
#include "support/core_fixture.h"

namespace orvane::core {
namespace {

class CoreIniFileTest : public testing::CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    path_ = dir_ + "/Init.ini";
    SetIniPath(path_);
  }
  void TearDown() override {
    SetIniPath("");
    CoreTest::TearDown();
  }
  std::string path_;
};

TEST_F(CoreIniFileTest, MissingFileSectionKeyOrValueGiveTheDefault) {
  EXPECT_EQ(ReadIni("ADBOARD", "Board", "NI-USB-6001-S"), "NI-USB-6001-S");
  WriteFile(path_, "[ADBOARD]\r\nBoard=\r\nOther=1\r\n");
  EXPECT_EQ(ReadIni("ADBOARD", "Board", "NI-USB-6001-S"), "NI-USB-6001-S");
  EXPECT_EQ(ReadIni("ADBOARD", "Missing", ""), "");
  EXPECT_EQ(ReadIni("NOSECTION", "Other", "d"), "d");
}

TEST_F(CoreIniFileTest, ValuesAreCutAtCommentsAndTabsUnlessRaw) {
  WriteFile(path_, "[ADBOARD]\r\nDeviceName=Dev1\t; the first\r\nLimit=5 ; volts\r\n");
  EXPECT_EQ(ReadIni("ADBOARD", "DeviceName", "x"), "Dev1");
  EXPECT_EQ(ReadIni("ADBOARD", "Limit", "x"), "5");
  EXPECT_EQ(ReadIni("ADBOARD", "Limit", "x", -1), "5 ; volts");
}

TEST_F(CoreIniFileTest, WritingWithoutAPathCreatesNothing) {
  SetIniPath("");
  EXPECT_TRUE(WriteIni("S", "K", "V"));
  EXPECT_EQ(ReadIni("S", "K", "none"), "none");
  EXPECT_TRUE(std::filesystem::is_empty(dir_ + "/root/c"));
  EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(CoreIniFileTest, JapaneseSectionsAreStoredAsCp932) {
  ASSERT_TRUE(WriteIni("frmMonitor.txtコメント(3)", "Text", "測定"));
  std::string bytes = ReadFile(path_);
  EXPECT_NE(bytes.find(ToAnsi("[frmMonitor.txtコメント(3)]")), std::string::npos);
  EXPECT_NE(bytes.find(ToAnsi("Text=測定")), std::string::npos);
  EXPECT_EQ(ReadIni("frmMonitor.txtコメント(3)", "Text", ""), "測定");
}

TEST(CoreCleanIniValue, CutsAtNulSemicolonTabThenTrims) {
  EXPECT_EQ(CleanIniValue(std::string("ab\0cd", 5), "d"), "ab");
  EXPECT_EQ(CleanIniValue("  a b ;c", "d"), "a b");
  EXPECT_EQ(CleanIniValue("x\ty;z", "d"), "x");
  EXPECT_EQ(CleanIniValue(";all comment", "d"), "");
}

TEST(CoreListHelpers, FindComboItemGivesTheFirstExactMatch) {
  std::vector<std::string> none;
  EXPECT_EQ(FindComboItem(none, "a"), -1);
  std::vector<std::string> items{"a", "B", "b", "b"};
  EXPECT_EQ(FindComboItem(items, "b"), 2);
  EXPECT_EQ(FindComboItem2(items, "A"), -1);
}

TEST(CoreListHelpers, ParseNumberLinesKeepsOnlyNumericLines) {
  std::vector<float> values{9.0f};
  EXPECT_EQ(ParseNumberLines("1.5\r\nx\r\n\r\n2", values), 2);
  EXPECT_EQ(values, (std::vector<float>{1.5f, 2.0f}));
  EXPECT_EQ(ParseNumberLines("a\r\nb\r\n", values), 0);
  EXPECT_TRUE(values.empty());
  EXPECT_EQ(ParseNumberLines("1E40\r\n3", values), 1);  // beyond a single: left out
  EXPECT_EQ(values, std::vector<float>{3.0f});
}

}  // namespace
}  // namespace orvane::core
