#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "blocks/read_block.h"
#include "status/status_texts.h"
#include "support/wave_window.h"
#include "vekmath.h"

using namespace vekmath;
using namespace wavetest;

namespace {

class ReadBlockTest : public ::testing::Test {
 protected:
  void TearDown() override { endRun(); }
  void start() {
    LONG status = -1;
    StartSampling(&status);
    ASSERT_EQ(status, 0);
  }
};

// Channel c plays base + c x 1000 + (scan mod length); what ReadBlock hands
// out lacks the zero of 32768.
void expectRamp(const std::vector<SHORT>& block, LONG channels, LONG length, LONG base, int64_t firstScan) {
  const int64_t scans = static_cast<int64_t>(block.size()) / channels;
  for (int64_t s = 0; s < scans; ++s) {
    for (LONG c = 0; c < channels; ++c) {
      const LONG raw = base + c * 1000 + static_cast<LONG>((firstScan + s) % length);
      ASSERT_EQ(block[s * channels + c], static_cast<SHORT>(raw - 32768)) << "scan " << firstScan + s << " ch " << c;
    }
  }
}

TEST_F(ReadBlockTest, HandsOutTheTestSignalBlockAfterBlockWithoutLosingAScan) {
  ASSERT_EQ(configureSimulated(3, 100), 0);
  fillRamp(3, 7, 30000);
  start();
  std::vector<SHORT> block(3 * 100);
  LONG running = -1, status = -1;
  for (int b = 0; b < 5; ++b) {
    ReadBlock(block.data(), 100, &running, &status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(running, 1);
    expectRamp(block, 3, 7, 30000, b * 100);
  }
  // What was handed out is gone from the unread count, and only that
  // (counted once the thread has ended).
  StopSampling(nullptr);
  EXPECT_EQ(ring().unread.load() + 5 * 300, ring().totalScans.load() * 3);
}

// The ring is fed from the reader's own message pump, a few scans per
// message, as a producer that never runs a ring ahead of the reader: a
// free-running thread can, on a loaded machine, and the reader then rightly
// hands out the newest ring instead of the scans it missed.
TEST_F(ReadBlockTest, ReadsAcrossTheRingEndInTimeOrder) {
  // Without a 1 ms period the ring holds one block of 64 scans; blocks of
  // 48 scans keep crossing its end, and chunks of 5 scans cross it in their
  // middle.
  constexpr LONG kChannels = 2, kChunk = 5;
  ASSERT_EQ(configureSimulated(kChannels, 64, 500), 0);
  ASSERT_EQ(ring().length.load(), 128);
  Ring& r = ring();
  r.clearForRun();
  resetReaderForRun();
  r.started.store(1);
  r.running.store(1);
  TestWindow window(10, 10);
  int64_t produced = 0;
  window.postCall([&] {
    uint16_t* at = r.samples + r.writeIndex.load();
    for (LONG s = 0; s < kChunk; ++s) {
      for (LONG c = 0; c < kChannels; ++c) {
        at[s * kChannels + c] = static_cast<uint16_t>(20000 + c * 1000 + (produced + s) % 1000);
      }
    }
    produced += kChunk;
    r.step(kChannels, kChunk);
    window.postAgain();
  });
  std::vector<SHORT> block(kChannels * 48);
  LONG status = -1;
  for (int b = 0; b < 6; ++b) {
    ReadBlock(block.data(), 48, nullptr, &status);
    ASSERT_EQ(status, 0);
    expectRamp(block, kChannels, 1000, 20000, b * 48);
  }
  EXPECT_EQ(r.wrapped.load(), 1);
  r.running.store(0);
  r.started.store(0);
}

TEST_F(ReadBlockTest, SignedChannelsKeepTheirRawCounts) {
  ASSERT_EQ(configureSimulated(2, 10), 0);
  const LONG format[32] = {1, 0};
  SetupSampling2(format, 0, nullptr);
  SetTestSample(0xFFF0, 0, 0);
  SetTestSample(32768, 0, 1);
  start();
  std::vector<SHORT> block(2 * 10);
  LONG status = -1;
  ReadBlock(block.data(), 10, nullptr, &status);
  ASSERT_EQ(status, 0);
  for (int s = 0; s < 10; ++s) {
    EXPECT_EQ(block[s * 2], static_cast<SHORT>(-16));
    EXPECT_EQ(block[s * 2 + 1], 0);  // 32768 - 32768
  }
}

// A handler run by the pump inside the wait may end the run either way.
TEST_F(ReadBlockTest, StopOrCloseFromAHandlerInsideTheWaitEndsTheReadWith30000) {
  for (void (*end)() : {+[] { StopSampling(nullptr); }, +[] { CloseBoard(nullptr); }}) {
    ASSERT_EQ(configureSimulated(1, 100), 0);
    SetTestLength(2000000);  // the block would take long to fill
    start();
    TestWindow window(10, 10);
    window.postCall(end);
    std::vector<SHORT> block(1000000);
    LONG running = -1, status = -1;
    EXPECT_EQ(ReadBlock(block.data(), 1000000, &running, &status), kStatusParameter);
    EXPECT_EQ(status, kStatusParameter);
    EXPECT_EQ(running, 0);
    endRun();
  }
}

TEST_F(ReadBlockTest, WithoutARunTheReadEndsAtOnceWith30000) {
  ASSERT_EQ(configureSimulated(2, 10), 0);
  std::vector<SHORT> block(20);
  LONG running = -1, status = -1;
  ReadBlock(block.data(), 10, &running, &status);
  EXPECT_EQ(status, kStatusParameter);
  EXPECT_EQ(running, 0);
  // The failure stays: a later read reports it at once, outputs written.
  status = 0;
  ReadBlock(block.data(), 10, &running, &status);
  EXPECT_EQ(status, kStatusParameter);
}

TEST_F(ReadBlockTest, BadArgumentsTakeNothing) {
  ASSERT_EQ(configureSimulated(2, 10), 0);
  start();
  LONG running = -1, status = -1;
  // No block asked for: the run's state, nothing waited for.
  ReadBlock(nullptr, 0, &running, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(running, 1);
  ReadBlock(nullptr, -5, &running, &status);
  EXPECT_EQ(status, 0);
  // No buffer for a real block: refused, and the library's status stays 0.
  ReadBlock(nullptr, 10, &running, &status);
  EXPECT_EQ(status, kStatusParameter);
  EXPECT_EQ(config().lastStatus.load(), 0);
  // Null outputs are allowed.
  std::vector<SHORT> block(20);
  EXPECT_EQ(ReadBlock(block.data(), 10, nullptr, nullptr), 0);
}

TEST_F(ReadBlockTest, BlockTimesAreStampedWhileRecordingAndStopAtTheTableEnd) {
  ASSERT_EQ(configureSimulated(1, 5), 0);
  start();
  CameraMarks& marks = cameraMarks();
  std::vector<SHORT> block(5);
  ReadBlock(block.data(), 5, nullptr, nullptr);  // the run is noticed, the count starts at 0
  marks.recording.store(1);
  marks.paused.store(0);
  ReadBlock(block.data(), 5, nullptr, nullptr);
  ReadBlock(block.data(), 5, nullptr, nullptr);
  EXPECT_EQ(marks.blockCount.load(), 2);
  marks.paused.store(1);
  ReadBlock(block.data(), 5, nullptr, nullptr);
  EXPECT_EQ(marks.blockCount.load(), 2);
  marks.paused.store(0);
  marks.blockCount.store(kBlockTimeEntries - 1);
  marks.blockTimes[kBlockTimeEntries - 1] = 0;
  ReadBlock(block.data(), 5, nullptr, nullptr);
  ReadBlock(block.data(), 5, nullptr, nullptr);
  EXPECT_EQ(marks.blockCount.load(), kBlockTimeEntries);
  marks.recording.store(0);
}

TEST_F(ReadBlockTest, ANewRunStartsReadingAtTheRingStart) {
  ASSERT_EQ(configureSimulated(2, 50), 0);
  fillRamp(2, 1000, 10000);
  start();
  std::vector<SHORT> block(2 * 50);
  ReadBlock(block.data(), 50, nullptr, nullptr);
  ReadBlock(block.data(), 50, nullptr, nullptr);
  endRun();
  ASSERT_EQ(configureSimulated(2, 50), 0);
  fillRamp(2, 1000, 10000);
  start();
  LONG status = -1;
  ReadBlock(block.data(), 50, nullptr, &status);
  ASSERT_EQ(status, 0);
  expectRamp(block, 2, 1000, 10000, 0);
}

}  // namespace
