// Contexts of windows: drawing reaches the window's surface and the
// toolkit hears which part changed.
#include <platform/window_surface.h>

#include "gdi_fixture.h"

namespace {

LRESULT CALLBACK plainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND makeWindow(int width, int height) {
  static const ATOM atom = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = plainProc;
    wc.lpszClassName = "GdiTestWindow";
    return RegisterClassA(&wc);
  }();
  if (!atom) return nullptr;
  return CreateWindowExA(0, "GdiTestWindow", "gdi", WS_OVERLAPPEDWINDOW, 0, 0, width, height, nullptr, nullptr,
                         nullptr, nullptr);
}

struct Changes {
  int calls = 0;
  RECT last{};
};

void CALLBACK onChanged(HWND, const RECT* changed, void* user) {
  auto* c = static_cast<Changes*>(user);
  ++c->calls;
  if (changed) c->last = *changed;
}

}  // namespace

TEST(GdiWindowDc, DrawsIntoTheWindowSurface) {
  HWND hwnd = makeWindow(120, 80);
  ASSERT_NE(hwnd, nullptr);
  Changes changes;
  ASSERT_TRUE(PlatSetSurfaceChangedHook(hwnd, onChanged, &changes));
  HDC dc = GetDC(hwnd);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_DC));
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 120);

  HPEN pen = CreatePen(PS_SOLID, 1, kRed);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, 10, 5, nullptr);
  LineTo(dc, 30, 5);
  EXPECT_EQ(changes.calls, 1);
  EXPECT_EQ(changes.last.left, 10);
  EXPECT_EQ(changes.last.top, 5);
  EXPECT_EQ(changes.last.right, 30);
  EXPECT_EQ(changes.last.bottom, 6);

  PlatSurface s{};
  ASSERT_TRUE(PlatGetWindowSurface(hwnd, &s));
  const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s.pixels) + 5 * s.stride);
  EXPECT_EQ(row[10], 0xFFFF0000u);  // red as 0xAARRGGBB
  EXPECT_EQ(GetPixel(dc, 29, 5), kRed);
  EXPECT_EQ(GetPixel(dc, 0, 0), kBlack);  // a new surface is black

  // A second context of the same window sees the same pixels.
  HDC second = GetDC(hwnd);
  EXPECT_NE(second, dc);
  EXPECT_EQ(GetPixel(second, 15, 5), kRed);
  EXPECT_EQ(ReleaseDC(hwnd, second), 1);

  // Drawing that touches nothing tells nobody.
  LineTo(dc, 500, 5000);
  MoveToEx(dc, -10, -10, nullptr);
  LineTo(dc, -50, -3);
  EXPECT_EQ(changes.calls, 2);

  SelectObject(dc, old);
  DeleteObject(pen);
  EXPECT_EQ(ReleaseDC(nullptr, dc), 0);  // not that window's
  EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
  EXPECT_EQ(ReleaseDC(hwnd, dc), 0);
  EXPECT_TRUE(DestroyWindow(hwnd));
}

TEST(GdiWindowDc, AContextOutlivingItsWindowDrawsNothing) {
  HWND hwnd = makeWindow(50, 50);
  ASSERT_NE(hwnd, nullptr);
  HDC dc = GetDC(hwnd);
  ASSERT_TRUE(DestroyWindow(hwnd));
  EXPECT_FALSE(LineTo(dc, 10, 10));
  EXPECT_EQ(GetPixel(dc, 1, 1), CLR_INVALID);
  RECT r{0, 0, 10, 10};
  EXPECT_EQ(FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
  EXPECT_EQ(GetDC(hwnd), nullptr);
}

TEST(GdiWindowDc, ScreenContextAnswersButDrawsNowhere) {
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  EXPECT_TRUE(LineTo(screen, 10, 10));
  EXPECT_EQ(GetPixel(screen, 0, 0), CLR_INVALID);
  HDC mem = CreateCompatibleDC(screen);
  EXPECT_NE(mem, nullptr);
  EXPECT_TRUE(DeleteDC(mem));
  EXPECT_FALSE(DeleteDC(screen));  // window contexts are released, not deleted
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST(GdiWindowDc, BitBltFromAWindowIntoADibSection) {
  HWND hwnd = makeWindow(40, 30);
  ASSERT_NE(hwnd, nullptr);
  HDC win = GetDC(hwnd);
  SetPixel(win, 3, 4, kRed);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 40;
  info.bmiHeader.biHeight = 30;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(win, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC mem = CreateCompatibleDC(win);
  HGDIOBJ old = SelectObject(mem, dib);
  ASSERT_TRUE(BitBlt(mem, 0, 0, 40, 30, win, 0, 0, SRCCOPY));
  ReleaseDC(hwnd, win);
  EXPECT_TRUE(GdiFlush());
  const auto* words = static_cast<const uint32_t*>(bits);
  EXPECT_EQ(words[(29 - 4) * 40 + 3] & 0xFFFFFFu, 0xFF0000u);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(dib);
  DestroyWindow(hwnd);
}

TEST(GdiWindowDc, BeginPaintHandsOutADrawingContext) {
  HWND hwnd = makeWindow(30, 20);
  ASSERT_NE(hwnd, nullptr);
  InvalidateRect(hwnd, nullptr, FALSE);
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(hwnd, &ps);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(SetPixel(dc, 2, 3, kBlue), kBlue);
  EXPECT_TRUE(EndPaint(hwnd, &ps));
  HDC again = GetDC(hwnd);
  EXPECT_EQ(GetPixel(again, 2, 3), kBlue);
  ReleaseDC(hwnd, again);
  DestroyWindow(hwnd);
}
