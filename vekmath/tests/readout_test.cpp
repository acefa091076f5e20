#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "status/status_texts.h"
#include "vekmath.h"

using namespace vekmath;

namespace {

constexpr WORD kUntouched = 0xBEEF;

// A 20-sample ring holding 1000 + position, zero offset 0 unless set.
class ReadoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedLength_ = r.length.load();
    savedZero_ = selection().zeroOffset;
    r.clearForRun();
    r.length.store(20);
    for (int32_t i = 0; i < kRingSize && i < 64; ++i) r.samples[i] = static_cast<uint16_t>(1000 + i);
    selection().zeroOffset = 0;
    buffer.assign(64, kUntouched);
  }
  // The ring and its flags as a later test expects them: no run marked.
  void TearDown() override {
    r.clearForRun();
    r.running.store(0);
    r.length.store(savedLength_);
    selection().zeroOffset = savedZero_;
  }
  void at(int32_t writeIndex, bool wrapped) {
    r.writeIndex.store(writeIndex);
    r.wrapped.store(wrapped ? 1 : 0);
  }
  // How many leading entries were written.
  int32_t written() const {
    int32_t n = 0;
    while (n < static_cast<int32_t>(buffer.size()) && buffer[n] != kUntouched) ++n;
    return n;
  }
  Ring& r = ring();
  std::vector<WORD> buffer;

 private:
  int32_t savedLength_ = 0;
  int32_t savedZero_ = 0;
};

TEST_F(ReadoutTest, ReadRingBeforeAWrapCopiesUpToTheWriteIndex) {
  at(7, false);
  EXPECT_EQ(ReadRing(buffer.data()), 7);
  EXPECT_EQ(written(), 7);
  EXPECT_EQ(buffer[0], 1000);
  EXPECT_EQ(buffer[6], 1006);

  at(0, false);
  buffer.assign(64, kUntouched);
  EXPECT_EQ(ReadRing(buffer.data()), 0);
  EXPECT_EQ(written(), 0);

  // A pass that ended exactly at the ring length has not wrapped.
  at(20, false);
  EXPECT_EQ(ReadRing(buffer.data()), 20);
  EXPECT_EQ(written(), 20);
}

TEST_F(ReadoutTest, ReadRingAfterAWrapCopiesOneLessThanTheRingInTimeOrder) {
  at(6, true);
  EXPECT_EQ(ReadRing(buffer.data()), 6);
  EXPECT_EQ(written(), 19);
  EXPECT_EQ(buffer[0], 1007);   // oldest: after the write index
  EXPECT_EQ(buffer[12], 1019);  // the ring's last sample
  EXPECT_EQ(buffer[13], 1000);  // then the start
  EXPECT_EQ(buffer[18], 1005);  // newest: just before the write index

  // A later pass that ended exactly at the ring end: in order from the
  // start, the newest sample included.
  buffer.assign(64, kUntouched);
  at(20, true);
  EXPECT_EQ(ReadRing(buffer.data()), 20);
  EXPECT_EQ(written(), 19);
  EXPECT_EQ(buffer[0], 1001);
  EXPECT_EQ(buffer[18], 1019);
}

TEST_F(ReadoutTest, CopiesRemoveTheZeroInSixteenBits) {
  selection().zeroOffset = 2048;
  r.samples[0] = 0;
  r.samples[1] = 2050;
  at(2, false);
  ReadRing(buffer.data());
  EXPECT_EQ(buffer[0], 63488);  // -2048
  EXPECT_EQ(buffer[1], 2);
}

TEST_F(ReadoutTest, LongCopiesRemoveTheZeroInEverySample) {
  // Past the first few samples the copy works four at a time; each lane
  // must borrow on its own.
  r.length.store(64);
  selection().zeroOffset = 32768;
  for (int32_t i = 0; i < 64; ++i) r.samples[i] = static_cast<uint16_t>(i % 3 == 0 ? i : 65535 - i);
  at(63, false);
  ReadRing2(buffer.data(), 1, 61);  // from an odd position
  for (int32_t i = 0; i < 62; ++i) {
    const int32_t p = i + 1;
    ASSERT_EQ(buffer[i], static_cast<WORD>((p % 3 == 0 ? p : 65535 - p) - 32768)) << p;
  }
}

TEST_F(ReadoutTest, ReadRing2StopsAtTheWriteIndex) {
  at(10, false);
  ReadRing2(buffer.data(), 5, 100);
  // Positions 5 to 9 only; nothing past the newest sample.
  EXPECT_EQ(written(), 5);
  EXPECT_EQ(buffer[0], 1005);

  buffer.assign(64, kUntouched);
  ReadRing2(buffer.data(), 2, 3);  // count + 1 samples
  EXPECT_EQ(written(), 4);
  EXPECT_EQ(buffer[3], 1005);
}

TEST_F(ReadoutTest, ReadRing2RefusesStartsOutsideTheRing) {
  at(10, false);
  ReadRing2(buffer.data(), 50000000, 10);
  EXPECT_EQ(written(), 0);
  ReadRing2(buffer.data(), 3, -1);
  EXPECT_EQ(written(), 0);
  ReadRing2(buffer.data(), -5, 1);  // a negative start counts from the oldest sample
  EXPECT_EQ(written(), 2);
  EXPECT_EQ(buffer[0], 1000);
  ReadRing2(nullptr, 0, 5);
}

TEST_F(ReadoutTest, ReadRing2AfterAWrapCountsFromTheOldestSample) {
  at(6, true);
  ReadRing2(buffer.data(), 10, 5);
  // Oldest is position 7: offsets 10 to 15 are positions 17, 18, 19, 0, 1, 2.
  ASSERT_EQ(written(), 6);
  EXPECT_EQ(buffer[0], 1017);
  EXPECT_EQ(buffer[2], 1019);
  EXPECT_EQ(buffer[3], 1000);
  EXPECT_EQ(buffer[5], 1002);

  buffer.assign(64, kUntouched);
  ReadRing2(buffer.data(), 15, 100);  // ends at the newest sample, position 5
  EXPECT_EQ(written(), 4);
  EXPECT_EQ(buffer[3], 1005);
}

TEST_F(ReadoutTest, ReadRing3EndsADistanceBeforeTheWriteIndex) {
  at(12, false);
  ReadRing3(buffer.data(), 2, 3);  // p = 12 - 2 - 3 = 7: positions 7 to 10
  ASSERT_EQ(written(), 4);
  EXPECT_EQ(buffer[0], 1007);
  EXPECT_EQ(buffer[3], 1010);

  buffer.assign(64, kUntouched);
  ReadRing3(buffer.data(), 10, 5);  // would begin before the first sample
  EXPECT_EQ(written(), 0);

  at(2, true);  // the same stretch now lies partly in the previous lap
  ReadRing3(buffer.data(), 1, 3);  // p = -2: positions 18, 19, 0, 1
  ASSERT_EQ(written(), 4);
  EXPECT_EQ(buffer[0], 1018);
  EXPECT_EQ(buffer[2], 1000);

  buffer.assign(64, kUntouched);
  at(12, false);
  ReadRing3(buffer.data(), -20, 3);  // p past the ring: nothing
  EXPECT_EQ(written(), 0);
}

TEST_F(ReadoutTest, StatusAndCounters) {
  LONG running = -1, scans = -1, status = -1, value = -1, overrun = -1;
  r.running.store(1);
  r.scanCounter.store(42);
  r.unread.store(84);
  r.writeIndex.store(6);
  r.lastChunkOverrun.store(4);
  r.wrapped.store(1);
  config().triggerChannel = 0;
  config().lastStatus.store(0);
  GetSamplingStatus(&running, &scans, &status);
  EXPECT_EQ(running, 1);
  EXPECT_EQ(scans, 42);
  EXPECT_EQ(status, 0);

  config().triggerChannel = 1;  // a level-triggered run shows no scans
  GetSamplingStatus(&running, &scans, &status);
  EXPECT_EQ(running, 1);
  EXPECT_EQ(scans, 0);
  config().triggerChannel = 0;

  r.stopRequested.store(1);
  GetSamplingStatus(&running, &scans, &status);
  EXPECT_EQ(running, 0);
  EXPECT_EQ(scans, 0);
  EXPECT_EQ(status, kStatusStopped);
  GetSamplingStatus(nullptr, nullptr, nullptr);

  GetLibraryVersion(&value);
  EXPECT_EQ(value, 101);
  GetSampleCount(&value);
  EXPECT_EQ(value, 84);
  GetRingPosition(&value, &overrun);
  EXPECT_EQ(value, 6);
  EXPECT_EQ(overrun, 4);
  GetRingPosition2(&value);
  EXPECT_EQ(value, 1);
  GetRingLength(&value);
  EXPECT_EQ(value, 20);
}

}  // namespace
