// Triggered blocks of a vendor B board: one finite run per ReadBlock on the
// simulated board, whose scans a handler in the read's own wait produces;
// the block right-aligned within the block length, and a stop or close
// while the trigger never comes.
#include <gtest/gtest.h>
#include <skorra.h>
#include <skorradev.h>

#include <functional>
#include <string>
#include <vector>

#include "acquisition/ring.h"
#include "backends/vendor_b/vendor_b_backend.h"
#include "status/message.h"
#include "support/vendor_b_board.h"
#include "support/wave_window.h"
#include "vekmath.h"

using namespace vekmath;
using namespace vendorbtest;

namespace {

constexpr LONG kChannels = 2;
constexpr LONG kBlock = 100;

class TriggeredVendorB : public VendorBBoard {
 protected:
  void start() {
    SelectBoard(5, 0, "SKORRA1");
    const SHORT list[32] = {1, 2};
    LONG status = -1;
    SetupSampling(kChannels, list, kBlock, 10, 1000, 0, 1, 100, 50, &status);
    ASSERT_EQ(status, 0) << messageText();
    ASSERT_TRUE(SkorradevSimSetManualClock(1, TRUE));
    StartSampling(&status);
    ASSERT_EQ(status, 0) << messageText();
  }

  // Reads `scans` with `during` run once inside the read's wait.
  LONG read(std::vector<SHORT>& block, LONG scans, std::function<void()> during, LONG& running) {
    window_.postCall(std::move(during));
    block.assign(kChannels * scans, 7);
    LONG status = -7;
    running = -7;
    ReadBlock(block.data(), scans, &running, &status);
    return status;
  }

  wavetest::TestWindow window_{10, 10};
};

// A run that came short (the board stopped early) leaves the block's first
// scans 0; a caller asking fewer scans than the block gets the newest; one
// asking more gets zeros after the block.
TEST_F(TriggeredVendorB, EachReadIsOneRunRightAlignedInTheBlock) {
  struct Case {
    DWORD produced;
    bool stopsEarly;
    LONG scans;
    LONG leadingZeros;
    LONG delivered;
    DWORD firstScan;
  };
  for (const Case& c : {Case{kBlock, false, kBlock, 0, kBlock, 0}, Case{40, true, kBlock, 60, 40, 0},
                        Case{kBlock, false, 60, 0, 60, 40}, Case{kBlock, false, 150, 0, kBlock, 0}}) {
    SCOPED_TRACE(std::to_string(c.produced) + " / " + std::to_string(c.scans));
    start();
    std::vector<SHORT> block;
    for (int b = 0; b < 2; ++b) {
      const DWORD startsBefore = SkorradevSimRequestCount(1, SKDF_START);
      LONG running = -1;
      ASSERT_EQ(read(block, c.scans,
                     [&] {
                       SkorradevSimAdvance(1, c.produced);
                       if (c.stopsEarly) SkStopSampling(vendorBHandle());
                     },
                     running),
                0)
          << messageText();
      EXPECT_EQ(SkorradevSimRequestCount(1, SKDF_START), startsBefore + 1);
      for (LONG s = 0; s < c.scans; ++s) {
        const bool inRun = s >= c.leadingZeros && s < c.leadingZeros + c.delivered;
        for (LONG ch = 0; ch < kChannels; ++ch) {
          const SHORT expected = inRun ? expectedCount(1, ch + 1, c.firstScan + (s - c.leadingZeros)) : 0;
          ASSERT_EQ(block[s * kChannels + ch], expected) << s << "/" << ch;
        }
      }
    }
    StopSampling(nullptr);
    CloseBoard(nullptr);
  }
}

// A stop reads as stopped, now and at every later read; a close takes the
// board away and the read writes neither output.
TEST_F(TriggeredVendorB, AStopOrCloseEndsAWaitForATriggerThatNeverComes) {
  struct Case {
    const char* name;
    void (*end)();
    LONG status;
    LONG running;
  };
  const Case cases[] = {{"stop", [] { StopSampling(nullptr); }, kStatusStopped, 0},
                        {"close", [] { CloseBoard(nullptr); }, -7, -7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start();
    std::vector<SHORT> block;
    LONG running = -1;
    EXPECT_EQ(read(block, kBlock, c.end, running), c.status);
    EXPECT_EQ(running, c.running);
    EXPECT_EQ(block, std::vector<SHORT>(kChannels * kBlock, 7));
    EXPECT_EQ(read(block, kBlock, [] {}, running), kStatusStopped);
    EXPECT_EQ(running, 0);
    CloseBoard(nullptr);
  }
}

}  // namespace
