// Triggered blocks of a WDM board through a recording Halvik: one input
// run per ReadBlock ended by the device's stop trigger, the newest scans
// kept and the missing ones filled with the zero, fetches never beyond the
// read buffer, and a stop while the trigger never comes.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "status/message.h"
#include "support/halvik_double.h"
#include "support/wave_window.h"
#include "vekmath.h"

using namespace vekmath;
using namespace wdmtest;

namespace {

constexpr LONG kScans = 100;

class TriggeredWdm : public ::testing::Test {
 protected:
  void TearDown() override {
    StopSampling(nullptr);
    CloseBoard(nullptr);
  }

  void start(LONG channels, LONG eventOffset) {
    SelectBoard(10, 0, "XAN001");
    SHORT list[32] = {};
    for (LONG c = 0; c < channels; ++c) list[c] = static_cast<SHORT>(c + 1);
    LONG status = -1;
    SetupSampling(channels, list, kScans, 10, 1000, eventOffset, 1, 100, 50, &status);
    ASSERT_EQ(status, 0) << messageText();
    StartSampling(&status);
    ASSERT_EQ(status, 0) << messageText();
    ASSERT_EQ(ring().thread.load(), nullptr);
  }

  LONG read(std::vector<SHORT>& block, LONG channels, LONG& running) {
    block.assign(channels * kScans, 7);
    LONG status = -1;
    running = -1;
    ReadBlock(block.data(), kScans, &running, &status);
    return status;
  }

  std::vector<LONG> fetchesAsked() const {
    std::vector<LONG> asked;
    for (const std::string& call : halvik_.calls()) {
      if (call.rfind("XanGetAiSamplingData(", 0) == 0) asked.push_back(std::stol(call.substr(call.find(',') + 1)));
    }
    return asked;
  }

  HalvikDouble halvik_;
};

// 50 scans per count query. A block before the trigger (negative offset)
// was taken one scan longer: it is the first 100 of the newest 101.
TEST_F(TriggeredWdm, EachReadIsOneRunOfTheNewestScansAfterTheZeroFiller) {
  struct Case {
    int64_t stopAfter;
    LONG eventOffset;
    int64_t filler;  // leading scans of the zero
    int64_t firstScan;
  };
  constexpr LONG kChannels = 3;
  for (const Case& c : {Case{250, 0, 0, 150}, Case{250, -10, 0, 149}, Case{60, 0, 40, 0}, Case{60, -10, 41, 0}}) {
    SCOPED_TRACE(std::to_string(c.stopAfter) + " / " + std::to_string(c.eventOffset));
    start(kChannels, c.eventOffset);
    halvik_.script().stopAfterScans = c.stopAfter;
    std::vector<SHORT> block;
    for (int b = 0; b < 2; ++b) {
      halvik_.clearCalls();
      LONG running = -1;
      ASSERT_EQ(read(block, kChannels, running), 0) << messageText();
      EXPECT_EQ(running, 0);
      const std::vector<std::string> calls = halvik_.calls();
      EXPECT_EQ(std::count(calls.begin(), calls.end(), "XanStartAi(1)"), 1);
      for (int64_t s = 0; s < kScans; ++s) {
        for (int32_t ch = 0; ch < kChannels; ++ch) {
          const SHORT expected =
              s < c.filler ? 0 : static_cast<SHORT>((rawCount(c.firstScan + s - c.filler, ch) & 0xFFFF) - 32768);
          ASSERT_EQ(block[s * kChannels + ch], expected) << s << "/" << ch;
        }
      }
    }
    StopSampling(nullptr);
    CloseBoard(nullptr);
  }
}

// The read buffer holds 16,040,000 values: with 32 channels a fetch takes
// at most 501,250 scans, however many the device holds.
TEST_F(TriggeredWdm, FetchesStayWithinTheReadBuffer) {
  constexpr LONG kChannels = 32;
  start(kChannels, 0);
  halvik_.script().scansPerQuery = 600'000;
  halvik_.script().stopAfterScans = 600'000;
  std::vector<SHORT> block;
  LONG running = -1;
  ASSERT_EQ(read(block, kChannels, running), 0) << messageText();
  EXPECT_EQ(fetchesAsked(), (std::vector<LONG>{501'250, 98'650, kScans}));
  EXPECT_EQ(block[0], static_cast<SHORT>((rawCount(599'900, 0) & 0xFFFF) - 32768));
}

// The back-end flag stays set once a board set it; the board that does
// not set it is still read by the thread, never by the block reader.
TEST_F(TriggeredWdm, TheBoardWithoutTheFlagKeepsTheThread) {
  SelectBoard(10, 0, "XAN001");
  SelectBoard(7, 0, "XAN001");
  const SHORT list[32] = {1};
  LONG status = -1, running = -1;
  SetupSampling(1, list, kScans, 10, 1000, 0, 1, 100, 50, &status);
  ASSERT_EQ(config().samplingMode, 1);
  StartSampling(&status);
  ASSERT_EQ(status, 0) << messageText();
  EXPECT_NE(ring().thread.load(), nullptr);
  std::vector<SHORT> block(kScans);
  ReadBlock(block.data(), kScans, &running, &status);
  EXPECT_EQ(status, 0) << messageText();
  EXPECT_EQ(running, 1);
}

TEST_F(TriggeredWdm, AStopEndsAWaitForATriggerThatNeverComes) {
  constexpr LONG kChannels = 3;
  start(kChannels, 0);
  wavetest::TestWindow window(10, 10);
  window.postCall([] { StopSampling(nullptr); });
  std::vector<SHORT> block;
  LONG running = -1;
  EXPECT_EQ(read(block, kChannels, running), kStatusStopped);
  EXPECT_EQ(running, 0);
  EXPECT_EQ(block, std::vector<SHORT>(kChannels * kScans, 7));
  EXPECT_EQ(halvik_.calls().back(), "XanStopAi(1)");
}

}  // namespace
