// A memory context over a white bitmap, and pixel helpers for reading what
// was drawn.
#pragma once
#include <windows.h>
#include <wingdi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <string>
#include <vector>

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class GdiCanvas : public ::testing::Test {
 protected:
  static constexpr int kW = 64;
  static constexpr int kH = 48;

  void SetUp() override {
    dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    bitmap = CreateCompatibleBitmap(dc, kW, kH);
    ASSERT_NE(bitmap, nullptr);
    oldBitmap = SelectObject(dc, bitmap);
    ASSERT_NE(oldBitmap, nullptr);
    clear(kWhite);
  }

  void TearDown() override {
    if (pen) {
      SelectObject(dc, GetStockObject(BLACK_PEN));
      EXPECT_TRUE(DeleteObject(pen));
    }
    SelectObject(dc, oldBitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteDC(dc));
  }

  void clear(COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    RECT all{0, 0, kW, kH};
    FillRect(dc, &all, b);
    DeleteObject(b);
  }

  void usePen(int style, int width, COLORREF c) {
    HPEN fresh = CreatePen(style, width, c);
    ASSERT_NE(fresh, nullptr);
    SelectObject(dc, fresh);
    if (pen) DeleteObject(pen);
    pen = fresh;
  }

  void line(int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
  }

  // Every pixel that is not `background`, as (x, y) pairs in row order.
  std::vector<POINT> ink(COLORREF background = kWhite) const {
    std::vector<POINT> out;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        if (GetPixel(dc, x, y) != background) out.push_back(POINT{x, y});
    return out;
  }

  std::vector<COLORREF> snapshot() const {
    std::vector<COLORREF> out;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) out.push_back(GetPixel(dc, x, y));
    return out;
  }

  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  HPEN pen = nullptr;
};

inline bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }
inline std::ostream& operator<<(std::ostream& os, const POINT& p) { return os << "(" << p.x << "," << p.y << ")"; }
