// WaveForm's drawing on a picture box through the real drawing engine,
// with its range and wave calls recorded on the way.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

#include "core/toolkit.h"
#include "core/vekmath_calls.h"
#include "core/waveform/waveform.h"
#include "picture_box.h"

namespace orvane::forms {
namespace {

using core::WaveForm;

struct Recorder {
  std::vector<std::array<float, 4>> ranges;  // x min, y min, x max, y max
  std::vector<std::pair<LONG, float>> waves;  // count, x offset
};
Recorder* rec = nullptr;

class WaveDisplayTest : public ::testing::Test {
 protected:
  WaveDisplayTest() {
    rec = &recorded;
    calls = core::LoadedVekmath();
    calls.SetDrawRange = [](FLOAT x0, FLOAT y0, FLOAT x1, FLOAT y1) {
      rec->ranges.push_back({x0, y0, x1, y1});
      core::LoadedVekmath().SetDrawRange(x0, y0, x1, y1);
    };
    calls.DrawWave = [](const FLOAT* v, LONG n, LONG style, FLOAT x, FLOAT y) {
      rec->waves.emplace_back(n, x);
      core::LoadedVekmath().DrawWave(v, n, style, x, y);
    };
    core::UseVekmathCalls(&calls);
    box.resize(200, 100);
    box.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&box));
    w.Allocate(1000);
    w.SetCount(1000);
    w.SetDisplayWidth(300);
    w.SetLaneCount(1);
    w.SetPicture(&box);
  }
  ~WaveDisplayTest() override {
    core::UseVekmathCalls(nullptr);
    rec = nullptr;
  }

  Recorder recorded;
  core::VekmathCalls calls;
  PictureBox box;
  WaveForm w;
};

TEST_F(WaveDisplayTest, PagingKeepsTheWindowInsideTheCount) {
  using Page = void (WaveForm::*)(bool, PictureBox*, int32_t, int32_t, int32_t, int32_t);
  const struct {
    Page page;
    int32_t from, width, start;
  } cases[] = {
      {&WaveForm::PageEnd, 0, 300, 700},         {&WaveForm::PageForward, 800, 300, 700},
      {&WaveForm::PageForward, 100, 300, 400},   {&WaveForm::HalfPageBack, 100, 300, 0},
      {&WaveForm::HalfPageForward, 0, 301, 150}, {&WaveForm::HalfPageForward, 0, 303, 152},
      {&WaveForm::PageBack, 100, 300, 0},        {&WaveForm::PageHome, 500, 300, 0},
  };
  for (const auto& c : cases) {
    w.SetDisplayStart(c.from);
    w.SetDisplayWidth(c.width);
    recorded.waves.clear();
    (w.*c.page)(false, &box, 0, 0, 0, 0);
    EXPECT_EQ(w.DisplayStart(), c.start) << c.from << " " << c.width;
    EXPECT_EQ(w.DisplayEnd(), c.start + c.width);
    ASSERT_EQ(recorded.waves.size(), 1u);  // redrawn from the new start
    EXPECT_EQ(recorded.waves[0].second, static_cast<float>(c.start));
  }
}

TEST_F(WaveDisplayTest, LanesStackAndMarksShareTheFullDrawsBand) {
  const struct {
    int32_t lanes, lane, mode, single;
    float above, below, top, bottom;
  } cases[] = {
      {2, 0, 0, 0, 0, 0, 100, -300},
      {2, 1, 0, 0, 0, 0, 300, -100},
      {2, 0, 0, 0, 0.5f, 0.25f, 200, -350},
      {3, 1, 0, 1, 0.5f, 0.5f, 100, -100},
      {2, 1, 1, 0, 0, 0, 100, -300},  // lane 0 is the bottom lane here
  };
  for (const auto& c : cases) {
    w.SetRangeUpper(100);
    w.SetRangeLower(-100);
    w.SetRangeMode(c.mode);
    w.SetLaneIndex(c.lane);
    w.SetLaneCount(c.lanes);
    w.SetSingleLane(c.single);
    w.SetMarginAbove(c.above);
    w.SetMarginBelow(c.below);
    recorded.ranges.clear();
    int32_t dc = core::kOwnDC, start = 0;
    w.DrawDuringAcquisition(0, 300, false, &box, 0, 0, 0, 0, false, 0, dc);
    w.PrepareMarks(start, 300, nullptr, dc);
    ASSERT_EQ(recorded.ranges.size(), 2u);
    for (const auto& r : recorded.ranges) {
      EXPECT_FLOAT_EQ(r[3], c.top) << c.lanes << " " << c.lane << " mode " << c.mode;
      EXPECT_FLOAT_EQ(r[1], c.bottom) << c.lanes << " " << c.lane << " mode " << c.mode;
    }
    EXPECT_NE(dc, core::kOwnDC);  // the picture's context, written back
  }
}

TEST_F(WaveDisplayTest, DrawShowsTheBlockWithUpToThreeBlocksBefore) {
  w.Allocate(6000);
  w.SetLaneCount(1);
  const std::vector<float> block(1000, 1.0f);
  const struct {
    int32_t start, count, drawnCount, historyFrom, historyCount;
  } cases[] = {{1000, 1000, 1000, 0, 2000}, {5000, 1000, 1000, 2000, 4000}, {5500, 1000, 500, 4000, 2000}};
  for (const auto& c : cases) {
    recorded.waves.clear();
    int32_t count = c.count, dc = core::kOwnDC;
    w.Draw(block, c.start, count, 6000, &box, 0, 0, 0, 0, false, false, 0, dc);
    EXPECT_EQ(count, c.drawnCount);  // cut to the buffer, written back
    ASSERT_EQ(recorded.waves.size(), 2u);
    EXPECT_EQ(recorded.waves[0], std::make_pair(LONG{c.drawnCount}, static_cast<float>(c.start)));
    EXPECT_EQ(recorded.waves[1], std::make_pair(LONG{c.historyCount}, static_cast<float>(c.historyFrom)));
  }
  w.SetWaveCheckSwitch("1");
  int32_t count = 1000, dc = core::kOwnDC;
  EXPECT_THROW(w.Draw(block, 5500, count, 6000, &box, 0, 0, 0, 0, false, false, 0, dc), core::WaveCheckError);
}

TEST_F(WaveDisplayTest, ConversionsFillAndWriteBackTheirDefaults) {
  float a = 0, b = 0, y1 = 5, y2 = 5;
  // Over the outer window rectangle, frame included.
  const QRect outer = box.frameGeometry();
  EXPECT_FLOAT_EQ(w.PixelToValueX(20, nullptr, a, b), 300.0f / outer.width() * 20);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 300);
  EXPECT_FLOAT_EQ(w.PixelToValueY(10, &box, y1, y2), 200.0f / outer.height() * 10);
  EXPECT_EQ(y1, -100);
  EXPECT_EQ(y2, 100);
  int32_t dc = core::kOwnDC, colour = -1;
  w.DrawCrossHair(10, 0, nullptr, true, true, true, true, dc, colour);
  EXPECT_EQ(colour, 255);
}

TEST_F(WaveDisplayTest, ZeroSizesAreErrorsNotCrashes) {
  PictureBox flat;
  flat.resize(0, 0);
  float a = 0, b = 0;
  EXPECT_THROW(w.PixelToValueX(1, &flat, a, b), core::ToolkitError);
  EXPECT_THROW(w.PixelToValueY(1, &flat, a, b), core::ToolkitError);
  EXPECT_THROW(w.DrawBlockBar(std::vector<float>(10), 3, 0, 10, &box, true), core::ToolkitError);
  // Without any picture the marks draw nothing and raise nothing.
  w.SetPicture(nullptr);
  int32_t dc = core::kOwnDC, colour = -1, width = 100;
  EXPECT_NO_THROW(w.DrawLevelMark(1, 1, nullptr));
  EXPECT_NO_THROW(w.DrawCrossHair(1, 1, nullptr, true, true, true, true, dc, colour));
  EXPECT_NO_THROW(w.DrawMax(0, width, true, true));
}

TEST_F(WaveDisplayTest, DetectionsBeyondTenThousandAreRefusedWithoutOverrun) {
  w.Allocate(30000);
  w.SetCount(30000);
  for (int32_t i = 0; i < 30000; ++i) w.SetSample(i, i % 2 ? 10.0f : -10.0f);
  const struct {
    int32_t width;
    bool refused;
  } cases[] = {{21, false}, {30000, true}};
  for (const auto& c : cases) {
    int32_t start = 0, width = c.width;
    if (c.refused) {
      EXPECT_THROW(w.DrawDetections(start, width, 1.0f, &box, true, true, true, true, true), core::WaveCheckError);
      EXPECT_GT(w.PeakCount(), 10000);
    } else {
      EXPECT_EQ(w.DrawDetections(start, width, 1.0f, &box, true, true, true, true, true), "0");
      EXPECT_GT(w.PeakCount(), 5);
      EXPECT_LE(w.PeakCount(), 10);
    }
  }
}

// Two lanes on one picture: a flat trace at 0 sits a quarter down in the
// top lane and three quarters down in the lower one.
TEST_F(WaveDisplayTest, LanesLandAtTheirHeightOnThePicture) {
  box.resize(200, 101);
  WaveForm lower;
  lower.Allocate(1000);
  lower.SetCount(1000);
  lower.SetDisplayWidth(300);
  lower.SetLaneCount(2);
  lower.SetLaneIndex(1);
  lower.SetPenColour(RGB(0, 0, 255));
  w.SetLaneCount(2);
  w.SetPenColour(RGB(255, 0, 0));
  box.Cls();
  int32_t dc = core::kOwnDC;
  w.DrawDuringAcquisition(0, 300, false, &box, 0, 0, 0, 0, false, 0, dc);
  lower.DrawDuringAcquisition(0, 300, false, &box, 0, 0, 0, 0, false, 0, dc);
  const QImage shown = box.surfaceImage();
  ASSERT_FALSE(shown.isNull());
  EXPECT_EQ(shown.pixel(100, 25) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(shown.pixel(100, 75) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(shown.pixel(100, 50) & 0xFFFFFF, 0xFFFFFFu);
}

}  // namespace
}  // namespace orvane::forms
