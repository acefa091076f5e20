#include "gdi_fixture.h"

using GdiLines = GdiCanvas;

TEST_F(GdiLines, LeavesOutTheEndPointInEveryDirection) {
  usePen(PS_SOLID, 1, kBlack);
  line(10, 10, 20, 10);
  EXPECT_EQ(GetPixel(dc, 10, 10), kBlack);
  EXPECT_EQ(GetPixel(dc, 19, 10), kBlack);
  EXPECT_EQ(GetPixel(dc, 20, 10), kWhite);
  EXPECT_EQ(ink().size(), 10u);

  clear(kWhite);
  line(20, 30, 10, 30);  // leftwards: (10, 30) is the end
  EXPECT_EQ(GetPixel(dc, 20, 30), kBlack);
  EXPECT_EQ(GetPixel(dc, 11, 30), kBlack);
  EXPECT_EQ(GetPixel(dc, 10, 30), kWhite);

  clear(kWhite);
  line(5, 40, 5, 30);  // upwards
  EXPECT_EQ(GetPixel(dc, 5, 40), kBlack);
  EXPECT_EQ(GetPixel(dc, 5, 31), kBlack);
  EXPECT_EQ(GetPixel(dc, 5, 30), kWhite);
  EXPECT_EQ(ink().size(), 10u);
}

TEST_F(GdiLines, ZeroLengthDrawsNothingAndMovesThePosition) {
  usePen(PS_SOLID, 1, kBlack);
  line(7, 7, 7, 7);
  EXPECT_TRUE(ink().empty());
  LineTo(dc, 9, 7);
  EXPECT_EQ(ink(), (std::vector<POINT>{{7, 7}, {8, 7}}));
  POINT previous{};
  MoveToEx(dc, 1, 2, &previous);
  EXPECT_EQ(previous, (POINT{9, 7}));
}

TEST_F(GdiLines, ShallowLineRoundsToNearestRow) {
  usePen(PS_SOLID, 1, kBlack);
  // y = x / 4: at x = 2 and x = 6 the exact value lies halfway, which goes to
  // the smaller row.
  line(0, 0, 8, 2);
  EXPECT_EQ(ink(), (std::vector<POINT>{{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 2}}));
}

TEST_F(GdiLines, SteepLineStepsOnePixelPerRow) {
  usePen(PS_SOLID, 1, kBlack);
  line(3, 0, 6, 9);
  const auto pixels = ink();
  ASSERT_EQ(pixels.size(), 9u);
  for (size_t i = 0; i < pixels.size(); ++i) {
    EXPECT_EQ(pixels[i].y, static_cast<LONG>(i));
    EXPECT_LE(std::abs(pixels[i].x * 3 - (9 + static_cast<LONG>(i))), 3) << pixels[i];  // within half a pixel
  }
}

TEST_F(GdiLines, SamePixelsBothWaysApartFromTheEnds) {
  usePen(PS_SOLID, 1, kBlack);
  const POINT cases[][2] = {{{2, 3}, {41, 17}}, {{5, 40}, {30, 1}}, {{0, 0}, {13, 13}}, {{60, 2}, {1, 9}}};
  for (const auto& c : cases) {
    clear(kWhite);
    line(c[0].x, c[0].y, c[1].x, c[1].y);
    SetPixel(dc, c[1].x, c[1].y, kBlack);
    const auto forward = ink();
    clear(kWhite);
    line(c[1].x, c[1].y, c[0].x, c[0].y);
    SetPixel(dc, c[0].x, c[0].y, kBlack);
    EXPECT_EQ(ink(), forward) << c[0] << "-" << c[1];
  }
}

TEST_F(GdiLines, PolylineDrawsEachVertexOnceAndSkipsTheLast) {
  usePen(PS_SOLID, 1, kBlack);
  // A black pen in NOTXOR mode turns white black, and black white again: a
  // vertex drawn twice would show white.
  SetROP2(dc, R2_NOTXORPEN);
  const POINT pts[] = {{5, 5}, {15, 5}, {15, 15}, {5, 15}, {5, 5}};
  ASSERT_TRUE(Polyline(dc, pts, 5));
  EXPECT_EQ(ink().size(), 40u);  // the closed square's border, no vertex twice
  for (const POINT& p : pts) EXPECT_EQ(GetPixel(dc, p.x, p.y), kBlack) << p;
}

TEST_F(GdiLines, XorTwiceRestoresTheScreen) {
  // A picture with several colours under the line.
  HBRUSH red = CreateSolidBrush(kRed);
  RECT part{0, 0, 32, 24};
  FillRect(dc, &part, red);
  DeleteObject(red);
  const auto before = snapshot();
  usePen(PS_SOLID, 1, RGB(0x12, 0x34, 0x56));
  EXPECT_EQ(SetROP2(dc, R2_XORPEN), R2_COPYPEN);
  const POINT pts[] = {{0, 0}, {63, 47}, {0, 47}, {40, 3}};
  Polyline(dc, pts, 4);
  EXPECT_NE(snapshot(), before);
  EXPECT_EQ(GetPixel(dc, 1, 1), (kRed ^ RGB(0x12, 0x34, 0x56)));
  Polyline(dc, pts, 4);
  EXPECT_EQ(snapshot(), before);
}

TEST_F(GdiLines, NotXorDrawsTheInverseOfPenXorScreen) {
  usePen(PS_SOLID, 1, kRed);
  SetROP2(dc, R2_NOTXORPEN);
  line(0, 0, 10, 0);
  EXPECT_EQ(GetPixel(dc, 0, 0), (~(kRed ^ kWhite)) & 0xFFFFFFu);  // red over white: red
  EXPECT_EQ(GetPixel(dc, 0, 0), kRed);
  line(0, 0, 10, 0);  // and twice: white again
  EXPECT_EQ(GetPixel(dc, 0, 0), kWhite);
}

TEST_F(GdiLines, OtherMixModes) {
  usePen(PS_SOLID, 1, RGB(0xF0, 0x0F, 0x33));
  const struct {
    int rop;
    COLORREF expect;  // over the screen colour 0x5555AA (B=0x55, G=0x55, R=0xAA)
  } cases[] = {
      {R2_BLACK, 0},
      {R2_WHITE, 0xFFFFFF},
      {R2_NOP, RGB(0xAA, 0x55, 0x55)},
      {R2_NOT, RGB(0x55, 0xAA, 0xAA)},
      {R2_COPYPEN, RGB(0xF0, 0x0F, 0x33)},
      {R2_NOTCOPYPEN, RGB(0x0F, 0xF0, 0xCC)},
      {R2_MASKPEN, RGB(0xA0, 0x05, 0x11)},
      {R2_MERGEPEN, RGB(0xFA, 0x5F, 0x77)},
  };
  for (const auto& c : cases) {
    clear(RGB(0xAA, 0x55, 0x55));
    SetROP2(dc, c.rop);
    line(0, 0, 4, 0);
    EXPECT_EQ(GetPixel(dc, 1, 0), c.expect) << c.rop;
  }
  EXPECT_EQ(SetROP2(dc, 0), 0);
  EXPECT_EQ(SetROP2(dc, 17), 0);
  EXPECT_EQ(GetROP2(dc), R2_MERGEPEN);
}

TEST_F(GdiLines, DotPatternAlternatesThreeOnThreeOff) {
  usePen(PS_DOT, 1, kBlack);
  SetBkColor(dc, kBlue);
  line(0, 0, 30, 0);  // OPAQUE by default: gaps take the background colour
  for (int x = 0; x < 30; ++x) EXPECT_EQ(GetPixel(dc, x, 0), (x / 3) % 2 == 0 ? kBlack : kBlue) << x;
  EXPECT_EQ(GetPixel(dc, 30, 0), kWhite);

  SetBkMode(dc, TRANSPARENT);
  line(0, 2, 30, 2);
  for (int x = 0; x < 30; ++x) EXPECT_EQ(GetPixel(dc, x, 2), (x / 3) % 2 == 0 ? kBlack : kWhite) << x;
}

TEST_F(GdiLines, DashPatternsRunAlongTheDrawingDirection) {
  usePen(PS_DASH, 1, kBlack);
  SetBkMode(dc, TRANSPARENT);
  line(40, 5, 0, 5);  // leftwards: the first dash starts at x = 40
  for (int x = 40; x > 0; --x) EXPECT_EQ(GetPixel(dc, x, 5), (40 - x) % 24 < 18 ? kBlack : kWhite) << x;

  usePen(PS_DASHDOT, 1, kBlack);
  line(0, 10, 48, 10);
  const int runs[] = {9, 6, 3, 6};
  int x = 0;
  for (int k = 0; k < 8; ++k) {
    for (int i = 0; i < runs[k % 4]; ++i, ++x) EXPECT_EQ(GetPixel(dc, x, 10), k % 2 == 0 ? kBlack : kWhite) << x;
  }
}

TEST_F(GdiLines, WidePenCoversItsWidthAndDrawsEachPixelOnce) {
  usePen(PS_SOLID, 5, kBlack);
  SetROP2(dc, R2_NOTXORPEN);
  line(10, 20, 50, 20);
  for (int y = 18; y <= 22; ++y) EXPECT_EQ(GetPixel(dc, 30, y), kBlack) << y;
  EXPECT_EQ(GetPixel(dc, 30, 17), kWhite);
  EXPECT_EQ(GetPixel(dc, 30, 23), kWhite);
  // Styled pens wider than one pixel are drawn solid.
  clear(kWhite);
  usePen(PS_DOT, 3, kBlack);
  line(10, 30, 50, 30);
  for (int x = 10; x < 50; ++x) EXPECT_EQ(GetPixel(dc, x, 30), kBlack) << x;
}

TEST_F(GdiLines, ClipsAtTheEdgesWithoutTouchingAnythingElse) {
  usePen(PS_SOLID, 1, kBlack);
  line(-100, 10, 1000, 10);
  for (int x = 0; x < kW; ++x) EXPECT_EQ(GetPixel(dc, x, 10), kBlack);
  EXPECT_EQ(ink().size(), static_cast<size_t>(kW));

  clear(kWhite);
  // Far outside, huge coordinates: the visible part is still exact.
  line(-2000000000, -2000000000, 2000000000, 2000000000);
  for (int i = 0; i < kH; ++i) EXPECT_EQ(GetPixel(dc, i, i), kBlack) << i;
  EXPECT_EQ(ink().size(), static_cast<size_t>(kH));

  clear(kWhite);
  const POINT wild[] = {{-50, -50}, {200, -3}, {-7, 300}, {32, 24}};
  EXPECT_TRUE(Polyline(dc, wild, 4));
  usePen(PS_SOLID, 9, kBlack);
  line(-20, -20, kW + 20, kH + 20);
  EXPECT_EQ(GetPixel(dc, kW + 5, 0), CLR_INVALID);
}

TEST_F(GdiLines, BadArgumentsAreRefused) {
  const POINT one[] = {{1, 1}};
  EXPECT_FALSE(Polyline(dc, one, 1));
  EXPECT_FALSE(Polyline(dc, nullptr, 5));
  EXPECT_FALSE(Polyline(dc, one, -3));
  EXPECT_FALSE(LineTo(nullptr, 3, 3));
  EXPECT_FALSE(MoveToEx(reinterpret_cast<HDC>(0x7777777), 3, 3, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(ink().empty());
}
