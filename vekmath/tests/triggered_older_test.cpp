// Triggered blocks of an older board through a recording library: one
// board-memory run per ReadBlock, the surplus before the trigger read away
// a block at most at a time, a stop while the trigger never comes, and a
// failed start kept as the last status.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "status/message.h"
#include "support/morvel_double.h"
#include "support/wave_window.h"
#include "vekmath.h"

using namespace vekmath;
using namespace oldertest;

namespace {

constexpr LONG kChannels = 2;
constexpr LONG kScans = 100;  // the block, at 1,000 scans a second

class TriggeredOlder : public ::testing::Test {
 protected:
  void start() {
    SelectBoard(3, 1, "2");
    const SHORT list[32] = {1, 2};
    LONG status = -1;
    SetupSampling(kChannels, list, kScans, 10, 1000, 0, 1, 100, 50, &status);
    ASSERT_EQ(status, 0) << messageText();
    StartSampling(&status);
    ASSERT_EQ(status, 0) << messageText();
    ASSERT_EQ(ring().thread.load(), nullptr);
  }
  void TearDown() override {
    StopSampling(nullptr);
    CloseBoard(nullptr);
  }

  LONG read(std::vector<SHORT>& block, LONG& running) {
    LONG status = -1;
    running = -1;
    ReadBlock(block.data(), kScans, &running, &status);
    return status;
  }

  MorvelDouble morvel_;
};

// The block is the newest scans the board memory held when the board
// finished; whatever came before went in reads of at most one block.
TEST_F(TriggeredOlder, EachReadIsOneRunOfTheNewestScans) {
  struct Case {
    int64_t nsPerQuery;  // 1 ms per scan
    int pollsRunning;
    int64_t firstScan;
  };
  for (const Case& c : {Case{10'000'000, 30, 200}, Case{250'000'000, 3, 650}}) {
    SCOPED_TRACE(c.nsPerQuery);
    start();
    morvel_.script().nsPerQuery = c.nsPerQuery;
    morvel_.script().faultAfterQueries = c.pollsRunning;
    std::vector<SHORT> block(kChannels * kScans);
    for (int b = 0; b < 2; ++b) {
      const std::size_t startsBefore = morvel_.starts().size();
      LONG running = -1;
      ASSERT_EQ(read(block, running), 0) << messageText();
      EXPECT_EQ(running, 0);  // the board's finished state
      EXPECT_EQ(morvel_.starts().size(), startsBefore + 1);
      EXPECT_EQ(morvel_.starts().back().mode, 2);
      for (int64_t i = 0; i < kChannels * kScans; ++i) {
        ASSERT_EQ(block[i], static_cast<SHORT>(sampleOf(c.firstScan * kChannels + i) - 32768)) << i;
      }
    }
    for (const XanReadBufParams& r : morvel_.reads()) ASSERT_LE(r.scans, kScans);
  }
}

// A stop from a handler in the wait reads as stopped; a failed start keeps
// its code as the last status. Either way nothing is handed out, now or at
// the next read.
TEST_F(TriggeredOlder, AStopOrAFailureEndsTheReadWithoutABlock) {
  wavetest::TestWindow window(10, 10);
  struct Case {
    const char* name;
    std::function<void()> arrange;
    LONG status;
    int32_t lastStatus;
  };
  const Case cases[] = {
      {"stop while the trigger never comes", [&] { window.postCall([] { StopSampling(nullptr); }); },
       kStatusStopped, 0},
      {"start refused",
       [&] {
         morvel_.script().failing = "XanInpBdMem";
         morvel_.script().failCode = 2;
       },
       2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start();
    c.arrange();
    std::vector<SHORT> block(kChannels * kScans, 7);
    for (int b = 0; b < 2; ++b) {
      LONG running = -1;
      EXPECT_EQ(read(block, running), c.status);
      EXPECT_EQ(running, 0);
    }
    EXPECT_LT(morvel_.statusQueries(), kHangGuard);
    EXPECT_EQ(block, std::vector<SHORT>(kChannels * kScans, 7));
    EXPECT_EQ(config().lastStatus.load(), c.lastStatus);
  }
}

}  // namespace
