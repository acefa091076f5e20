// The expected texts are the CP932 bytes of the library's messages.
#include "status_texts.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <cstring>
#include <string>

#include "vekmath.h"

using namespace vekmath;

namespace {

// "エラーコード = " and "エラー内容 = "
const std::string kCodeLine = "\x83\x47\x83\x89\x81\x5b\x83\x52\x81\x5b\x83\x68\x20\x3d\x20";
const std::string kDetail = "\x83\x47\x83\x89\x81\x5b\x93\xe0\x97\x65\x20\x3d\x20";

class StatusText : public ::testing::Test {};

TEST(MessageBuffer, StartsWithTheRequestToSetIt) {
  // Other tests of this program write the buffer; a fresh run of the
  // program sees it as it is after load.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string initial =
      "\x82\xb1\x82\xcc\x95\xcf\x90\x94\x82\xc9\x8f\xf3\x91\xd4\x82\xf0\x95\x5c\x82\xb7\x95\xb6\x8e\x9a\x97\xf1"
      "\x82\xf0\x90\xdd\x92\xe8\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42";
  EXPECT_EXIT(std::exit(messageText() == initial ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

TEST_F(StatusText, OwnCodes) {
  const std::string clockLines =
      kDetail +
      "\x89\xba\x8b\x4c\x82\xcc\x8f\xf0\x8c\x8f\x82\xaa\x90\xac\x82\xe8\x97\xa7\x82\xc1\x82\xc4\x82\xa2\x82\xdc\x82"
      "\xb9\x82\xf1\x81\x42\x0a"
      "\x83\x54\x83\x93\x83\x76\x83\x8a\x83\x93\x83\x4f\x83\x4e\x83\x8d\x83\x62\x83\x4e\x81\x40\x81\x86\x81\x40\x83"
      "\x58\x83\x4c\x83\x83\x83\x93\x83\x4e\x83\x8d\x83\x62\x83\x4e\x81\x40\x81\x7e\x81\x40\x8e\xe6\x82\xe8\x8d\x9e"
      "\x82\xdd\x83\x60\x83\x83\x83\x6c\x83\x8b\x90\x94\x81\x40\x81\x7b\x81\x40\x82\x50\x28\x83\xca\x73\x65\x63\x29"
      "\x0a";
  const std::string parameterLines =
      kDetail +
      "\x83\x70\x83\x89\x83\x81\x81\x5b\x83\x5e\x83\x47\x83\x89\x81\x5b\x81\x42\x0a"
      "\x53\x65\x74\x75\x70\x53\x61\x6d\x70\x6c\x69\x6e\x67\x82\xcc\x83\x70\x83\x89\x83\x81\x81\x5b\x83\x5e\x82\xaa"
      "\x88\xd9\x8f\xed\x82\xc5\x82\xb7\x0a";
  const std::string otherLine = kDetail + "\x82\xbb\x82\xcc\x91\xbc\x82\xcc\x83\x47\x83\x89\x81\x5b";  // no line end
  struct Case {
    int32_t status;
    std::string expected;
  };
  const Case cases[] = {
      {30007, kCodeLine + "7537\n" + clockLines},
      {30000, kCodeLine + "7530\n" + parameterLines},
      {12345, kCodeLine + "3039\n" + otherLine},
      {30001, kCodeLine + "7531\n" + otherLine},
  };
  for (const Case& c : cases) {
    setOwnStatusText(c.status);
    EXPECT_EQ(messageText(), c.expected) << c.status;
  }
}

TEST_F(StatusText, RingLengthSharesTheLoggerFileText) {
  setOwnStatusText(30014);
  std::string logger = messageText();
  setOwnStatusText(30015);
  std::string ring = messageText();
  ASSERT_EQ(logger.substr(0, kCodeLine.size() + 5), kCodeLine + "753e\n");
  EXPECT_EQ(ring.substr(0, kCodeLine.size() + 5), kCodeLine + "753f\n");
  EXPECT_EQ(logger.substr(kCodeLine.size() + 5), ring.substr(kCodeLine.size() + 5));
}

TEST_F(StatusText, VendorBCodes) {
  setVendorBStatusText(0xC0001099);
  EXPECT_EQ(messageText(), kCodeLine + "c0001099\n" + kDetail + "Unexpected error!");

  setVendorBStatusText(0xC0001003);
  EXPECT_EQ(messageText(), kCodeLine + "c0001003\n" + kDetail +
                               "The sampling could not be done.\n"
                               "\x83\x54\x83\x93\x83\x76\x83\x8a\x83\x93\x83\x4f\x82\xf0\x8e\xc0\x8d\x73\x82\xc5\x82"
                               "\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd");

  // The three file codes end with the same access line.
  setVendorBStatusText(0xC0001042);
  std::string closeText = messageText();
  setVendorBStatusText(0xC0001044);
  std::string writeText = messageText();
  const std::string closeTitle = kDetail + "Failed to close the file.\n";
  ASSERT_EQ(closeText.find(closeTitle), kCodeLine.size() + 9);
  std::string accessLine = closeText.substr(kCodeLine.size() + 9 + closeTitle.size());
  EXPECT_EQ(accessLine.back(), '\n');
  EXPECT_EQ(writeText.substr(writeText.size() - accessLine.size()), accessLine);
}

TEST_F(StatusText, WdmInputStatusBits) {
  const std::string statusLine = "\x83\x58\x83\x65\x81\x5b\x83\x5e\x83\x58\x83\x52\x81\x5b\x83\x68\x20\x3d\x20";
  setWdmInputStatusText(0x10000);
  EXPECT_EQ(messageText(), statusLine + "10000\n" + kDetail + "\x83\x49\x81\x5b\x83\x6f\x81\x5b\x83\x74\x83\x8d\x81\x5b\n");
  setWdmInputStatusText(3);  // two bits together are no known state
  EXPECT_EQ(messageText(), statusLine + "3\n" + kDetail + "Unexpected error!");
}

TEST_F(StatusText, OlderVendorACodes) {
  setOlderVendorAStatusText(805);
  EXPECT_EQ(messageText(), kCodeLine + "325\n" + kDetail +
                               "\x82\x60\x82\x63\x81\x43\x82\x63\x82\x60\x83\x5e\x83\x43\x83\x7d\x83\x82\x81\x5b\x83"
                               "\x68\x8e\x77\x92\xe8\x83\x47\x83\x89\x81\x5b\x0a");
  setOlderVendorAStatusText(999);
  EXPECT_EQ(messageText(), kCodeLine + "3e7\n");
}

TEST_F(StatusText, OlderVendorARangeAndHintLines) {
  // Title, the function concerned, then the allowed range.
  setOlderVendorAStatusText(1);
  EXPECT_EQ(messageText(),
            kCodeLine + "1\n" +
                "\x83\x47\x83\x89\x81\x5b\x93\xe0\x97\x65\x20\x3d\x20\x83\x68\x83\x89\x83\x43\x83\x6f\x94\xd4\x8d"
                "\x86\x8e\x77\x92\xe8\x83\x47\x83\x89\x81\x5b\x0a\x91\xce\x8f\xdb\x8a\xd6\x90\x94\x20\x3d\x20\x58"
                "\x61\x6e\x4f\x70\x65\x6e\x0a\x90\xdd\x92\xe8\x94\xcd\x88\xcd\x28\x30\x20\x81\x85\x83\x68\x83\x89"
                "\x83\x43\x83\x6f\x94\xd4\x8d\x86\x81\x85\x33\x30\x20\x29\x0a");
  setOlderVendorAStatusText(774);
  const std::string clock =
      "\x90\xdd\x92\xe8\x94\xcd\x88\xcd\x28\x83\x54\x83\x93\x83\x76\x83\x8a\x83\x93\x83\x4f\x83\x4e\x83"
      "\x8d\x83\x62\x83\x4e\x20\x81\x86\x20\x28\x83\x58\x83\x4c\x83\x83\x83\x93\x83\x4e\x83\x8d\x83\x62"
      "\x83\x4e\x81\x7b\x82\x50\x29\x81\x7e\x83\x60\x83\x83\x83\x6c\x83\x8b\x90\x94\x81\x7c\x82\x50\x20"
      "\x29\x0a";
  const std::string text = messageText();
  ASSERT_GE(text.size(), clock.size());
  EXPECT_EQ(text.substr(text.size() - clock.size()), clock);
  EXPECT_NE(text.find("XanInpBdMem\n"), std::string::npos);

  // Every hinted code converts whole (no replacement characters) and ends
  // its last line.
  for (int32_t code : {1, 2, 3, 769, 770, 771, 772, 773, 774, 777, 785, 786, 791, 800, 827}) {
    setOlderVendorAStatusText(code);
    const std::string t = messageText();
    EXPECT_EQ(t.find('?'), std::string::npos) << code;
    EXPECT_EQ(t.back(), '\n') << code;
    EXPECT_GE(std::count(t.begin(), t.end(), '\n'), 3) << code;
  }
}

TEST_F(StatusText, BackEndTextsPassThroughUnchanged) {
  setNiStatusText(-200000, "\x82\xa0 device");
  EXPECT_EQ(messageText(), kCodeLine + "fffcf2c0\n" + kDetail + "\x82\xa0 device");
  setWdmStatusText(7, nullptr);
  EXPECT_EQ(messageText(), kCodeLine + "7\n" + kDetail);
}

TEST_F(StatusText, LongTextIsCutOnACharacterBoundary) {
  // The fixed part before the detail is 37 bytes: "fffcf2c0\n" and the labels.
  std::string wide;
  for (int i = 0; i < 1100; ++i) wide += "\x82\xa0";
  setNiStatusText(-200000, wide.c_str());
  EXPECT_EQ(messageText().size(), 2047u);  // 1005 whole characters fill it

  setNiStatusText(-200000, ("A" + wide).c_str());
  std::string cut = messageText();
  ASSERT_EQ(cut.size(), 2046u);  // the character across the end is dropped whole
  EXPECT_EQ(cut.substr(cut.size() - 2), "\x82\xa0");

  char out[kMessageBufferSize];
  std::memset(out, 'x', sizeof out);
  GetErrorText(out);
  EXPECT_EQ(std::string(out), cut);
  EXPECT_EQ(out[2046], '\0');
  EXPECT_EQ(out[2047], '\0');
  GetErrorText(nullptr);
}

TEST(Cp932Prefix, CountsLeadAndSingleBytes) {
  const std::string text = "a\xb1\x82\xa0z";  // half-width katakana is one byte
  EXPECT_EQ(cp932PrefixLength(text, 2), 2u);
  EXPECT_EQ(cp932PrefixLength(text, 3), 2u);
  EXPECT_EQ(cp932PrefixLength(text, 4), 4u);
  EXPECT_EQ(cp932PrefixLength(text, 100), 5u);
  EXPECT_EQ(cp932PrefixLength("\xe0", 5), 0u);  // a lone lead byte is dropped
}

}  // namespace
