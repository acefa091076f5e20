// The graph table: registration, scales, conversions and XOR cursors.
#include <gtest/gtest.h>

#include <windows.h>
#include <wingdi.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "drawing/graph_table.h"
#include "support/wave_window.h"
#include "vekmath.h"

using wavetest::TestWindow;

namespace {

constexpr COLORREF kGrey = RGB(40, 40, 40);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// A black pen in the inverting mode turns every pixel to its complement.
constexpr COLORREF kInverted = RGB(215, 215, 215);

// One window of 200 x 100 with no margins and x 0 .. 100, y 0 .. 50: two
// pixels a unit both ways.
class GraphTableTest : public ::testing::Test {
 protected:
  TestWindow window{200, 100};
  HDC dc = GetDC(window.hwnd());

  void SetUp() override {
    vekmath::graphTable() = vekmath::GraphTable{};
    HBRUSH b = CreateSolidBrush(kGrey);
    const RECT all{0, 0, 200, 100};
    FillRect(dc, &all, b);
    DeleteObject(b);
  }
  void TearDown() override { ReleaseDC(window.hwnd(), dc); }

  LONG graph() {
    const LONG g = GraphRegister(window.hwnd(), dc);
    GraphSetNumber(g);
    GraphSetRange(g, 0.0f, 0.0f, 100.0f, 50.0f);
    return g;
  }
  // A graph with cursors 0 and 1, black, placed and shown as the protocol
  // wants: placed, displayed, drawn by a redraw.
  LONG graphWithCursors(LONG width) {
    const LONG g = graph();
    GraphCursorSIZE(g, 2);
    for (LONG c = 0; c < 2; ++c) GraphCursorPROP(g, c, 0, PS_SOLID, width);
    GraphCursor(g, 0, 20.0f, 0.0f, 20.0f, 50.0f);  // column 40
    GraphCursor(g, 1, 0.0f, 10.0f, 100.0f, 10.0f);  // row 80
    GraphCursorDISP(g, -1, 1);
    GraphRedraw(g);
    return g;
  }
  std::vector<int> invertedColumns(int y) const {
    std::vector<int> columns;
    for (int x = 0; x < 200; ++x)
      if (window.pixel(x, y) == kInverted) columns.push_back(x);
    return columns;
  }
};

TEST_F(GraphTableTest, RegistrationTakesTheFirstFreeRecordAndStopsWhenFull) {
  EXPECT_EQ(GraphRegister(window.hwnd(), dc), 1);
  EXPECT_EQ(GraphRegister(window.hwnd(), dc), 2);
  GraphReset(1);
  EXPECT_EQ(GraphRegister(window.hwnd(), dc), 1);
  for (LONG i = 3; i < GRAPH_TABLE_GRAPHS; ++i) ASSERT_EQ(GraphRegister(window.hwnd(), dc), i);
  EXPECT_EQ(GraphRegister(window.hwnd(), dc), 0);
  // Indices outside the table name nothing.
  for (LONG bad : {-1, 0, GRAPH_TABLE_GRAPHS, 1 << 20}) {
    GraphSetNumber(bad);
    GraphReset(bad);
    GraphRedraw(bad);
    GraphCursorDISP(bad, -1, 1);
    GraphCursorMOVE(bad, 0, 1.0f, 2.0f, 3.0f, 4.0f);
    FLOAT x = 1.0f, y = 2.0f;
    GraphPixelToValue(bad, &x, &y);
    EXPECT_EQ(x, 1.0f);
  }
  LONG count = 0;
  GetGraphTable(&count, nullptr, nullptr, nullptr);
  EXPECT_EQ(count, GRAPH_TABLE_GRAPHS);
}

TEST_F(GraphTableTest, PixelsAndValuesConvertBothWays) {
  const LONG g = GraphRegister(window.hwnd(), dc);
  FLOAT x = 50.0f, y = 25.0f;
  GraphValueToPixel(g, &x, &y);  // no number yet: not found, unchanged
  EXPECT_EQ(x, 50.0f);
  GraphSetNumber(g);
  GraphSetRange(g, 0.0f, 0.0f, 100.0f, 50.0f);
  GraphValueToPixel(g, &x, &y);
  EXPECT_FLOAT_EQ(x, 100.0f);
  EXPECT_FLOAT_EQ(y, 50.0f);
  GraphPixelToValue(g, &x, &y);
  EXPECT_FLOAT_EQ(x, 50.0f);
  EXPECT_FLOAT_EQ(y, 25.0f);
  GraphSetMargins(g, 20, 80, 10, 40);  // plot 100 x 50: one pixel a unit
  x = 50.0f, y = 25.0f;
  GraphValueToPixel(g, &x, &y);
  EXPECT_FLOAT_EQ(x, 70.0f);
  EXPECT_FLOAT_EQ(y, 35.0f);

  LONG count = 0, cursors = -1;
  GraphRecord records[GRAPH_TABLE_GRAPHS];
  GetGraphTable(&count, records, &cursors, nullptr);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(cursors, 0);
  EXPECT_EQ(records[1].index, 1);
  EXPECT_EQ(records[1].width, 200);
  EXPECT_EQ(records[1].plotWidth, 100);
  EXPECT_DOUBLE_EQ(records[1].xUnits, 1.0);
  EXPECT_DOUBLE_EQ(records[1].decimation, 100.0);
}

TEST_F(GraphTableTest, MovesLeaveExactlyOneLineAndRestoreWhatLayUnder) {
  for (LONG width : {1, 3}) {
    SetUp();
    const LONG g = graphWithCursors(width);
    const std::vector<int> drawn = invertedColumns(20);
    ASSERT_FALSE(drawn.empty()) << "width " << width;
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), 40), drawn.end()) << "width " << width;

    GraphCursorMOVE(g, 0, 30.0f, 0.0f, 30.0f, 50.0f);  // to column 60
    GraphCursorMOVE(g, 0, 30.0f, 0.0f, 30.0f, 50.0f);  // the same line: erased and drawn again
    GraphCursorMOVE(g, 0, 5.0f, 5.0f, 5.0f, 5.0f);     // one point: nothing
    std::vector<int> moved = drawn;
    for (int& x : moved) x += 20;
    EXPECT_EQ(invertedColumns(20), moved) << "width " << width;
    // Back where it was, then off: the window is as before the redraw.
    GraphCursorMOVE(g, 0, 20.0f, 0.0f, 20.0f, 50.0f);
    GraphCursorMOVE(g, 1, 0.0f, 12.0f, 100.0f, 12.0f);
    EXPECT_EQ(window.pixel(100, 80), kGrey) << "width " << width;
    EXPECT_EQ(window.pixel(100, 76), kInverted) << "width " << width;
    GraphCursorDISP(g, -1, 0);
    GraphRedraw(g);  // draws no hidden cursor
    EXPECT_EQ(invertedColumns(20), drawn) << "width " << width;
  }
}

TEST_F(GraphTableTest, CursorsAreFoundUnderThePointer) {
  const LONG g = graphWithCursors(1);
  struct Case {
    FLOAT x, y;
    LONG want;
    FLOAT xTolerance = 3.0f, yTolerance = 3.0f;
  };
  for (const Case& c : {Case{42.0f, 10.0f, 0}, Case{36.0f, 10.0f, -1}, Case{150.0f, 78.0f, 1}, Case{150.0f, 50.0f, -1},
                        Case{44.0f, 10.0f, 0, 5.0f, 1.0f}, Case{44.0f, 10.0f, -1, 1.0f, 5.0f}}) {
    LONG number = 99;
    GraphCursorNUM(g, c.x, c.y, c.xTolerance, c.yTolerance, &number);
    EXPECT_EQ(number, c.want) << c.x << ", " << c.y << " within " << c.xTolerance << ", " << c.yTolerance;
  }
  LONG untouched = 99;
  GraphCursorNUM(g + 1, 40.0f, 10.0f, 3.0f, 3.0f, &untouched);
  EXPECT_EQ(untouched, 99);
}

TEST_F(GraphTableTest, CursorTableRefusesWhatItCannotHold) {
  const LONG a = graph();
  const LONG b = graph();
  GraphCursorSIZE(a, GRAPH_TABLE_CURSORS - 10);
  GraphCursorSIZE(b, 20);  // 10 free records: none allotted
  GraphCursorSIZE(b, 10);
  LONG count = 0;
  std::vector<GraphCursorRecord> cursors(GRAPH_TABLE_CURSORS);
  GetGraphTable(nullptr, nullptr, &count, cursors.data());
  EXPECT_EQ(count, GRAPH_TABLE_CURSORS);
  EXPECT_EQ(cursors.back().ParentWaveHandle, b);
  EXPECT_EQ(cursors.back().lCurNo, 9);
  // After a reset the records are free again, and so are the numbers.
  GraphReset(a);
  GraphCursorSIZE(graph(), 5);
  GetGraphTable(nullptr, nullptr, &count, cursors.data());
  EXPECT_EQ(cursors[4].lCurNo, 4);
  EXPECT_EQ(cursors[4].ParentGrapHandle, a);
}

// A scale as DrawAxes draws it, from the six colours its caller passes.
TEST_F(GraphTableTest, RedrawDrawsTheGraphsScalesFromSixColours) {
  const LONG g = graph();
  GraphSetMargins(g, 0, 0, 10, 10);  // plot 200 x 80: 0.625 y units a pixel
  auto style = std::make_unique<LONG[]>(6);
  const LONG colours[6] = {RGB(0, 0, 80), static_cast<LONG>(kWhite), -1, RGB(255, 0, 0), -1, -1};
  std::copy(colours, colours + 6, style.get());
  GraphAddScale(g, 10.0f, 10.0f, 50.0f, 25.0f, 0, 0, 0, 0, PS_SOLID, style.get());
  GraphAddScale(g + 1, 10.0f, 10.0f, 0.0f, 0.0f, 0, 0, 0, 0, PS_SOLID, style.get());  // no such graph
  GraphRedraw(g);
  EXPECT_EQ(window.pixel(2, 2), RGB(0, 0, 80));
  EXPECT_EQ(window.pixel(30, 30), kWhite);
  EXPECT_EQ(window.pixel(100, 30), RGB(255, 0, 0));  // the axes through (50, 25)
  EXPECT_EQ(window.pixel(30, 50), RGB(255, 0, 0));
}

TEST_F(GraphTableTest, ScaleTableTakesBackTheRoomOfResetGraphs) {
  const LONG style[6] = {-1, -1, -1, -1, -1, -1};
  for (int round = 0; round < 3; ++round) {
    const LONG g = graph();
    for (int i = 0; i < GRAPH_TABLE_SCALES; ++i) GraphAddScale(g, 1, 1, 0, 0, 0, 0, 0, 0, 0, style);
    GraphReset(g);
  }
  const LONG g = graph();
  const LONG fill[6] = {RGB(9, 9, 9), -1, -1, -1, -1, -1};
  GraphAddScale(g, 1, 1, 0, 0, 0, 0, 0, 0, 0, fill);
  GraphRedraw(g);
  EXPECT_EQ(window.pixel(5, 5), RGB(9, 9, 9));
}

}  // namespace
