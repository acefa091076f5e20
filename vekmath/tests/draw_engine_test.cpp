// The single drawing target, checked pixel by pixel on a window surface.
#include <gtest/gtest.h>

#include <windows.h>
#include <wingdi.h>

#include <memory>
#include <vector>

#include "drawing/draw_target.h"
#include "support/wave_window.h"
#include "vekmath.h"

using wavetest::TestWindow;

namespace {

constexpr COLORREF kGrey = RGB(40, 40, 40);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

struct Probe {
  int x, y;
  COLORREF colour;
};

// A 120 x 80 window, margins 10, 10, 5, 15: the plot is 100 x 60 pixels
// from (10, 5). With x 0 .. 50 and y -3 .. 3 a unit of x is 2 pixels and a
// unit of y 10 pixels.
class DrawEngineTest : public ::testing::Test {
 protected:
  TestWindow window{120, 80};
  HDC dc = GetDC(window.hwnd());

  void SetUp() override {
    vekmath::drawTarget() = vekmath::DrawTarget{};
    clear(kGrey);
    SetDrawTarget(window.hwnd(), dc);
    SetDrawArea(10, 10, 5, 15);
    SetDrawRange(0.0f, -3.0f, 50.0f, 3.0f);
    SetPen(PS_SOLID, static_cast<LONG>(kRed));
  }
  void TearDown() override { ReleaseDC(window.hwnd(), dc); }

  void clear(COLORREF colour) {
    HBRUSH b = CreateSolidBrush(colour);
    const RECT all{0, 0, 120, 80};
    FillRect(dc, &all, b);
    DeleteObject(b);
  }
  int count(COLORREF colour) const {
    int n = 0;
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 120; ++x) n += window.pixel(x, y) == colour;
    return n;
  }
  void expectProbes(const std::vector<Probe>& probes, const char* what) const {
    for (const Probe& p : probes)
      EXPECT_EQ(window.pixel(p.x, p.y), p.colour) << what << " at (" << p.x << ", " << p.y << ")";
  }
};

TEST_F(DrawEngineTest, DataCoordinatesMapThroughMarginsAndRanges) {
  DrawLine(0.0f, 3.0f, 50.0f, 3.0f);     // y max: the plot's top row
  DrawLine(0.0f, -3.0f, 50.0f, -3.0f);   // y min: the row below the plot
  DrawLine(25.0f, -3.0f, 25.0f, 3.0f);   // x 25: 10 + 25 x 2 = 60
  expectProbes({{10, 5, kRed}, {109, 5, kRed}, {110, 5, kGrey}, {9, 5, kGrey}, {10, 65, kRed}, {60, 64, kRed},
                {60, 6, kRed}, {60, 5, kRed}, {59, 30, kGrey}, {61, 30, kGrey}},
               "line");
}

TEST_F(DrawEngineTest, NothingIsDrawnWithoutAPlotArea) {
  const float values[3] = {1, 2, 3};
  const LONG style[6] = {static_cast<LONG>(kWhite), static_cast<LONG>(kWhite), 0, 0, 0, 0};
  for (int setup = 0; setup < 2; ++setup) {
    if (setup == 0) SetDrawRange(0.0f, 0.0f, 0.0f, 0.0f);
    if (setup == 1) {
      SetDrawRange(0.0f, -3.0f, 50.0f, 3.0f);
      SetDrawArea(60, 60, 5, 15);  // margins as wide as the window
    }
    DrawLine(0.0f, 0.0f, 50.0f, 0.0f);
    DrawLineRECT(0.0f, 0.0f, 50.0f, 1.0f, 1);
    DrawWave(values, 3, 0, 0.0f, 0.0f);
    DrawAxes(1.0f, 1.0f, 0.0f, 0.0f, 0, 0, 1, 1, PS_SOLID, style);
    DrawTextAt(1.0f, 1.0f, "text");
    EXPECT_EQ(count(kGrey), 120 * 80) << "setup " << setup;
  }
}

TEST_F(DrawEngineTest, RectanglesAreFilledOrOutlined) {
  DrawLineRECT(5.0f, 2.0f, 15.0f, -2.0f, 1);   // pixels 20 .. 40, rows 15 .. 55
  DrawLineRECT(30.0f, 2.0f, 40.0f, -2.0f, 0);  // pixels 70 .. 90
  expectProbes({{30, 35, kRed}, {20, 15, kRed}, {39, 54, kRed}, {80, 35, kGrey}, {70, 35, kRed}, {90, 35, kRed},
                {80, 15, kRed}, {80, 55, kRed}},
               "rectangle");
}

// Values 1, 2, -1 on x 0 .. 10 (10 pixels a unit): points at x 10, 20, 30
// and the closing one at 40; y 25, 15, 45; the baseline (y 0) at row 35.
TEST_F(DrawEngineTest, WaveStylesDrawLinesStepsNeedlesAndBars) {
  const float values[3] = {1.0f, 2.0f, -1.0f};
  struct Case {
    LONG style;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      {0, {{10, 25, kRed}, {15, 20, kRed}, {25, 30, kRed}, {35, 45, kGrey}}},
      {2, {{15, 25, kRed}, {20, 20, kRed}, {25, 15, kRed}, {35, 45, kRed}, {15, 20, kGrey}}},
      {3, {{10, 30, kRed}, {20, 20, kRed}, {30, 40, kRed}, {40, 40, kRed}, {15, 30, kGrey}}},
      {1, {{9, 30, kRed}, {15, 30, kWhite}, {25, 25, kWhite}}},
      {4, {{9, 30, kRed}, {15, 30, kRed}, {25, 25, kRed}}},
      {5, {{9, 30, kBlack}, {15, 30, kRed}, {19, 30, kBlack}}},
      {7, {{10, 25, kGrey}, {15, 30, kGrey}}},
  };
  SetDrawRange(0.0f, -3.0f, 10.0f, 3.0f);
  for (const Case& c : cases) {
    clear(kGrey);
    DrawWave(values, 3, c.style, 0.0f, 0.0f);
    expectProbes(c.probes, ("style " + std::to_string(c.style)).c_str());
  }
}

TEST(DecimateMinMaxTest, BucketExtremesComeInTheOrderTheyOccur) {
  struct Case {
    std::vector<float> src;
    LONG m;
    std::vector<float> want;  // then the untouched sentinels
  };
  const Case cases[] = {
      {{0, 5, -5, 1}, 2, {5, -5}},
      // The second bucket's maximum is its first element: it comes first,
      // whatever the first bucket's extremes were.
      {{0, 1, 9, 8, 3, 5}, 4, {0, 9, 8, 3}},
      {{4, 1, 7, 2}, 4, {4, 1, 7, 2}},
      {{0, 0, 9, 0, 0}, 4, {0, 9, 0, 0}},  // the bound 2.5 rounds to 3: the 9 is in the first bucket
      {{1, 2, 3}, 5, {1, 2, 3}},  // more outputs than values: a copy
      {{3, 1, 2, 6, 5, 4}, 3, {1, 6, 6}},  // odd m: the last value once more
  };
  for (const Case& c : cases) {
    std::vector<float> dst(c.want.size() + 2, -99.0f);
    DecimateMinMax(dst.data(), c.src.data(), 0, static_cast<LONG>(c.src.size()), c.m);
    std::vector<float> want = c.want;
    want.insert(want.end(), {-99.0f, -99.0f});
    EXPECT_EQ(dst, want) << "m " << c.m;
  }
}

// 20,000 samples, all 0 but sample 15,000, over x 0 .. 20,000 on a plot of
// 100 pixels: the reduced wave keeps the spike where the sample lies.
TEST_F(DrawEngineTest, LongWavesAreReducedInPlaceAndLeaveTheRanges) {
  std::vector<float> values(20000, 0.0f);
  values[15000] = 3.0f;
  SetDrawRange(0.0f, -3.0f, 20000.0f, 3.0f);
  DrawWave2(values.data(), 20000, 0, 0.0f, 0.0f);
  const auto& t = vekmath::drawTarget();
  EXPECT_EQ(t.xMin, 0.0f);
  EXPECT_EQ(t.xMax, 20000.0f);
  EXPECT_DOUBLE_EQ(t.frame.xUnits, 200.0);
  EXPECT_EQ(window.pixel(10 + 75, 5), kRed);
  EXPECT_EQ(window.pixel(10 + 40, 35), kRed);
  EXPECT_EQ(window.pixel(10 + 40, 5), kGrey);
  EXPECT_EQ(window.pixel(10 + 75, 5 - 1), kGrey);
}

// Markers of size 5 round (60, 35), the data point (25, 0).
TEST_F(DrawEngineTest, MarkersSurroundTheirPoints) {
  const float x[1] = {25.0f};
  const float y[1] = {0.0f};
  struct Case {
    LONG style;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      {1, {{55, 35, kRed}, {60, 30, kRed}, {60, 35, kWhite}, {54, 35, kGrey}}},
      {2, {{55, 35, kRed}, {64, 31, kRed}, {60, 35, kWhite}, {65, 35, kGrey}}},
      {3, {{60, 30, kRed}, {60, 37, kRed}, {60, 34, kWhite}, {60, 39, kGrey}}},
      {4, {{57, 32, kRed}, {60, 35, kRed}, {57, 38, kRed}, {60, 32, kGrey}}},
  };
  for (const Case& c : cases) {
    clear(kGrey);
    DrawXY(x, y, 1, c.style, 5);
    expectProbes(c.probes, ("marker " + std::to_string(c.style)).c_str());
  }
}

TEST_F(DrawEngineTest, FlaggedSeriesJoinOnlyFlaggedNeighbours) {
  const float x[4] = {5.0f, 15.0f, 25.0f, 35.0f};  // pixels 20, 40, 60, 80
  const float y[4] = {0.0f, 0.0f, 0.0f, 0.0f};     // row 35
  const LONG flags[4] = {1, 1, 0, 1};
  DrawXY3(x, y, flags, 4, 0, 0);
  expectProbes({{30, 35, kRed}, {50, 35, kGrey}, {70, 35, kGrey}}, "line");
  clear(kGrey);
  DrawXY3(x, y, flags, 4, 2, 3);
  expectProbes({{17, 35, kRed}, {37, 35, kRed}, {57, 35, kGrey}, {77, 35, kRed}}, "markers");
}

// Grid every 10 x units from an origin far left of the range (so no
// vertical axis), labels off the window: fills, frame, grid, the x axis.
TEST_F(DrawEngineTest, AxesDrawWhatTheSixColoursAsk) {
  // Exactly the six values callers pass, on the heap, where reading more
  // is caught by the address checker.
  auto style = std::make_unique<LONG[]>(6);
  const LONG colours[6] = {static_cast<LONG>(kBlack), static_cast<LONG>(kWhite), static_cast<LONG>(kBlue),
                           static_cast<LONG>(kRed),   RGB(0, 255, 0),             -1};
  std::copy(colours, colours + 6, style.get());
  DrawAxes(10.0f, 1.0f, -1005.0f, 0.0f, -999, 999, 1, 1, PS_SOLID, style.get());
  // Grid at x = 5, 15, 25, 35, 45: pixels 20, 40, 60, 80, 100; y every 1.
  expectProbes({{2, 2, kBlack}, {30, 30, kWhite}, {10, 20, RGB(0, 255, 0)}, {109, 20, RGB(0, 255, 0)},
                {20, 20, kBlue}, {40, 20, kBlue}, {60, 20, kBlue}, {100, 20, kBlue}, {30, 25, kBlue},
                {30, 35, kRed}, {20, 33, kRed}, {20, 38, kRed}, {20, 39, kBlue}},
               "axes");
  // Through (25, 0): the y axis too, with its ticks.
  clear(kGrey);
  const LONG axisOnly[6] = {-1, -1, -1, static_cast<LONG>(kRed), -1, -1};
  DrawAxes(10.0f, 1.0f, 25.0f, 0.0f, 0, 0, 0, 0, PS_SOLID, axisOnly);
  expectProbes({{60, 20, kRed}, {56, 25, kRed}, {63, 25, kRed}, {64, 25, kGrey}, {40, 33, kRed}, {45, 33, kGrey}},
               "y axis");

  // -1 leaves an element out; DrawAxes2 never fills or frames.
  clear(kGrey);
  style[0] = style[1] = -1;
  DrawAxes(10.0f, 1.0f, -1005.0f, 0.0f, -999, 999, 1, 1, PS_SOLID, style.get());
  expectProbes({{2, 2, kGrey}, {30, 30, kGrey}, {10, 20, RGB(0, 255, 0)}}, "left out");
  clear(kGrey);
  style[0] = static_cast<LONG>(kBlack);
  DrawAxes2(10.0f, 1.0f, -1005.0f, 0.0f, -999, 999, 1, 1, PS_SOLID, style.get());
  expectProbes({{2, 2, kGrey}, {10, 20, kGrey}, {20, 20, kBlue}}, "DrawAxes2");
}

TEST_F(DrawEngineTest, AxisLinesStopOnATinyStep) {
  const LONG style[6] = {-1, -1, static_cast<LONG>(kBlue), -1, -1, -1};
  SetDrawRange(0.0f, -3.0f, 1e9f, 3.0f);
  DrawAxes(1e-3f, 0.0f, 0.0f, 0.0f, 0, 0, 1, 0, PS_SOLID, style);
  EXPECT_GT(count(kBlue), 0);
}

// Labels "%g" of every second x step below the x axis, in the label colour.
TEST_F(DrawEngineTest, LabelsStandUnderTheirValues) {
  const LONG style[6] = {-1, -1, -1, -1, -1, static_cast<LONG>(kWhite)};
  DrawAxes(10.0f, 1.0f, 0.0f, 0.0f, 0, 2, 2, 0, PS_SOLID, style);  // labels 0, 20, 40 at x 10, 50, 90
  auto inkIn = [&](int x0, int x1) {
    int n = 0;
    for (int y = 37; y < 37 + 14; ++y)
      for (int x = x0; x < x1; ++x) n += window.pixel(x, y) == kWhite;
    return n;
  };
  EXPECT_GT(inkIn(40, 60), 0);
  EXPECT_GT(inkIn(80, 100), 0);
  EXPECT_EQ(inkIn(62, 78), 0);
  for (int x = 0; x < 120; ++x) EXPECT_NE(window.pixel(x, 36), kWhite) << x;
}

TEST_F(DrawEngineTest, TextStandsAtItsPointInThePenColour) {
  SetTextSize(0, 12);
  DrawTextAt(25.0f, 0.0f, "AB");  // top left at (60, 35)
  int inside = 0, outside = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 120; ++x) {
      if (window.pixel(x, y) != kRed) continue;
      (x >= 60 && y >= 35 && y < 35 + 12 ? inside : outside) += 1;
    }
  EXPECT_GT(inside, 10);
  EXPECT_EQ(outside, 0);
  EXPECT_EQ(GetTextColor(dc), kBlack);  // the context's own colour is back
}

}  // namespace
