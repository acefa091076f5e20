#include <gtest/gtest.h>

#include <windows.h>

#include <platform/debug_sink.h>

#include <string>
#include <vector>

#include "triggers/trigger_events.h"

using namespace vekmath;

namespace {

// A small interleaved ring fed pass by pass the way the acquisition thread
// does it: the pass's scans go in at the write index (wrapping at the ring
// length), then detection and completion run.
class Feeder {
 public:
  Feeder(int32_t channels, int32_t ringLength, const TriggerSettings& s)
      : n_(channels), length_(ringLength), ring_(static_cast<std::size_t>(ringLength) + 64, 0) {
    events.arm(s);
  }

  // One pass; values are the trigger channel's samples, the other channel
  // gets a value that would cross every level if it were read instead.
  void pass(const std::vector<int32_t>& values, int32_t triggerPlace = 1) {
    const int32_t before = w_;
    for (int32_t v : values) {
      for (int32_t c = 0; c < n_; ++c) ring_[w_ + c] = static_cast<uint16_t>(c == triggerPlace ? v : 30000);
      w_ += n_;
      if (w_ >= length_) {
        w_ -= length_;
        wrapped_ = true;
        events.onWrap();
      }
    }
    events.detectAndComplete(ring_.data(), length_, before, w_, static_cast<int32_t>(values.size()), wrapped_);
  }

  void skipTo(int32_t writeIndex, bool wrapped) {
    w_ = writeIndex;
    wrapped_ = wrapped;
  }
  std::vector<uint16_t>& ring() { return ring_; }
  int32_t writeIndex() const { return w_; }

  TriggerEvents events;

 private:
  int32_t n_, length_, w_ = 0;
  bool wrapped_ = false;
  std::vector<uint16_t> ring_;
};

// Two channels, trigger on the second; d = -L so the detector looks at the
// newest scans and an event's window ends at its crossing.
TriggerSettings settings(int32_t a, int32_t b, int32_t blockScans = 4) {
  TriggerSettings s;
  s.channels = 2;
  s.triggerChannel = 2;
  s.levelA = a;
  s.levelB = b;
  s.blockScans = blockScans;
  s.offsetScans = -blockScans;
  s.direction = b >= a ? 1 : 0;
  return s;
}

TEST(TriggerDetection, RisingNeedsBThenA) {
  Feeder f(2, 200, settings(1000, 500));
  f.pass({0, 0, 0, 0, 0, 600, 2000});  // through B at scan 5, through A at scan 6
  auto pending = f.events.pendingSnapshot();
  auto completed = f.events.completedSnapshot();
  ASSERT_EQ(completed.size(), 1u);
  EXPECT_EQ(completed[0], (6 - 4) * 2);
  EXPECT_TRUE(pending.empty());
  EXPECT_EQ(f.events.completedCount(), 1);
  TriggerFlags flags = f.events.flagsSnapshot();
  EXPECT_FALSE(flags.roseA || flags.roseB || flags.fellA || flags.fellB);
}

TEST(TriggerDetection, OneJumpThroughBothLevelsIsOneEvent) {
  Feeder f(2, 200, settings(1000, 500));
  f.pass({0, 0, 0, 0, 0, 2000});
  EXPECT_EQ(f.events.completedSnapshot().size(), 1u);
}

TEST(TriggerDetection, RiseThroughAAloneLeavesItsFlag) {
  Feeder f(2, 200, settings(1000, 500));
  f.ring()[199] = 800;  // what scan 0 is compared with
  f.pass({800, 800, 800, 800, 800, 1200});
  EXPECT_TRUE(f.events.completedSnapshot().empty());
  EXPECT_TRUE(f.events.pendingSnapshot().empty());
  TriggerFlags flags = f.events.flagsSnapshot();
  EXPECT_TRUE(flags.roseA);
  EXPECT_EQ(flags.roseAScan, 5);
  EXPECT_FALSE(flags.roseB);
  // Flags persist across passes: a later rise through B, then A, qualifies.
  f.pass({400, 400, 600, 900, 1100});
  EXPECT_EQ(f.events.completedSnapshot().size(), 1u);
}

TEST(TriggerDetection, FallingNeedsBThenA) {
  Feeder f(2, 200, settings(500, 1000));
  f.pass({2000, 2000, 2000, 2000, 2000, 400});
  EXPECT_EQ(f.events.completedSnapshot().size(), 1u);
  Feeder g(2, 200, settings(500, 1000));
  g.pass({800, 800, 800, 800, 800, 400});  // through A only
  EXPECT_TRUE(g.events.completedSnapshot().empty());
  EXPECT_TRUE(g.events.flagsSnapshot().fellA);
}

// A sample exactly on a level has not crossed it yet: it counts as the
// side it comes from, so the crossing is the step that leaves the level.
TEST(TriggerDetection, SamplesExactlyOnALevelCrossOnlyWhenTheyLeaveIt) {
  struct Case {
    const char* what;
    int32_t a, b;
    std::vector<int32_t> values;
    std::vector<int32_t> events;  // window starts, (scan - 4) x 2
    bool roseB, fellB;             // crossings of B still waiting for A
  };
  const Case cases[] = {
      {"rise resting on B, then on A", 1000, 500, {0, 0, 0, 0, 0, 500, 1000, 2000}, {6}, false, false},
      {"fall resting on B, then on A", 500, 1000, {2000, 2000, 2000, 2000, 2000, 1000, 500, 0}, {6}, false, false},
      {"rise that touches A and turns back", 1000, 500, {0, 0, 0, 0, 0, 600, 1000, 600}, {}, true, false},
      {"fall that touches A and turns back", 500, 1000, {2000, 2000, 2000, 2000, 2000, 800, 500, 800}, {}, false, true},
      {"rise that touches B and turns back", 1000, 500, {0, 0, 0, 0, 0, 500, 0, 0}, {}, false, true},
      {"fall that rests on B and turns back", 500, 1000, {2000, 2000, 2000, 2000, 2000, 1000, 1000, 2000}, {}, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Feeder f(2, 200, settings(c.a, c.b));
    f.ring()[199] = static_cast<uint16_t>(c.values.front());  // what scan 0 is compared with
    f.pass(c.values);
    const auto completed = f.events.completedSnapshot();
    EXPECT_EQ(std::vector<int32_t>(completed.begin(), completed.end()), c.events);
    const TriggerFlags flags = f.events.flagsSnapshot();
    EXPECT_EQ(flags.roseB, c.roseB);
    EXPECT_EQ(flags.fellB, c.fellB);
  }
}

TEST(TriggerDetection, UnsignedChannelsAreMeasuredFromTheZero) {
  TriggerSettings s = settings(1000, 500);
  s.zero = 2048;
  Feeder f(2, 200, s);
  f.pass({2048, 2048, 2048, 2048, 2048, 2048 + 2000});
  EXPECT_EQ(f.events.completedSnapshot().size(), 1u);
  Feeder g(2, 200, s);
  g.pass({0, 0, 0, 0, 0, 2000});  // 2000 counts is below the zero
  EXPECT_TRUE(g.events.completedSnapshot().empty());
}

TEST(TriggerDetection, SignedChannelsFireOnTheNegativeSide) {
  TriggerSettings s = settings(-1000, -500);  // rising through -500, then -1000? no: B >= A
  s.signedData = true;
  Feeder f(2, 200, s);
  // Falling through -500 and then -1000. Compared as unsigned counts these
  // values sit above 32767 and never cross a negative level.
  f.pass({0, 0, 0, 0, 0, -600, -2000});
  EXPECT_EQ(f.events.completedSnapshot().size(), 1u);
}

TEST(TriggerDetection, IndexAtTheRingLengthReadsTheRingStart) {
  // Ring of 10 scans; the slack just past it holds a stale value.
  Feeder f(2, 20, settings(1000, 500, 2));
  f.pass({0, 0, 0, 0, 0, 0, 0, 0, 0});  // scans 0 to 8
  f.ring()[20 + 1] = 0;                 // stale: no crossing if read
  f.pass({0, 2000});                    // scan 9, then scan 10 at ring position 0
  EXPECT_EQ(f.ring()[1], 2000);
  EXPECT_EQ(f.events.completedSnapshot().size() + f.events.pendingSnapshot().size(), 1u);
}

TEST(TriggerDetection, PositionsPastTheRingEndFoldIntoIt) {
  // Offset 1, block 2: the window starts one scan after the crossing, and a
  // crossing in the last scan of the ring gives a window at the next lap.
  TriggerSettings s = settings(1000, 500, 2);
  s.offsetScans = 1;
  Feeder f(2, 20, s);
  f.pass(std::vector<int32_t>(10, 0));
  f.pass({0, 0, 0, 2000});
  f.pass(std::vector<int32_t>(6, 0));
  auto all = f.events.pendingSnapshot();
  for (int32_t q : f.events.completedSnapshot()) all.push_back(q);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_GE(all[0], 0);
  EXPECT_LT(all[0], 20);
}

TEST(TriggerDetection, EarlyEventBeforeTheFirstWrapIsDroppedNotTheOlderOne) {
  // Window of 100 scans, 100 scans before the crossing: a crossing at scan 50
  // would start before the ring's first sample.
  TriggerSettings s = settings(1000, 500, 100);
  s.offsetScans = -100;
  Feeder f(2, 2000, s);
  // The detector looks back L + d = 0 scans; an event qualifies at scan 50.
  std::vector<int32_t> v(60, 0);
  v[50] = 2000;
  f.pass(v);
  EXPECT_TRUE(f.events.pendingSnapshot().empty());
  EXPECT_TRUE(f.events.completedSnapshot().empty());
  // Flags were cleared by the recorded (and dropped) event.
  EXPECT_FALSE(f.events.flagsSnapshot().roseA);
}

TEST(TriggerDetection, NegativePositionAfterAWrapIsKept) {
  TriggerSettings s = settings(1000, 500, 100);
  s.offsetScans = -100;
  Feeder f(2, 2000, s);
  f.skipTo(0, true);
  std::vector<int32_t> v(60, 0);
  v[50] = 2000;
  f.pass(v);
  auto all = f.events.pendingSnapshot();
  for (int32_t q : f.events.completedSnapshot()) all.push_back(q);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0], (50 - 100) * 2);
}

TEST(TriggerDetection, SettingsOutsideTheScanDetectNothing) {
  TriggerSettings s = settings(1000, 500);
  s.triggerChannel = 3;  // beyond two channels
  Feeder f(2, 200, s);
  f.pass({0, 0, 0, 0, 0, 2000});
  EXPECT_TRUE(f.events.pendingSnapshot().empty());
}

TEST(TriggerCompletion, WaitsForAWholeWindow) {
  // Window of 4 scans starting at the crossing (d = 0): not ready until
  // four scans past it are in.
  TriggerSettings s = settings(1000, 500, 4);
  s.offsetScans = 0;
  Feeder f(2, 200, s);
  f.pass({0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  f.pass({0, 0, 0, 0, 2000});  // crossing at scan 14, looked at when scan 14 + 4 arrives
  f.pass({2000, 2000, 2000});
  EXPECT_TRUE(f.events.completedSnapshot().empty());
  f.pass({2000});
  EXPECT_EQ(f.events.pendingSnapshot().size() + f.events.completedSnapshot().size(), 1u);
}

TEST(TriggerCompletion, EventInsideTheLastWindowIsDroppedUntilAWrap) {
  Feeder f(2, 200, settings(1000, 500, 4));
  f.pass({0, 0, 0, 0, 0, 2000});  // event at (5 - 4) * 2 = 2
  f.pass({0, 2000});              // event at (7 - 4) * 2 = 6, inside [2, 10]
  EXPECT_EQ(f.events.completedSnapshot().size(), 1u);
  EXPECT_TRUE(f.events.pendingSnapshot().empty());
  f.pass({0, 0, 0, 0, 0, 2000});  // (13 - 4) * 2 = 18: outside
  EXPECT_EQ(f.events.completedSnapshot().size(), 2u);
  EXPECT_EQ(f.events.windowSnapshot(), 18);
  f.events.onWrap();
  EXPECT_FALSE(f.events.windowSnapshot().has_value());
}

TEST(TriggerCompletion, OnePendingEventPerPassAndABoundedList) {
  Feeder f(2, 400000, settings(1000, 500, 1));
  std::vector<int32_t> v;
  for (int i = 0; i < 140000; ++i) v.push_back(i % 2 ? 2000 : 0);
  f.pass(v);
  EXPECT_EQ(f.events.completedSnapshot().size(), 1u);
  EXPECT_EQ(f.events.pendingSnapshot().size(), kMaxPendingEvents - 1);  // the completer took one
  f.events.reset();
  EXPECT_TRUE(f.events.pendingSnapshot().empty());
  EXPECT_EQ(f.events.completedCount(), 0);
}

std::string captured;
void capture(const char* text, void*) { captured += text; }

class TakeEventTest : public ::testing::Test {
 protected:
  void SetUp() override {
    captured.clear();
    PlatSetDebugSink(capture, nullptr);
  }
  void TearDown() override { PlatSetDebugSink(nullptr, nullptr); }
};

TEST_F(TakeEventTest, CopiesTheWindowInTheRingOrBothSidesOfItsEnd) {
  Feeder f(2, 20, settings(1000, 500, 2));
  for (int32_t i = 0; i < 20; ++i) f.ring()[i] = static_cast<uint16_t>(100 + i);
  uint16_t out[8] = {};

  EXPECT_FALSE(f.events.take(f.ring().data(), 20, out, 8).taken);
  EXPECT_TRUE(captured.empty());

  f.events.arm(settings(1000, 500, 2));
  f.skipTo(8, false);
  f.pass({0, 2000});  // crossing at scan 5: window at (5 - 2) * 2 = 6
  TakenEvent e = f.events.take(f.ring().data(), 20, out, 8);
  ASSERT_TRUE(e.taken);
  EXPECT_EQ(e.position, 6);
  EXPECT_EQ(e.samples, 4);
  EXPECT_EQ(e.left, 0);
  EXPECT_EQ(out[0], 106);
  EXPECT_EQ(captured, "aaa : lTrgSt = 6\n");
}

TEST_F(TakeEventTest, WindowsAcrossTheEndAndBeforeTheWrap) {
  Feeder f(2, 20, settings(1000, 500, 3));
  f.skipTo(16, true);
  f.pass({0, 0, 2000});  // scans 8, 9, 0: crossing at scan 10 -> window at (10-3)*2 = 14
  f.pass({0, 0, 0, 0, 0, 2000});  // scans 1 to 6, crossing at 6: (6-3)*2 = 6 ... inside? no
  for (int32_t i = 0; i < 20; ++i) f.ring()[i] = static_cast<uint16_t>(100 + i);
  uint16_t out[6] = {};
  TakenEvent e = f.events.take(f.ring().data(), 20, out, 6);
  ASSERT_TRUE(e.taken);
  EXPECT_EQ(e.position, 14);
  EXPECT_EQ(e.left, 1);
  EXPECT_EQ(out[0], 114);
  EXPECT_EQ(out[5], 119);
  EXPECT_EQ(captured, "bbb : lTrgSt = 14\n");

  // A window that begins before the last wrap.
  Feeder g(2, 20, settings(1000, 500, 3));
  g.skipTo(0, true);
  g.pass({0, 2000});  // crossing at scan 1: (1 - 3) * 2 = -4
  for (int32_t i = 0; i < 20; ++i) g.ring()[i] = static_cast<uint16_t>(100 + i);
  captured.clear();
  uint16_t small[3] = {};
  e = g.events.take(g.ring().data(), 20, small, 3);  // a short destination bounds the copy
  ASSERT_TRUE(e.taken);
  EXPECT_EQ(e.position, -4);
  EXPECT_EQ(e.samples, 3);
  EXPECT_EQ(small[0], 116);
  EXPECT_EQ(small[2], 118);
  EXPECT_EQ(captured, "ccc : lTrgSt = -4\n");
}

}  // namespace
