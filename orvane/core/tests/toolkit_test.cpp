#include "core/toolkit.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/ansi_text.h"

namespace orvane::core {
namespace {

int ErrorOf(auto&& call) {
  try {
    call();
  } catch (const ToolkitError& e) {
    return e.Number();
  }
  return 0;
}

TEST(CoreVal, ReadsTheLeadingNumberAndIgnoresTheRest) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {{"abc", 0},         {"", 0},      {"2.5x", 2.5}, {"  -3", -3}, {"1 2 3", 123}, {"1E3", 1000},
               {"1.5e-2z", 0.015}, {"4E", 4},    {".5", 0.5},   {"&H1F", 31}, {"&HFFFF", -1}, {"&HFFFFF", 1048575},
               {"+7;c", 7},        {"1D2", 100}, {"-", 0}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(Val(c.text), c.value) << c.text;
}

// Val raises the overflow; what reads the texts of boxes and files answers
// such a number as one that does not convert.
TEST(CoreVal, ANumberBeyondTheDoubleRangeOverflows) {
  const std::string past64Bits = "&H" + std::string(17, 'F');
  for (const std::string& text : {std::string("1E400"), std::string("3d767"), std::string("13.4028235E+380"),
                                  std::string("-1e309"), past64Bits}) {
    EXPECT_EQ(ErrorOf([&] { Val(text); }), kErrOverflow) << text;
    EXPECT_FALSE(ValIfInRange(text)) << text;
    EXPECT_FALSE(IsNumeric(text)) << text;
  }
  const struct {
    const char* text;
    double value;
  } kLargest[] = {{"1.7976931348623157E+308", 1.7976931348623157E+308},
                  {"-1.7976931348623157E+308", -1.7976931348623157E+308},
                  {"&HFFFFFFFFFFFFFFFF", 18446744073709551615.0}};
  for (const auto& c : kLargest) {
    EXPECT_EQ(ValIfInRange(c.text), c.value) << c.text;
    EXPECT_TRUE(IsNumeric(c.text)) << c.text;
  }
}

TEST(CoreIsNumeric, WholeTextMustBeOneNumber) {
  for (const char* yes : {"1.5", " 2 ", "-3", "1E5", "&H1F", ".5"}) EXPECT_TRUE(IsNumeric(yes)) << yes;
  for (const char* no : {"", " ", "x", "1.5x", "1 2", "--1", "E5"}) EXPECT_FALSE(IsNumeric(no)) << no;
}

TEST(CoreRounding, HalvesGoToEvenAndRangesOverflow) {
  EXPECT_EQ(CLng(2.5), 2);
  EXPECT_EQ(CLng(3.5), 4);
  EXPECT_EQ(CLng(-2.5), -2);
  EXPECT_EQ(CInt(32767.4), 32767);
  EXPECT_EQ(ErrorOf([] { CInt(32767.5); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([] { CLng(1e30); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([] { CLng(std::nan("")); }), kErrOverflow);
  EXPECT_EQ(ErrorOf([] { CSng(1e39); }), kErrOverflow);
}

TEST(CoreSingleText, SevenDigitsPointAndToolkitExponents) {
  struct Case {
    float value;
    const char* text;
  } cases[] = {{0.0f, "0"},
               {-0.0f, "0"},
               {3.0f, "3"},
               {1.5f, "1.5"},
               {-10.0f, "-10"},
               {0.1f, "0.1"},
               {1.0f / 3, "0.33333334"},
               {1e30f, "1E+30"},
               {1e-5f, "1E-05"},
               {1234567.0f, "1234567"},
               {12345678.0f, "12345678"}};
  for (const Case& c : cases) EXPECT_EQ(SingleText(c.value), c.text) << c.text;
}

TEST(CoreAnsiText, JapaneseTextRoundTripsThroughCp932) {
  const std::string utf8 = "frmMonitor.chk終了";
  std::string ansi = ToAnsi(utf8);
  EXPECT_EQ(ansi.size(), 18u);  // two double-byte characters after 14 bytes
  EXPECT_EQ(FromAnsi(ansi), utf8);
  EXPECT_EQ(WholeCharacterPrefix(ansi, 15), 14u);  // would cut the first character in half
  EXPECT_EQ(WholeCharacterPrefix(ansi, 16), 16u);
  EXPECT_EQ(WholeCharacterPrefix(ansi, 99), 18u);
}

}  // namespace
}  // namespace orvane::core
