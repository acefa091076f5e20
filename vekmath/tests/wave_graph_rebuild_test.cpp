// The rebuild of the trace points from the ring: which sample lands on
// which point, for a write index in the first span, in a later one, and
// with the older part running back across the ring's end.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <random>
#include <vector>

#include "acquisition/ring.h"
#include "drawing/wave_graph.h"
#include "support/wave_window.h"
#include "vekmath.h"

using namespace vekmath;
using namespace wavetest;

namespace {

constexpr LONG kChannels = 2;
constexpr LONG kSpan = 100;
constexpr int64_t kRingLength = kChannels * 250;  // not a whole number of spans

class WaveGraphRebuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(configureSimulated(kChannels, 50), 0);
    window = std::make_unique<TestWindow>(kSpan, 300);
    Display d(kSpan);
    d.show(0, RGB(255, 0, 0));
    d.show(1, RGB(0, 0, 255));
    SetupWaveGraph(window->hwnd(), &d.settings, d.traces, 0);
    ASSERT_TRUE(waveGraph().drawable());
    // Random counts: a point built from the wrong sample shows a wrong y
    // with near certainty.
    std::mt19937 rng(5);
    Ring& r = ring();
    for (int64_t i = 0; i < kRingLength; ++i) storeSample(r.samples[i], static_cast<uint16_t>(rng()));
    r.length.store(static_cast<int32_t>(kRingLength));
  }
  void TearDown() override {
    endRun();
    releaseWaveGraph();
  }

  // Rebuilds with the write index at `w` and checks every point of both
  // traces against the sample `expected(j, c)` (-1: none yet, drawn as 0).
  template <typename Expected>
  void check(int64_t w, bool wrapped, Expected expected) {
    Ring& r = ring();
    r.writeIndex.store(static_cast<int32_t>(w));
    r.wrapped.store(wrapped ? 1 : 0);
    rebuildTracePoints();
    WaveGraph& g = waveGraph();
    for (int32_t c = 0; c < kChannels; ++c) {
      for (int32_t j = 0; j < kSpan; ++j) {
        const int64_t at = expected(j, c);
        const uint16_t raw = at < 0 ? 0 : loadSample(r.samples[at]);
        ASSERT_EQ(g.row(c)[j].y, g.traceY(c, c, raw)) << "point " << j << " of channel " << c << ", sample " << at;
      }
    }
  }

  std::unique_ptr<TestWindow> window;
};

TEST_F(WaveGraphRebuildTest, FirstSpanAfterAWrapTakesTheRestFromTheRingEnd) {
  // Write index 30 scans in: points 0-29 are this span's, 30-99 the
  // previous span's, which began 100 scans back, past the ring's end.
  const int64_t w = kChannels * 30;
  check(w, true, [&](int32_t j, int32_t c) -> int64_t {
    if (j < 30) return kChannels * j + c;
    int64_t at = w - kChannels * kSpan + kChannels * (j - 30) + c;
    return at < 0 ? at + kRingLength : at;
  });
}

TEST_F(WaveGraphRebuildTest, LaterSpanReadsTheOlderPartStraightBehindIt) {
  const int64_t w = kChannels * (kSpan + 30);
  check(w, false, [&](int32_t j, int32_t c) -> int64_t {
    if (j < 30) return kChannels * (kSpan + j) + c;
    return kChannels * (30 + j - 30) + c;
  });
}

TEST_F(WaveGraphRebuildTest, BeforeTheFirstWrapThereIsNoOlderPart) {
  check(kChannels * 30, false, [](int32_t j, int32_t c) -> int64_t { return j < 30 ? kChannels * j + c : -1; });
}

TEST_F(WaveGraphRebuildTest, AWriteIndexAtTheRingEndUsesTheWholeLastSpan) {
  // 250 scans written: points 0-49 are scans 200-249, points 50-99 the
  // scans 150-199 just before them.
  const int64_t w = kRingLength;
  check(w, true, [&](int32_t j, int32_t c) -> int64_t {
    if (j < 50) return kChannels * (200 + j) + c;
    return w - kChannels * kSpan + kChannels * (j - 50) + c;
  });
}

// The acquisition thread laps a ring of one span while the display keeps
// rebuilding from it: every point still shows the one level the board
// sends, and the reads and the thread's writes never race.
TEST(WaveGraphRebuildLive, RebuildsWhileTheThreadOverwritesTheRing) {
  constexpr LONG kLevel = 32768 + 16384;
  ASSERT_EQ(configureSimulated(1, kSpan, 10), 0);  // the ring holds one span
  SetTestSample(kLevel, 0, 0);
  TestWindow window(kSpan, 300);
  Display d(kSpan);
  d.show(0, RGB(255, 0, 0));
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  LONG status = -1;
  StartSampling(&status);
  ASSERT_EQ(status, 0);
  Ring& r = ring();
  ASSERT_EQ(r.length.load(), kSpan);
  // Once the ring has wrapped, every sample in it is the board's.
  for (int i = 0; i < 5000 && r.wrapped.load() == 0; ++i) Sleep(1);
  ASSERT_NE(r.wrapped.load(), 0);
  WaveGraph& g = waveGraph();
  const LONG level = g.traceY(0, 0, kLevel);
  for (int pass = 0; pass < 200; ++pass) {
    rebuildTracePoints();
    for (int32_t j = 0; j < kSpan; ++j) ASSERT_EQ(g.row(0)[j].y, level) << "pass " << pass << " point " << j;
  }
  endRun();
  releaseWaveGraph();
}

// The same for the live strips: blocks read while the thread laps the
// ring are drawn from samples the thread may be rewriting.
TEST(WaveGraphRebuildLive, LiveStripsReadTheRingWhileTheThreadWrites) {
  constexpr LONG kLevel = 32768 - 16384;
  ASSERT_EQ(configureSimulated(1, kSpan, 10), 0);
  SetTestSample(kLevel, 0, 0);
  TestWindow window(kSpan, 300);
  Display d(kSpan);
  d.show(0, RGB(255, 0, 0));
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  LONG status = -1;
  StartSampling(&status);
  ASSERT_EQ(status, 0);
  Ring& r = ring();
  for (int i = 0; i < 5000 && r.wrapped.load() == 0; ++i) Sleep(1);
  ASSERT_NE(r.wrapped.load(), 0);
  WaveGraph& g = waveGraph();
  const LONG level = g.traceY(0, 0, kLevel);
  std::vector<SHORT> block(kSpan);
  for (int pass = 0; pass < 50; ++pass) {
    ReadBlock(block.data(), kSpan, nullptr, &status);
    ASSERT_EQ(status, 0);
    for (int32_t j = 0; j < kSpan; ++j) ASSERT_EQ(g.row(0)[j].y, level) << "pass " << pass << " point " << j;
  }
  endRun();
  releaseWaveGraph();
}

}  // namespace
