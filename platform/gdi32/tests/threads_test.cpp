// Objects are shared by every thread; drawing on one context or one window
// from several threads at once stays whole.
#include <platform/window_surface.h>

#include <atomic>
#include <thread>
#include <vector>

#include "gdi_fixture.h"

namespace {

LRESULT CALLBACK plainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

TEST(GdiThreads, ObjectsMadeAndDeletedOnManyThreads) {
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &failures] {
      HDC dc = CreateCompatibleDC(nullptr);
      HBITMAP bmp = CreateCompatibleBitmap(dc, 32, 32);
      HGDIOBJ old = SelectObject(dc, bmp);
      for (int i = 0; i < 200; ++i) {
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(t, i % 256, 0));
        HGDIOBJ previous = SelectObject(dc, pen);
        MoveToEx(dc, 0, i % 32, nullptr);
        LineTo(dc, 32, i % 32);
        if (GetPixel(dc, 5, i % 32) != RGB(t, i % 256, 0)) ++failures;
        SelectObject(dc, previous);
        if (!DeleteObject(pen)) ++failures;
      }
      SelectObject(dc, old);
      DeleteObject(bmp);
      DeleteDC(dc);
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(failures.load(), 0);
}

TEST(GdiThreads, OneContextUsedFromTwoThreads) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(dc, 64, 64);
  HGDIOBJ old = SelectObject(dc, bmp);
  SelectObject(dc, GetStockObject(WHITE_PEN));
  for (int y = 0; y < 64; ++y) {
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, 64, y);
  }
  SelectObject(dc, GetStockObject(BLACK_PEN));
  HPEN red = CreatePen(PS_SOLID, 1, kRed), blue = CreatePen(PS_SOLID, 1, kBlue);
  std::atomic<bool> stop{false};
  std::thread switcher([&] {
    for (int i = 0; i < 500; ++i) SelectObject(dc, i % 2 ? red : blue);
    stop = true;
  });
  int lines = 0;
  while (!stop.load() || lines < 10) {
    const POINT pts[] = {{0, lines % 64}, {64, lines % 64}};
    Polyline(dc, pts, 2);
    ++lines;
  }
  switcher.join();
  // Every row drawn is one colour from end to end.
  for (int y = 0; y < 64 && y < lines; ++y) {
    const COLORREF first = GetPixel(dc, 0, y);
    EXPECT_TRUE(first == kRed || first == kBlue || first == kBlack) << y;  // black: before the first switch
    for (int x = 1; x < 64; ++x) ASSERT_EQ(GetPixel(dc, x, y), first) << x << "," << y;
  }
  SelectObject(dc, GetStockObject(BLACK_PEN));
  DeleteObject(red);
  DeleteObject(blue);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
}

TEST(GdiThreads, WindowSurfaceDrawnWhileAnotherThreadReadsIt) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = plainProc;
  wc.lpszClassName = "GdiThreadWindow";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(0, "GdiThreadWindow", "t", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  HDC dc = GetDC(hwnd);
  std::atomic<bool> done{false};
  std::atomic<uint64_t> seen{0};
  std::thread reader([&] {
    // What a toolkit's thread does to show the surface.
    while (!done.load()) {
      PlatSurfaceGuard guard(hwnd);
      if (!guard || !guard.surface().pixels) continue;
      const auto* p = static_cast<const uint32_t*>(guard.surface().pixels);
      seen += p[50 * 100 + 50] & 1u;
    }
  });
  HBRUSH b = CreateSolidBrush(RGB(1, 1, 1));
  for (int i = 0; i < 300; ++i) {
    RECT r{0, 0, 100, 100};
    FillRect(dc, &r, b);
    MoveToEx(dc, 0, i % 100, nullptr);
    LineTo(dc, 100, i % 100);
  }
  done = true;
  reader.join();
  DeleteObject(b);
  EXPECT_EQ(GetPixel(dc, 50, 50), RGB(1, 1, 1));
  ReleaseDC(hwnd, dc);
  DestroyWindow(hwnd);
}
