#include "gdi_fixture.h"

using GdiShapes = GdiCanvas;

namespace {
size_t count(const std::vector<COLORREF>& pixels, COLORREF c) { return std::count(pixels.begin(), pixels.end(), c); }
}  // namespace

TEST_F(GdiShapes, RectangleBorderWithPenInsideWithBrush) {
  usePen(PS_SOLID, 1, kBlack);
  HBRUSH red = CreateSolidBrush(kRed);
  HGDIOBJ oldBrush = SelectObject(dc, red);
  ASSERT_TRUE(Rectangle(dc, 10, 10, 20, 16));
  EXPECT_EQ(GetPixel(dc, 10, 10), kBlack);
  EXPECT_EQ(GetPixel(dc, 19, 15), kBlack);
  EXPECT_EQ(GetPixel(dc, 20, 15), kWhite);  // right and bottom are outside
  EXPECT_EQ(GetPixel(dc, 19, 16), kWhite);
  EXPECT_EQ(GetPixel(dc, 11, 11), kRed);
  EXPECT_EQ(GetPixel(dc, 18, 14), kRed);
  const auto all = snapshot();
  EXPECT_EQ(count(all, kBlack), 2u * 10 + 2u * 4);
  EXPECT_EQ(count(all, kRed), 8u * 4);
  SelectObject(dc, oldBrush);
  DeleteObject(red);
}

TEST_F(GdiShapes, RectangleWithoutPenReachesOnePixelLess) {
  SelectObject(dc, GetStockObject(NULL_PEN));
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  Rectangle(dc, 0, 0, 10, 10);
  EXPECT_EQ(ink().size(), 81u);
  EXPECT_EQ(GetPixel(dc, 8, 8), kBlack);
  EXPECT_EQ(GetPixel(dc, 9, 9), kWhite);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
}

TEST_F(GdiShapes, HollowRectangleInXorModeRestores) {
  usePen(PS_SOLID, 1, kBlue);
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  SetROP2(dc, R2_XORPEN);
  Rectangle(dc, 3, 3, 40, 30);
  Rectangle(dc, 12, 20, 13, 45);  // one pixel wide: drawn once too
  EXPECT_EQ(GetPixel(dc, 20, 10), kWhite);
  Rectangle(dc, 3, 3, 40, 30);
  Rectangle(dc, 12, 20, 13, 45);
  EXPECT_TRUE(ink().empty());
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
}

TEST_F(GdiShapes, FillRectIsHalfOpenClippedAndIgnoresTheMixMode) {
  usePen(PS_SOLID, 1, kRed);
  SetROP2(dc, R2_XORPEN);
  HBRUSH blue = CreateSolidBrush(kBlue);
  RECT r{60, 40, 200, 200};
  EXPECT_EQ(FillRect(dc, &r, blue), 1);
  EXPECT_EQ(ink().size(), 4u * 8);
  EXPECT_EQ(GetPixel(dc, 63, 47), kBlue);
  EXPECT_EQ(GetPixel(dc, 59, 47), kWhite);
  RECT empty{10, 10, 10, 20};
  RECT backwards{20, 20, 10, 10};
  FillRect(dc, &empty, blue);
  FillRect(dc, &backwards, blue);
  EXPECT_EQ(ink().size(), 4u * 8);
  EXPECT_EQ(FillRect(dc, nullptr, blue), 0);
  EXPECT_EQ(FillRect(dc, &r, reinterpret_cast<HBRUSH>(pen)), 0);
  DeleteObject(blue);
}

TEST_F(GdiShapes, EllipseStaysInItsBoxAndIsSymmetric) {
  usePen(PS_SOLID, 1, kBlack);
  SelectObject(dc, GetStockObject(GRAY_BRUSH));
  Ellipse(dc, 10, 5, 31, 26);
  for (const POINT& p : ink()) {
    EXPECT_GE(p.x, 10);
    EXPECT_LT(p.x, 31);
    EXPECT_GE(p.y, 5);
    EXPECT_LT(p.y, 26);
    EXPECT_EQ(GetPixel(dc, 40 - p.x, p.y), GetPixel(dc, p.x, p.y)) << p;  // mirrored about x = 20
    EXPECT_EQ(GetPixel(dc, p.x, 30 - p.y), GetPixel(dc, p.x, p.y)) << p;
  }
  EXPECT_EQ(GetPixel(dc, 20, 15), RGB(128, 128, 128));
  EXPECT_EQ(GetPixel(dc, 20, 5), kBlack);   // top of the outline
  EXPECT_EQ(GetPixel(dc, 10, 15), kBlack);  // left of the outline
  EXPECT_EQ(GetPixel(dc, 11, 6), kWhite);   // corner of the box stays clear
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
}

TEST_F(GdiShapes, PolygonFillsPixelCentresInside) {
  SelectObject(dc, GetStockObject(NULL_PEN));
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  const POINT square[] = {{2, 2}, {6, 2}, {6, 6}, {2, 6}};
  ASSERT_TRUE(Polygon(dc, square, 4));
  EXPECT_EQ(ink().size(), 16u);
  EXPECT_EQ(GetPixel(dc, 2, 2), kBlack);
  EXPECT_EQ(GetPixel(dc, 6, 6), kWhite);

  clear(kWhite);
  const POINT triangle[] = {{20, 10}, {30, 30}, {10, 30}};
  Polygon(dc, triangle, 3);
  EXPECT_EQ(GetPixel(dc, 20, 20), kBlack);
  EXPECT_EQ(GetPixel(dc, 12, 12), kWhite);
  EXPECT_FALSE(Polygon(dc, triangle, 1));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
}

TEST_F(GdiShapes, SetPixelAndGetPixelAtTheEdges) {
  EXPECT_EQ(SetPixel(dc, 0, 0, kRed), kRed);
  EXPECT_EQ(SetPixel(dc, kW - 1, kH - 1, 0xFF0000FFu), kRed);  // the high byte is ignored
  EXPECT_EQ(GetPixel(dc, kW - 1, kH - 1), kRed);
  EXPECT_EQ(SetPixel(dc, kW, 0, kRed), CLR_INVALID);
  EXPECT_EQ(SetPixel(dc, -1, 0, kRed), CLR_INVALID);
  EXPECT_EQ(GetPixel(dc, 0, kH), CLR_INVALID);
  EXPECT_EQ(GetPixel(dc, 0, -1), CLR_INVALID);
  EXPECT_EQ(ink().size(), 2u);
}

TEST_F(GdiShapes, FarCoordinatesDrawOnlyTheirVisiblePart) {
  usePen(PS_SOLID, 1, kBlack);
  SelectObject(dc, GetStockObject(GRAY_BRUSH));
  const int big = 2147483647, small = -2147483647 - 1;
  Rectangle(dc, small, small, big, big);  // the whole surface is inside: gray
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(128, 128, 128));
  EXPECT_EQ(GetPixel(dc, kW - 1, kH - 1), RGB(128, 128, 128));
  clear(kWhite);
  Rectangle(dc, -10, 5, big, 20);  // the left side is off the surface, the top is not
  EXPECT_EQ(GetPixel(dc, 0, 5), kBlack);
  EXPECT_EQ(GetPixel(dc, 0, 6), RGB(128, 128, 128));
  Ellipse(dc, small, small, big, big);
  Ellipse(dc, big - 1, 0, big, 10);
  usePen(PS_DOT, 1, kBlack);
  Rectangle(dc, small, small, big, big);
  SetBkMode(dc, TRANSPARENT);
  EXPECT_TRUE(TextOutA(dc, big - 2, big - 2, "ab", 2));
  EXPECT_TRUE(TextOutA(dc, small, small, "ab", 2));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
}
