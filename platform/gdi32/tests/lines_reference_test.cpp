// The line drawer against a plain reference: every pixel of a line worked out
// on its own from the exact rounding rule, clipped pixel by pixel. Random
// segments of every slope, direction and distance, with every pen kind the
// drawer has a separate path for, must give identical surfaces.
#include <windows.h>
#include <wingdi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

// The on/off patterns, one character per pixel.
std::string patternOf(int style) {
  switch (style) {
    case PS_DASH: return std::string(18, '1') + std::string(6, '0');
    case PS_DOT: return "111000";
    case PS_DASHDOT: return std::string(9, '1') + std::string(6, '0') + "111" + std::string(6, '0');
    case PS_DASHDOTDOT: return std::string(9, '1') + "000111000111000";
    default: return "";
  }
}

using Wide = __int128;

Wide floorDiv(Wide num, Wide den) {
  Wide q = num / den;
  if (num % den != 0 && num < 0) --q;
  return q;
}

// Mix modes by their meaning, pen p over screen d, colour bits only.
uint32_t mixed(int rop, uint32_t p, uint32_t d) {
  switch (rop) {
    case R2_XORPEN: return (p ^ d) & 0xFFFFFFu;
    case R2_NOTXORPEN: return ~(p ^ d) & 0xFFFFFFu;
    case R2_MERGEPEN: return (p | d) & 0xFFFFFFu;
    case R2_BLACK: return 0;
    default: return p;
  }
}

// Pixels as 0x00RRGGBB, top row first.
struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> px;
  uint32_t& at(int64_t x, int64_t y) { return px[static_cast<size_t>(y * width + x)]; }
};

struct Pen {
  int style = PS_SOLID;
  COLORREF colour = 0;
  int rop = R2_COPYPEN;
  bool opaque = false;
  COLORREF background = 0;
};

uint32_t bgr(COLORREF c) { return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu); }

// One segment, end point left out; `phase` is the pattern's pixel count.
void referenceLine(Picture& pic, const Pen& pen, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t& phase) {
  const int64_t dx = x1 - x0, dy = y1 - y0;
  if (dx == 0 && dy == 0) return;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const int64_t da = xMajor ? dx : dy, db = xMajor ? dy : dx;
  const int64_t s = da > 0 ? 1 : -1;
  const int64_t n = std::llabs(da);
  const std::string pattern = patternOf(pen.style);
  // Walks from the start point in drawing direction; the minor coordinate
  // uses the canonical form from the lower major end, so both directions
  // give the same pixels.
  const int64_t ca0 = s > 0 ? (xMajor ? x0 : y0) : (xMajor ? x1 : y1);
  const int64_t cb0 = s > 0 ? (xMajor ? y0 : x0) : (xMajor ? y1 : x1);
  const int64_t cdb = s > 0 ? db : -db;
  // Only the pixels whose major coordinate lies on the surface, so that a
  // line 2^32 pixels long takes no longer than one across it.
  const int64_t start = xMajor ? x0 : y0, extent = xMajor ? pic.width : pic.height;
  const int64_t from = std::max<int64_t>(0, s > 0 ? -start : start - extent + 1);
  const int64_t to = std::min<int64_t>(n, s > 0 ? extent - start : start + 1);
  for (int64_t i = from; i < to; ++i) {
    const int64_t a = start + s * i;
    const Wide minor = cb0 + floorDiv(Wide{2} * (a - ca0) * cdb + n - 1, Wide{2} * n);
    const Wide x = xMajor ? Wide{a} : minor, y = xMajor ? minor : Wide{a};
    const uint32_t count = phase + static_cast<uint32_t>(i);
    if (x < 0 || y < 0 || x >= pic.width || y >= pic.height) continue;
    uint32_t& p = pic.at(static_cast<int64_t>(x), static_cast<int64_t>(y));
    if (pattern.empty() || pattern[count % pattern.size()] == '1') {
      p = mixed(pen.rop, bgr(pen.colour), p);
    } else if (pen.opaque) {
      p = mixed(pen.rop, bgr(pen.background), p);
    }
  }
  phase += static_cast<uint32_t>(n);
}

class LineReference : public ::testing::TestWithParam<bool> {
 protected:
  static constexpr int kW = 97;
  static constexpr int kH = 61;

  void SetUp() override {
    dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kW;
    // The parameter picks a bottom-up surface, whose rows run backwards.
    info.bmiHeader.biHeight = GetParam() ? kH : -kH;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* raw = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &raw, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    bits = static_cast<uint32_t*>(raw);
    old = SelectObject(dc, bitmap);
    expected.width = kW;
    expected.height = kH;
    expected.px.assign(kW * kH, 0);
  }
  void TearDown() override {
    SelectObject(dc, GetStockObject(BLACK_PEN));
    if (pen) DeleteObject(pen);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }

  void use(const Pen& p) {
    HPEN fresh = CreatePen(p.style, 1, p.colour);
    ASSERT_NE(fresh, nullptr);
    SelectObject(dc, fresh);
    if (pen) DeleteObject(pen);
    pen = fresh;
    SetROP2(dc, p.rop);
    SetBkMode(dc, p.opaque ? OPAQUE : TRANSPARENT);
    SetBkColor(dc, p.background);
  }

  // The surface as drawn, in the reference's layout.
  Picture drawn() const {
    Picture pic{kW, kH, std::vector<uint32_t>(kW * kH)};
    for (int y = 0; y < kH; ++y) {
      const int row = GetParam() ? kH - 1 - y : y;
      for (int x = 0; x < kW; ++x) pic.px[y * kW + x] = bits[row * kW + x] & 0xFFFFFFu;
    }
    return pic;
  }

  // The first pixel that differs, for the failure message.
  std::string firstDifference() const {
    const Picture got = drawn();
    for (int i = 0; i < kW * kH; ++i) {
      if (got.px[i] != expected.px[i]) {
        return "(" + std::to_string(i % kW) + "," + std::to_string(i / kW) + ") drawn " + std::to_string(got.px[i]) +
               " expected " + std::to_string(expected.px[i]);
      }
    }
    return "";
  }

  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  HPEN pen = nullptr;
  uint32_t* bits = nullptr;
  Picture expected;
};

// End points near the surface, a little further, far off, and anywhere at
// all: the far ones exercise the clipping and the wide arithmetic.
LONG coordinate(std::mt19937& rng, int extent) {
  switch (rng() % 8) {
    case 0: return static_cast<LONG>(rng());
    case 1: return std::uniform_int_distribution<LONG>(-100000, 100000)(rng);
    case 2: return std::uniform_int_distribution<LONG>(-300, extent + 300)(rng);
    default: return std::uniform_int_distribution<LONG>(-3, extent + 3)(rng);
  }
}

TEST_P(LineReference, RandomSegmentsMatchPixelForPixel) {
  const std::vector<Pen> pens = {
      {PS_SOLID, RGB(10, 200, 30), R2_COPYPEN, false, 0},
      {PS_SOLID, RGB(0x12, 0x34, 0x56), R2_XORPEN, false, 0},
      {PS_SOLID, RGB(0xF0, 0x0F, 0x33), R2_MERGEPEN, false, 0},
      {PS_DOT, RGB(255, 0, 0), R2_COPYPEN, false, 0},
      {PS_DASH, RGB(0, 0, 255), R2_NOTXORPEN, true, RGB(1, 2, 3)},
      {PS_DASHDOT, RGB(7, 7, 7), R2_COPYPEN, true, RGB(200, 100, 50)},
      {PS_DASHDOTDOT, RGB(90, 80, 70), R2_XORPEN, false, 0},
  };
  std::mt19937 rng(20261209);
  for (int round = 0; round < 600; ++round) {
    const Pen& p = pens[static_cast<size_t>(round) % pens.size()];
    use(p);
    // A chain of segments per round continues the pattern from one to the
    // next, as a context's current position does.
    LONG x = coordinate(rng, kW), y = coordinate(rng, kH);
    MoveToEx(dc, x, y, nullptr);
    uint32_t phase = 0;
    for (int k = 0; k < 6; ++k) {
      LONG nx = coordinate(rng, kW), ny = coordinate(rng, kH);
      if (rng() % 4 == 0) ny = y;  // level
      if (rng() % 6 == 0) nx = x;  // upright
      if (rng() % 8 == 0) {        // exact diagonal
        const LONG d = std::uniform_int_distribution<LONG>(-150, 150)(rng);
        nx = x + d;
        ny = y + (rng() % 2 ? d : -d);
      }
      ASSERT_TRUE(LineTo(dc, nx, ny));
      referenceLine(expected, p, x, y, nx, ny, phase);
      x = nx;
      y = ny;
      ASSERT_EQ(drawn().px, expected.px) << "round " << round << " segment " << k << ": " << firstDifference();
    }
  }
}

TEST_P(LineReference, PolylinesMatchAndRestartThePattern) {
  const Pen dotted{PS_DASHDOT, RGB(0, 128, 255), R2_NOTXORPEN, true, RGB(255, 255, 0)};
  use(dotted);
  std::mt19937 rng(7);
  for (int round = 0; round < 100; ++round) {
    std::vector<POINT> points(2 + rng() % 12);
    for (POINT& pt : points) pt = POINT{coordinate(rng, kW), coordinate(rng, kH)};
    ASSERT_TRUE(Polyline(dc, points.data(), static_cast<int>(points.size())));
    uint32_t phase = 0;
    for (size_t i = 1; i < points.size(); ++i) {
      referenceLine(expected, dotted, points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, phase);
    }
    ASSERT_EQ(drawn().px, expected.px) << "round " << round << ": " << firstDifference();
  }
}

TEST_P(LineReference, SolidPolylinesMatchOnAndOffTheSurface) {
  const Pen pens[] = {{PS_SOLID, RGB(30, 60, 90), R2_COPYPEN, false, 0}, {PS_SOLID, RGB(0x55, 0x0F, 0xF0), R2_XORPEN, false, 0}};
  std::mt19937 rng(99);
  for (int round = 0; round < 400; ++round) {
    const Pen& p = pens[round % 2];
    use(p);
    // Mostly points on the surface, the traces' case, with some off it.
    std::vector<POINT> points(2 + rng() % 30);
    for (POINT& pt : points) {
      pt = rng() % 5 ? POINT{static_cast<LONG>(rng() % kW), static_cast<LONG>(rng() % kH)}
                     : POINT{coordinate(rng, kW), coordinate(rng, kH)};
    }
    ASSERT_TRUE(Polyline(dc, points.data(), static_cast<int>(points.size())));
    uint32_t phase = 0;
    for (size_t i = 1; i < points.size(); ++i) {
      referenceLine(expected, p, points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, phase);
    }
    ASSERT_EQ(drawn().px, expected.px) << "round " << round << ": " << firstDifference();
  }
}

TEST_P(LineReference, ExtremeEndPointsStillMatch) {
  const Pen solid{PS_SOLID, RGB(1, 2, 3), R2_XORPEN, false, 0};
  const Pen dots{PS_DOT, RGB(9, 9, 9), R2_COPYPEN, true, RGB(4, 4, 4)};
  const LONG big = 0x7FFFFFFF, small = -0x7FFFFFFF - 1;
  const POINT cases[][2] = {
      {{small, small}, {big, big}},   {{big, small}, {small, big}},   {{small, 30}, {big, 31}},
      {{40, small}, {41, big}},       {{small, 0}, {big, kH}},        {{-1, small}, {kW, big}},
      {{big, 20}, {small, 21}},       {{50, big}, {49, small}},       {{small, small}, {big, small + 100}},
      {{0, 0}, {big, big / 2}},       {{kW - 1, kH - 1}, {small, small / 3}},
  };
  for (const Pen& p : {solid, dots}) {
    use(p);
    for (const auto& c : cases) {
      MoveToEx(dc, c[0].x, c[0].y, nullptr);
      ASSERT_TRUE(LineTo(dc, c[1].x, c[1].y));
      uint32_t phase = 0;
      referenceLine(expected, p, c[0].x, c[0].y, c[1].x, c[1].y, phase);
      ASSERT_EQ(drawn().px, expected.px) << c[0].x << "," << c[0].y << " - " << c[1].x << "," << c[1].y << ": "
                                         << firstDifference();
    }
  }
}

// The pattern counts pixels in 32 bits: lines drawn off the surface bring
// the count just short of its wrap, then a visible line runs across it,
// once in each direction.
TEST_P(LineReference, PatternCountWrapsAsA32BitCount) {
  const LONG hop = 0x7FFFFFFF - 32;  // two hops and the drop: some 50 short of 2^32
  for (const int style : {PS_DASHDOT, PS_DOT}) {
    const Pen dashes{style, RGB(250, 250, 250), R2_COPYPEN, true, RGB(60, 60, 60)};
    use(dashes);
    for (const bool leftwards : {false, true}) {
      const LONG startX = leftwards ? kW + 9 : -10, endX = leftwards ? -10 : kW + 9;
      const LONG row = (leftwards ? 20 : 5) + (style == PS_DOT ? 20 : 0);
      const POINT path[] = {
          {startX, -5}, {startX + (leftwards ? -hop : hop), -5}, {startX, -5}, {startX, row}, {endX, row}};
      MoveToEx(dc, path[0].x, path[0].y, nullptr);
      uint32_t phase = 0;
      for (size_t i = 1; i < std::size(path); ++i) {
        ASSERT_TRUE(LineTo(dc, path[i].x, path[i].y));
        referenceLine(expected, dashes, path[i - 1].x, path[i - 1].y, path[i].x, path[i].y, phase);
      }
      ASSERT_EQ(drawn().px, expected.px) << style << (leftwards ? " leftwards: " : " rightwards: ") << firstDifference();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Surfaces, LineReference, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? std::string("BottomUp") : std::string("TopDown"); });

}  // namespace
