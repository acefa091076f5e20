#include "core/channel_calibration.h"

#include <gtest/gtest.h>

#include "core/ansi_text.h"
#include "core/ini_file.h"
#include "core/toolkit.h"
#include "support/core_fixture.h"

namespace orvane::core {
namespace {

using testing::RecordingVekmath;

std::string Field(const std::string& text) { return ChannelCalibration::AnsiBytes(text); }

TEST(CoreChannelCalibrationDefaults, NewObjectRowsAndScalarConversions) {
  EXPECT_FLOAT_EQ(ChannelCalibration::ValueToCounts(31100 - 140, -140, 10, 0, 10), 30960);
  EXPECT_FLOAT_EQ(ChannelCalibration::CountsToValue(30960, -140, 10, 0, 30960), 10);
  EXPECT_EQ(ChannelCalibration::ValueToCounts(100, 0, 5, 5, 3), 0.0f);
  EXPECT_EQ(ChannelCalibration::CountsToValue(7, 7, 5, 0, 3), 0.0f);
  ChannelCalibration cal;
  EXPECT_EQ(cal.CHName(0), "1CH");
  EXPECT_EQ(cal.Unit(0), "V");
  EXPECT_EQ(cal.CalValue(0) + cal.BaseValue(0) + cal.CalAD(0) + cal.BaseAD(0), "100020480");
  EXPECT_EQ(cal.CHName(31), "32CH");
  EXPECT_EQ(cal.Records()[5].calAd, 0.0f);
  EXPECT_THROW(cal.CHName(32), ToolkitError);
  cal.SetCHName(3, std::string("ab\0cd", 5));
  EXPECT_EQ(cal.CHName(3), "ab");
  EXPECT_THROW(cal.SetUnit(-1, "x"), ToolkitError);
}

TEST(CoreConversions, VectorsBothWays) {
  std::vector<int16_t> counts{0, 1024, -2048, 2048};
  std::vector<float> values;
  ChannelCalibration::CountsToValues(2048, 0, 100, 0, values, counts, 3);
  EXPECT_EQ(values, (std::vector<float>{0, 50, -100}));
  std::vector<int16_t> back;
  ChannelCalibration::ValuesToCounts(2048, 0, 100, 0, values, back, 3);
  EXPECT_EQ(back, (std::vector<int16_t>{0, 1024, -2048}));
}

// Bases of their own on both sides (count -140 is value 2), so that a
// count base and a value base taken one for the other show.
TEST(CoreConversions, DistinctBasesBothWays) {
  std::vector<int16_t> counts{-140, 884, 1908, -1164};
  std::vector<float> values;
  ChannelCalibration::CountsToValues(1908, -140, 102, 2, values, counts, 4);
  EXPECT_EQ(values, (std::vector<float>{2, 52, 102, -48}));
  std::vector<int16_t> back;
  ChannelCalibration::ValuesToCounts(1908, -140, 102, 2, values, back, 4);
  EXPECT_EQ(back, counts);
}

TEST(CoreConversions, CountsAreRoundedHalfToEvenAndHeldToSixteenBits) {
  // counts = v with this calibration
  std::vector<float> values{2.5f, 3.5f, -2.5f, 0.6f, -0.6f, 40000.0f, -40000.0f, 100.0f};
  std::vector<int16_t> counts;
  ChannelCalibration::ValuesToCounts(1, 0, 1, 0, values, counts, 100);  // n beyond the data: clamped
  EXPECT_EQ(counts, (std::vector<int16_t>{2, 4, -2, 1, -1, 32767, -32768, 100}));
}

TEST(CoreAnsiFields, PaddingAndCutting) {
  EXPECT_EQ(Field("ab"), std::string("ab") + std::string(29, '\0') + " ");
  EXPECT_EQ(Field(std::string(40, 'n')), std::string(31, 'n') + " ");
  // 15 double-byte characters fill 30 bytes; the 16th would straddle byte 31.
  std::string kana;
  for (int i = 0; i < 16; ++i) kana += "あ";
  std::string field = Field(kana);
  ASSERT_EQ(field.size(), 32u);
  EXPECT_EQ(FromAnsi(field.substr(0, 30)), kana.substr(0, 15 * 3));
  EXPECT_EQ(field[30], '\0');
  EXPECT_EQ(field[31], ' ');
}

TEST(CoreAnsiFields, LeftBytesTakesWholeCharacters) {
  std::string text = "ab測定cd";
  EXPECT_EQ(ChannelCalibration::LeftBytes(text, 3), "ab");  // 測 is cut: it goes with neither
  EXPECT_EQ(text, "定cd");
  std::string rest = "xyz";
  EXPECT_EQ(ChannelCalibration::LeftBytes(rest, 10), "xyz");
  EXPECT_EQ(rest, "");
  EXPECT_THROW(ChannelCalibration::LeftBytes(rest, -1), ToolkitError);
}

class CoreCalibrationIniTest : public testing::CoreTest {
 protected:
  void TearDown() override {
    SetIniPath("");
    CoreTest::TearDown();
  }
};

// A form with rows 0 to 15 only, as the monitor's.
class SixteenRows : public ChannelRowForm {
 public:
  std::optional<std::string> RowText(RowBox box, int32_t row) const override {
    if (row > 15) return std::nullopt;
    static const char* const prefix[] = {"n", "u", "1", "-1", "3", "-4"};  // in RowBox order
    return prefix[static_cast<int>(box)] + std::to_string(row);
  }
};

TEST_F(CoreCalibrationIniTest, SavedRowsLoadBackIntoANewObject) {
  ChannelCalibration cal;
  std::string path = dir_ + "/cal.ini";
  ASSERT_TRUE(cal.SaveFormRowsToIni(path, SixteenRows()));
  EXPECT_EQ(cal.CHName(2), "n2");
  EXPECT_EQ(cal.CHName(20), "21CH");  // a row the form lacks keeps its text
  std::string bytes = ReadFile(path);
  EXPECT_NE(bytes.find("CAL(7)=---------- CAL(7) ----------\r\npName(7)=n7\r\npUnit(7)=u7\r\nfCAL_VAL(7)=17\r\n"
                       "fBASE_VAL(7)=-17\r\nfCAL_AD(7)=37\r\nfBASE_AD(7)=-47\r\n"),
            std::string::npos);

  ChannelCalibration loaded;
  loaded.LoadFromIni(path);
  EXPECT_EQ(GetIniPath(), path);
  EXPECT_EQ(loaded.CHName(7), "n7");
  EXPECT_EQ(loaded.BaseAD(7), "-47");
  EXPECT_EQ(loaded.CalValue(31), "100");
  EXPECT_EQ(loaded.NamesField().size(), 1024u);
  EXPECT_EQ(loaded.NamesField().substr(7 * 32, 32), Field("n7"));
  SixteenRows noHeads;  // a form without column heads lays out nothing
  EXPECT_NO_THROW(loaded.BuildChannelRows(noHeads, 1, 32));
}

TEST_F(CoreCalibrationIniTest, MissingKeysReadEmptyAndCommentsAreCut) {
  std::string path = dir_ + "/cal.ini";
  WriteFile(path, "[CAL]\r\npName(0)=Force ; kN\r\n");
  ChannelCalibration cal;
  cal.LoadFromIni(path);
  EXPECT_EQ(cal.CHName(0), "Force");
  EXPECT_EQ(cal.Unit(0), "");
  SetIniPath("elsewhere.ini");
  cal.LoadFromIni("");  // the remembered path
  EXPECT_EQ(GetIniPath(), path);
}

TEST_F(CoreCalibrationIniTest, PushHandsRecordsAndFieldsToTheLibrary) {
  RecordingVekmath vk;
  ChannelCalibration cal;
  cal.SetCHName(1, "圧力");
  cal.SetCalValue(1, "2.5kN");
  cal.SetCalAD(1, "junk");
  ASSERT_TRUE(cal.PushCalibration());
  ASSERT_EQ(vk->savedRecords.size(), 32u);
  EXPECT_EQ(vk->savedRecords[1].calValue, 2.5f);
  EXPECT_EQ(vk->savedRecords[1].calAd, 0.0f);
  EXPECT_EQ(vk->savedRecords[0].calAd, 2048.0f);
  EXPECT_EQ(vk->savedNames.substr(32, 32), Field("圧力"));
  EXPECT_EQ(vk->savedUnits.substr(0, 32), Field("V"));
  vk->saveResult = 0;
  EXPECT_FALSE(cal.PushCalibration());
  cal.SetBaseAD(4, "1E+39");  // beyond a single: raised, records kept
  EXPECT_THROW(cal.PushCalibration(), ToolkitError);
  EXPECT_EQ(cal.Records()[1].calValue, 2.5f);
}

// The calibration file of the real library, under the test's drive root.
TEST_F(CoreCalibrationIniTest, PushAndPullThroughTheLibrary) {
  std::filesystem::create_directories(root_ + "/c/Rukbase");
  ChannelCalibration cal;
  cal.SetCHName(0, "荷重");
  cal.SetCalValue(0, "12.5");
  cal.SetBaseAD(0, "-3");
  if (!cal.PushCalibration()) GTEST_SKIP() << "the processing library is not at hand";
  ChannelCalibration back;
  ASSERT_TRUE(back.PullCalibration());
  EXPECT_EQ(back.CHName(0), "荷重");
  EXPECT_EQ(back.CalValue(0), "12.5");
  EXPECT_EQ(back.BaseAD(0), "-3");
  EXPECT_EQ(back.CHName(31), "32CH");
}

}  // namespace
}  // namespace orvane::core
