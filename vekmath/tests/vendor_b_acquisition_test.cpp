// Vendor B boards end to end: the processing library's exports, the Skorra
// library and the simulated boards behind it.
#include <gtest/gtest.h>
#include <skorra.h>
#include <skorradev.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "backends/vendor_b/vendor_b_backend.h"
#include "status/status_texts.h"
#include "support/vendor_b_board.h"
#include "vekmath.h"

using namespace vekmath;
using namespace vendorbtest;

namespace {

constexpr LONG kChannels = 4;
constexpr LONG kScans = 1000;

LONG asLong(uint32_t code) { return static_cast<LONG>(code); }

class VendorBRun : public VendorBBoard, public ::testing::WithParamInterface<LONG> {};

// Code 5 runs in the normal mode, 6 in bus-master mode; both deliver the
// board's signal, less the zero of a 16-bit board, block after block.
TEST_P(VendorBRun, BlocksCarryTheBoardSignalInOrder) {
  ASSERT_EQ(setUp(GetParam(), "SKORRA1", kChannels), 0) << messageText();
  EXPECT_EQ(selection().zeroOffset, 32768);
  EXPECT_EQ(config().samplingMode, 0);
  ASSERT_EQ(start(), 0) << messageText();
  EXPECT_EQ(ring().running.load(), 1);
  EXPECT_EQ(ring().thread.load(), nullptr);

  std::vector<SHORT> block(kChannels * kScans);
  for (uint32_t b = 0; b < 2; ++b) {
    ASSERT_TRUE(SkorradevSimAdvance(1, kScans));
    LONG running = 0;
    ASSERT_EQ(read(block, kScans, &running), 0) << messageText();
    EXPECT_EQ(running, 1);
    for (uint32_t s = 0; s < kScans; ++s) {
      for (uint32_t c = 0; c < kChannels; ++c) {
        ASSERT_EQ(block[s * kChannels + c], expectedCount(1, c + 1, b * kScans + s)) << "scan " << s << " ch " << c;
      }
    }
  }
  EXPECT_EQ(ring().unread.load(), 0);

  LONG status = -1;
  EXPECT_EQ(StopSampling(&status), 0);
  EXPECT_EQ(ring().running.load(), 0);
  CloseBoard(&status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(vendorBHandle(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(NormalAndBusMaster, VendorBRun, ::testing::Values(5, 6));

// The normal road's configuration that took hold is reported in the
// message buffer, in CP932, without a code line.
using VendorBSetUp = VendorBBoard;
TEST_F(VendorBSetUp, NormalConfigurationLeavesItsSetUpText) {
  setOwnStatusText(kStatusParameter);
  ASSERT_EQ(setUp(5, "SKORRA1", kChannels), 0);
  EXPECT_EQ(messageText(),
            "\x83\x54\x83\x93\x83\x76\x83\x8a\x83\x93\x83\x4f\x8f\xf0\x8c\x8f\x90\xdd\x92\xe8"
            "\x81\x40\x81\x46\x81\x40\x90\xb3\x8f\xed\x8f\x49\x97\xb9\x0a");
}

// The single-shot read runs its own finite run per call; a helper plays
// the board's clock while a read waits for the run's end.
class VendorBSingleShot : public VendorBBoard {
 protected:
  // The read keeps its board open past a close of any other board.
  void TearDown() override {
    releaseSingleShot();
    VendorBBoard::TearDown();
  }
  LONG readTwice(std::vector<SHORT>& block) {
    std::atomic<bool> done{false};
    std::thread clock([&] {
      while (!done.load()) {
        SkorradevSimAdvance(1, 100);
        Sleep(1);
      }
    });
    LONG first = ReadBlock2(block.data(), 0, 0, 0);
    if (first == 0) first = ReadBlock2(block.data(), 0, 0, 0);
    done.store(true);
    clock.join();
    return first;
  }
};

TEST_F(VendorBSingleShot, EveryCallHandsOutOneRunOfChannel1Raw) {
  ASSERT_TRUE(SkorradevSimSetManualClock(1, TRUE));
  std::vector<SHORT> block(1000, -1);
  ASSERT_EQ(readTwice(block), 0) << messageText();
  for (DWORD s = 0; s < 1000; ++s) ASSERT_EQ(static_cast<uint16_t>(block[s]), SkorradevSimSample(1, 1, s, 16)) << s;
  EXPECT_EQ(std::string(selection().deviceName), "SKORRA1");
  EXPECT_EQ(selection().resolution, 12);
  EXPECT_EQ(config().lastStatus.load(), 0);
}

// A failed start gives the board up; the next call sets it up again
// instead of waiting on an event that is gone. No buffer touches no board.
TEST_F(VendorBSingleShot, AFailureIsReportedAndTheNextCallStartsAfresh) {
  ASSERT_TRUE(SkorradevSimSetManualClock(1, TRUE));
  EXPECT_EQ(ReadBlock2(nullptr, 0, 0, 0), kStatusParameter);
  ASSERT_TRUE(SkorradevSimSetFault(1, SKDF_START, FALSE, SK_E_BUSY));
  std::vector<SHORT> block(1000);
  EXPECT_EQ(ReadBlock2(block.data(), 0, 0, 0), asLong(SK_E_BUSY));
  EXPECT_NE(messageText().find("The sampling is running."), std::string::npos);
  SkorradevSimClearFaults(1);
  EXPECT_EQ(readTwice(block), 0) << messageText();
}

using VendorBFailures = VendorBBoard;

TEST_F(VendorBFailures, MissingBoardIsReportedAsNotFound) {
  EXPECT_EQ(setUp(5, "SKORRA9", kChannels), asLong(0xC0000001u));
  EXPECT_NE(messageText().find("c0000001"), std::string::npos);
  EXPECT_NE(messageText().find("The specified device could not be found."), std::string::npos);
  EXPECT_EQ(vendorBHandle(), nullptr);
  // Nothing starts on a failed configuration.
  EXPECT_EQ(start(), asLong(0xC0000001u));
  EXPECT_EQ(ring().running.load(), 0);
}

// The 4597 has no exemption from the library's rule that an endless normal
// run covers at least 0x8000 samples: 4 x 1000 is refused.
TEST_F(VendorBFailures, BoardRefusingTheRecordGivesItsCode) {
  EXPECT_EQ(setUp(5, "SKORRA2", kChannels), asLong(SK_E_INVALID_CONFIG));
  EXPECT_NE(messageText().find("Sampling request conditions are invalid."), std::string::npos);
  EXPECT_EQ(start(), asLong(SK_E_INVALID_CONFIG));
}

TEST_F(VendorBFailures, RefusedStartLeavesNoRun) {
  ASSERT_EQ(setUp(5, "SKORRA1", kChannels), 0);
  ASSERT_TRUE(SkorradevSimSetFault(1, SKDF_START, FALSE, SK_E_BUSY));
  EXPECT_EQ(start(), asLong(SK_E_BUSY));
  EXPECT_NE(messageText().find("The sampling is running."), std::string::npos);
  EXPECT_EQ(ring().running.load(), 0);
}

// A board whose status cannot be read ends the block with that code
// instead of keeping the reader polling stale values.
TEST_F(VendorBFailures, FailingStatusEndsTheBlock) {
  ASSERT_EQ(setUp(6, "SKORRA1", kChannels), 0);
  ASSERT_EQ(start(), 0);
  ASSERT_TRUE(SkorradevSimSetFault(1, SKDF_STATUS, FALSE, SK_E_NOT_READY));
  std::vector<SHORT> block(kChannels * kScans);
  EXPECT_EQ(read(block, kScans), asLong(SK_E_NOT_READY));
  EXPECT_EQ(config().lastStatus.load(), asLong(SK_E_NOT_READY));
}

TEST_F(VendorBFailures, BusMasterClockBeyondTheMasterClockIsAClockFault) {
  // 32 channels at 1 MHz would need 32 MHz of scan clock.
  EXPECT_EQ(setUp(6, "SKORRA1", 32, 1000, 1), kStatusClock);
}

// The board times its own channels: a period shorter than channels x scan
// clock is no clock fault here.
TEST_F(VendorBFailures, ScanClockIsNotCheckedAgainstThePeriod) {
  EXPECT_EQ(setUp(5, "SKORRA1", 8, 1000, 80), 0) << messageText();
}

TEST_F(VendorBFailures, ReadAfterStopEndsWithNoRun) {
  ASSERT_EQ(setUp(5, "SKORRA1", kChannels), 0);
  ASSERT_EQ(start(), 0);
  LONG status = -1;
  StopSampling(&status);
  std::vector<SHORT> block(kChannels * kScans);
  LONG running = -1;
  EXPECT_EQ(read(block, kScans, &running), kStatusParameter);
  EXPECT_EQ(running, 0);
}

// Nothing but a thread takes the stop flag down, and this board runs
// without one: after a stop the status reads as stopped until the next
// start clears the flag.
TEST_F(VendorBFailures, StatusAfterStopReadsStoppedUntilTheNextStart) {
  ASSERT_EQ(setUp(5, "SKORRA1", kChannels), 0);
  ASSERT_EQ(start(), 0);
  LONG running = -1, scans = -1, status = -1;
  StopSampling(&status);
  GetSamplingStatus(&running, &scans, &status);
  EXPECT_EQ(status, kStatusStopped);
  EXPECT_EQ(running, 0);
  ASSERT_EQ(start(), 0) << messageText();
  GetSamplingStatus(&running, &scans, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(running, 1);
}

// A second configuration reopens the board without keeping the first
// handle open.
TEST_F(VendorBFailures, ReconfiguringReplacesTheHandle) {
  ASSERT_EQ(setUp(5, "SKORRA1", kChannels), 0);
  HANDLE first = vendorBHandle();
  ASSERT_EQ(setUp(5, "SKORRA1", kChannels), 0);
  EXPECT_NE(vendorBHandle(), nullptr);
  EXPECT_EQ(SkStopSampling(first), SK_E_UNKNOWN_HANDLE);
}

}  // namespace
