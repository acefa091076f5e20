#include "gdi_fixture.h"

using GdiObjects = GdiCanvas;

TEST_F(GdiObjects, SelectReturnsThePreviousObjectOfTheSameKind) {
  HPEN a = CreatePen(PS_SOLID, 1, kRed);
  HPEN b = CreatePen(PS_DOT, 1, kBlue);
  HBRUSH brush = CreateSolidBrush(kRed);
  ASSERT_TRUE(a && b && brush);
  EXPECT_NE(a, b);
  EXPECT_EQ(SelectObject(dc, a), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(dc, b), a);
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), b);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  EXPECT_TRUE(DeleteObject(a));
  EXPECT_TRUE(DeleteObject(b));
  EXPECT_TRUE(DeleteObject(brush));
}

TEST_F(GdiObjects, SelectedObjectsCannotBeDeleted) {
  HPEN p = CreatePen(PS_SOLID, 1, kRed);
  SelectObject(dc, p);
  EXPECT_FALSE(DeleteObject(p));
  EXPECT_FALSE(DeleteObject(bitmap));
  // Still usable after the refusal.
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 3, 0);
  EXPECT_EQ(GetPixel(dc, 1, 0), kRed);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  EXPECT_TRUE(DeleteObject(p));
  EXPECT_FALSE(DeleteObject(p));  // gone
  EXPECT_EQ(GetObjectType(p), 0u);
}

TEST_F(GdiObjects, DeletingAContextReleasesItsSelections) {
  HDC other = CreateCompatibleDC(dc);
  HPEN p = CreatePen(PS_SOLID, 1, kRed);
  SelectObject(other, p);
  EXPECT_FALSE(DeleteObject(p));
  EXPECT_TRUE(DeleteDC(other));
  // The thread that just drew on it finds it gone, also for what it held.
  EXPECT_EQ(SelectObject(other, p), nullptr);
  EXPECT_FALSE(MoveToEx(other, 0, 0, nullptr));
  EXPECT_TRUE(DeleteObject(p));
  EXPECT_FALSE(DeleteDC(other));
}

TEST_F(GdiObjects, ABitmapLivesInOneContextAtATime) {
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(other, bitmap), nullptr);
  HBITMAP second = CreateCompatibleBitmap(dc, 4, 4);
  EXPECT_NE(SelectObject(other, second), nullptr);
  EXPECT_TRUE(DeleteDC(other));
  EXPECT_TRUE(DeleteObject(second));
}

TEST_F(GdiObjects, StockObjectsAreFixedAndNeverDeleted) {
  EXPECT_EQ(GetStockObject(BLACK_PEN), GetStockObject(BLACK_PEN));
  EXPECT_NE(GetStockObject(BLACK_PEN), GetStockObject(WHITE_PEN));
  EXPECT_EQ(GetStockObject(-1), nullptr);
  EXPECT_EQ(GetStockObject(99), nullptr);
  EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(GetObjectType(GetStockObject(WHITE_BRUSH)), static_cast<DWORD>(OBJ_BRUSH));
  EXPECT_EQ(GetObjectType(GetStockObject(SYSTEM_FONT)), static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
}

TEST_F(GdiObjects, DescriptionsComeBackThroughGetObject) {
  HPEN p = CreatePen(PS_DASH, 0, 0xFF00FF00u);
  LOGPEN lp{};
  EXPECT_EQ(GetObjectA(p, sizeof(lp), &lp), static_cast<int>(sizeof(LOGPEN)));
  EXPECT_EQ(lp.lopnStyle, static_cast<UINT>(PS_DASH));
  EXPECT_EQ(lp.lopnWidth.x, 1);                 // width 0 is one pixel
  EXPECT_EQ(lp.lopnColor, RGB(0, 255, 0));  // the high byte is dropped
  EXPECT_EQ(GetObjectA(p, 0, nullptr), static_cast<int>(sizeof(LOGPEN)));
  DeleteObject(p);

  BITMAP bm{};
  EXPECT_EQ(GetObjectA(bitmap, sizeof(bm), &bm), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(bm.bmWidth, kW);
  EXPECT_EQ(bm.bmHeight, kH);
  EXPECT_EQ(bm.bmBitsPixel, 32);

  LOGFONTA lf{};
  lf.lfHeight = -12;
  std::strcpy(lf.lfFaceName, "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e");
  HFONT f = CreateFontIndirectA(&lf);
  LOGFONTA back{};
  EXPECT_EQ(GetObjectA(f, sizeof(back), &back), static_cast<int>(sizeof(LOGFONTA)));
  EXPECT_EQ(back.lfHeight, -12);
  EXPECT_STREQ(back.lfFaceName, lf.lfFaceName);
  DeleteObject(f);
  EXPECT_EQ(GetObjectA(reinterpret_cast<HGDIOBJ>(0x5555), sizeof(back), &back), 0);
}

TEST_F(GdiObjects, ColourHighByteIsIgnored) {
  // The monitor passes -1 for a white sweep line.
  HPEN p = CreatePen(PS_SOLID, 1, 0xFFFFFFFFu);
  SelectObject(dc, p);
  clear(kBlack);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 5, 0);
  EXPECT_EQ(GetPixel(dc, 2, 0), kWhite);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  DeleteObject(p);
  EXPECT_EQ(SetBkColor(dc, 0x01123456u), kWhite);
  EXPECT_EQ(GetBkColor(dc), 0x123456u);
}

TEST_F(GdiObjects, BadHandlesAndValuesAreRefused) {
  EXPECT_EQ(CreatePen(9, 1, 0), nullptr);
  EXPECT_EQ(CreatePenIndirect(nullptr), nullptr);
  EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
  EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
  EXPECT_EQ(SelectObject(nullptr, GetStockObject(BLACK_PEN)), nullptr);
  EXPECT_EQ(SelectObject(dc, dc), nullptr);
  EXPECT_FALSE(DeleteObject(nullptr));
  EXPECT_FALSE(DeleteObject(dc));  // contexts go with DeleteDC
  EXPECT_EQ(SetBkMode(dc, 7), 0);
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
  EXPECT_EQ(SetTextColor(nullptr, 0), CLR_INVALID);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), kW);
  EXPECT_EQ(GetDeviceCaps(nullptr, BITSPIXEL), 0);
}

TEST_F(GdiObjects, HandlesAreNotReusedAtOnce) {
  HBRUSH first = CreateSolidBrush(kRed);
  DeleteObject(first);
  HBRUSH second = CreateSolidBrush(kRed);
  EXPECT_NE(first, second);
  EXPECT_LT(reinterpret_cast<uintptr_t>(second), uintptr_t{1} << 31);
  DeleteObject(second);
}
