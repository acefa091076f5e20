#include "gdi_fixture.h"

class GdiText : public GdiCanvas {
 protected:
  void SetUp() override {
    GdiCanvas::SetUp();
    font = CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, OUT_CHARACTER_PRECIS,
                       CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, FIXED_PITCH, "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e");
    ASSERT_NE(font, nullptr);
    oldFont = SelectObject(dc, font);
  }
  void TearDown() override {
    SelectObject(dc, oldFont);
    EXPECT_TRUE(DeleteObject(font));
    GdiCanvas::TearDown();
  }
  SIZE extent(const char* s) {
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32A(dc, s, static_cast<int>(std::strlen(s)), &size));
    return size;
  }
  HFONT font = nullptr;
  HGDIOBJ oldFont = nullptr;
};

TEST_F(GdiText, InkLiesInsideTheExtentAndNowhereElse) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kBlue);
  const char* s = "Hm42";
  const SIZE size = extent(s);
  EXPECT_GT(size.cx, 4 * 4);
  EXPECT_GE(size.cy, 16);
  ASSERT_TRUE(TextOutA(dc, 5, 7, s, 4));
  const auto pixels = ink();
  EXPECT_GT(pixels.size(), 30u);
  for (const POINT& p : pixels) {
    EXPECT_EQ(GetPixel(dc, p.x, p.y), kBlue) << p;
    EXPECT_GE(p.x, 5);
    EXPECT_LT(p.x, 5 + size.cx) << p;
    EXPECT_GE(p.y, 7);
    EXPECT_LT(p.y, 7 + size.cy) << p;
  }
}

TEST_F(GdiText, OpaqueModeFillsTheCellsWithTheBackground) {
  SetBkColor(dc, kRed);
  const SIZE size = extent("ab");
  TextOutA(dc, 10, 10, "ab", 2);
  EXPECT_EQ(GetPixel(dc, 10, 10), kRed);
  EXPECT_EQ(GetPixel(dc, 10 + size.cx - 1, 10 + size.cy - 1), kRed);
  EXPECT_EQ(GetPixel(dc, 10 + size.cx, 10), kWhite);
  EXPECT_EQ(GetPixel(dc, 10, 10 + size.cy), kWhite);
  size_t black = 0;
  for (const POINT& p : ink()) black += GetPixel(dc, p.x, p.y) == kBlack;
  EXPECT_GT(black, 10u);
}

TEST_F(GdiText, JapaneseTextIsDrawnFullWidth) {
  const char* kanji = "\x93\xfa\x96\x7b";  // two full-width characters in CP932
  const SIZE wide = extent(kanji);
  const SIZE narrow = extent("ab");
  EXPECT_NEAR(wide.cx, 2 * narrow.cx, 2);
  SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, 0, 0, kanji, 4);
  EXPECT_GT(ink().size(), 40u);
}

TEST_F(GdiText, MetricsFollowTheHeight) {
  TEXTMETRICA tm{};
  ASSERT_TRUE(GetTextMetricsA(dc, &tm));
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  EXPECT_GE(tm.tmHeight, 16);
  EXPECT_LE(tm.tmHeight, 20);
  EXPECT_EQ(tm.tmAveCharWidth, 8);  // half of the em
  EXPECT_EQ(extent("0123").cx, 4 * tm.tmAveCharWidth);
  EXPECT_EQ(tm.tmCharSet, SHIFTJIS_CHARSET);

  // A positive height asks for the whole cell.
  HFONT cell = CreateFontA(12, 0, 0, 0, 0, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, "");
  SelectObject(dc, cell);
  ASSERT_TRUE(GetTextMetricsA(dc, &tm));
  EXPECT_NEAR(tm.tmHeight, 12, 1);
  // A width squeezes the characters.
  HFONT thin = CreateFontA(-16, 4, 0, 0, 0, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, "");
  SelectObject(dc, thin);
  EXPECT_EQ(extent("abcd").cx, 16);
  SelectObject(dc, font);
  DeleteObject(cell);
  DeleteObject(thin);
}

TEST_F(GdiText, TurnedTextStaysNearItsStart) {
  HFONT up = CreateFontA(-16, 0, 900, 900, 0, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, "");
  SelectObject(dc, up);
  SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, 10, 40, "HHH", 3);  // runs upwards from (10, 40)
  const auto pixels = ink();
  ASSERT_FALSE(pixels.empty());
  for (const POINT& p : pixels) {
    EXPECT_GE(p.x, 10);
    EXPECT_LT(p.x, 10 + 20);
    EXPECT_LE(p.y, 40);
    EXPECT_GT(p.y, 40 - 3 * 8 - 2);
  }
  SelectObject(dc, font);
  DeleteObject(up);
}

TEST_F(GdiText, EdgesAndBadArguments) {
  SetBkMode(dc, TRANSPARENT);
  EXPECT_TRUE(TextOutA(dc, -1000, -1000, "abc", 3));
  EXPECT_TRUE(TextOutA(dc, kW - 3, kH - 3, "WWW", 3));  // clipped, not written outside
  EXPECT_TRUE(TextOutA(dc, 0, 0, "", 0));
  EXPECT_FALSE(TextOutA(dc, 0, 0, nullptr, 3));
  EXPECT_FALSE(TextOutA(dc, 0, 0, "abc", -1));
  EXPECT_FALSE(TextOutA(nullptr, 0, 0, "abc", 3));
  SIZE size{};
  EXPECT_TRUE(GetTextExtentPoint32A(dc, "", 0, &size));
  EXPECT_EQ(size.cx, 0);
  EXPECT_FALSE(GetTextExtentPoint32A(dc, "a", 1, nullptr));
  EXPECT_FALSE(GetTextMetricsA(dc, nullptr));
  // A lone lead byte is drawn as whatever the conversion makes of it.
  EXPECT_TRUE(TextOutA(dc, 0, 0, "\x82", 1));
}
