#include <windows.h>
#include <win/codepage.h>
#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string toWide(UINT page, const std::string& bytes, DWORD flags = 0) {
  int size = MultiByteToWideChar(page, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string wide(static_cast<size_t>(size), u'\0');
  if (size > 0) MultiByteToWideChar(page, flags, bytes.data(), static_cast<int>(bytes.size()), wide.data(), size);
  return wide;
}

std::string toBytes(UINT page, const std::u16string& wide, BOOL* usedDefault = nullptr) {
  int size = WideCharToMultiByte(page, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                 usedDefault);
  std::string bytes(static_cast<size_t>(size), '\0');
  if (size > 0) {
    WideCharToMultiByte(page, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), size, nullptr,
                        usedDefault);
  }
  return bytes;
}

TEST(CodePage, AnsiIsShiftJis) {
  EXPECT_EQ(GetACP(), 932u);
  const std::string sjis = "\x83\x4a\x83\x81\x83\x89 A1";  // katakana "kamera", then ASCII
  const std::u16string wide = u"\u30AB\u30E1\u30E9 A1";
  EXPECT_EQ(toWide(CP_ACP, sjis), wide);
  EXPECT_EQ(toBytes(CP_ACP, wide), sjis);
  EXPECT_EQ(toWide(932, "\xb1"), u"\uFF71") << "half-width katakana is one byte";
}

TEST(CodePage, Utf8RoundTripsIncludingSurrogatePairs) {
  const std::u16string wide = u"a\u00e9\u30AB\U0001F600";
  const std::string utf8 = "a\xc3\xa9\xe3\x82\xab\xf0\x9f\x98\x80";
  EXPECT_EQ(toBytes(CP_UTF8, wide), utf8);
  EXPECT_EQ(toWide(CP_UTF8, utf8), wide);
}

TEST(CodePage, BadInputIsReplacedOrRefused) {
  EXPECT_EQ(toWide(CP_UTF8, "a\xff" "b"), u"a\uFFFDb");
  EXPECT_EQ(toWide(CP_UTF8, "\xc0\xaf"), u"\uFFFD\uFFFD") << "overlong forms are not read";
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xff", 2, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  EXPECT_EQ(toWide(CP_ACP, "x\x81"), u"x\u30FB") << "a lead byte without its trail";
  EXPECT_EQ(toBytes(CP_UTF8, std::u16string(1, u'\xD800')), "\xef\xbf\xbd") << "a lone surrogate";

  BOOL usedDefault = FALSE;
  EXPECT_EQ(toBytes(CP_ACP, u"a\U0001F600b", &usedDefault), "a?b");
  EXPECT_TRUE(usedDefault);
}

TEST(CodePage, SizesAndTerminatorsFollowTheWindowsRules) {
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4) << "-1 counts the terminator";
  WCHAR small[2];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, small, 2), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  char out[8];
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u30AB", -1, out, sizeof out, nullptr, nullptr), 3);
  EXPECT_STREQ(out, "\x83\x4a");
  EXPECT_EQ(MultiByteToWideChar(12345, 0, "a", 1, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, 1, nullptr, 0), 0);
  BOOL used;
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, out, sizeof out, "?", &used), 0);
}

}  // namespace

TEST(CodePage, LeadBytesAndCharacterSteps) {
  // The bounds of both lead-byte ranges, and the half-width katakana between them.
  for (int b : {0x81, 0x9F, 0xE0, 0xFC}) EXPECT_TRUE(IsDBCSLeadByte(static_cast<BYTE>(b))) << b;
  for (int b : {0x00, 0x41, 0x80, 0xA0, 0xB6, 0xDF, 0xFD, 0xFF}) EXPECT_FALSE(IsDBCSLeadByte(static_cast<BYTE>(b))) << b;

  const char text[] = "\x83\x4a" "A\x81";  // a pair, a letter, then a lead byte cut off by the end
  const char* p = text;
  p = CharNextA(p);
  EXPECT_EQ(p, text + 2);
  p = CharNextA(p);
  EXPECT_EQ(p, text + 3);
  p = CharNextA(p);
  EXPECT_EQ(p, text + 4);  // the stray lead byte is one character, the terminator is not swallowed
  EXPECT_EQ(CharNextA(p), p);
}
