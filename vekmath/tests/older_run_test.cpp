// An older board's run through a recording library: chunks read out of the
// board memory in order, every way a pass's wait ends, and a run on the
// acquisition thread from start to close.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/backend.h"
#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "backends/older_vendor_a/older_backend.h"
#include "backends/older_vendor_a/status_texts.h"
#include "status/message.h"
#include "support/morvel_double.h"
#include "vekmath.h"

using namespace vekmath;
using namespace oldertest;

namespace {

constexpr int32_t kChannels = 3;
constexpr int32_t kChunk = 100;  // scans, at 1,000 scans a second
const std::string kHandle = std::to_string(handleOf({2, 1}));

void setUp() {
  SelectBoard(0, 1, "2");
  const SHORT list[32] = {1, 2, 3};
  LONG status = -1;
  SetupSampling(kChannels, list, 100, 10, 1000, 0, 0, 0, 0, &status);
  ASSERT_EQ(status, 0) << messageText();
  // As StartSampling leaves it for the thread: a close leaves it set.
  ring().stopRequested.store(0);
}

void tearDown() {
  StopSampling(nullptr);
  CloseBoard(nullptr);
}

int32_t fetch(uint16_t* dest, int32_t& scans) {
  scans = -1;
  return olderVendorABackEnd().fetch(dest, kChannels, 1000, scans);
}

TEST(OlderRun, ChunksComeOutOfBoardMemoryInOrder) {
  MorvelDouble morvel;
  setUp();
  std::vector<uint16_t> values(3 * kChunk * kChannels);
  for (int pass = 0; pass < 3; ++pass) {
    int32_t scans = 0;
    ASSERT_EQ(fetch(values.data() + pass * kChunk * kChannels, scans), 0) << messageText();
    EXPECT_EQ(scans, kChunk);
  }
  for (std::size_t i = 0; i < values.size(); ++i) ASSERT_EQ(values[i], sampleOf(static_cast<int64_t>(i))) << i;
  ASSERT_EQ(morvel.starts().size(), 1u);  // the board runs on: started once
  EXPECT_EQ(morvel.starts()[0].mode, 4);
  EXPECT_EQ(morvel.starts()[0].channels, (std::vector<uint16_t>{0, 1, 2}));
  for (const XanReadBufParams& r : morvel.reads()) {
    EXPECT_EQ(r.firstPosition, 0);
    EXPECT_EQ(r.scans, kChunk);
  }
  tearDown();
}

// A wait that the board can no longer end (stop asked for, board failed,
// status request failing) leaves at once; before, it polled for ever and
// StopSampling's join hung with it.
TEST(OlderRun, EveryWayAWaitEnds) {
  struct Case {
    const char* name;
    std::function<void(Script&)> arrange;
    int32_t result;
  };
  auto boardEndsIn = [](uint16_t state) {
    return [state](Script& s) {
      s.faultAfterQueries = 3;
      s.faultState = state;
    };
  };
  const Case cases[] = {
      {"stop asked for",
       [](Script& s) {
         s.nsPerQuery = 0;
         ring().stopRequested.store(1);
       },
       0},
      {"board finished", boardEndsIn(0), 0},
      {"status -1", boardEndsIn(0xFFFF), kOlderBoardError},
      {"memory full", boardEndsIn(16), kOlderBoardError},
      {"board error", boardEndsIn(17), kOlderBoardError},
      {"board closed", boardEndsIn(255), kOlderBoardError},
      {"status request fails",
       [](Script& s) {
         s.failing = "XanSts";
         s.failCode = 800;
         s.failFromCall = 4;
       },
       800},
      {"read fails",
       [](Script& s) {
         s.failing = "XanReadBuf";
         s.failCode = 786;
       },
       786},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MorvelDouble morvel;
    setUp();
    c.arrange(morvel.script());
    std::string expected;
    if (c.result != 0) {
      setOlderVendorAStatusText(c.result);
      expected = messageText();
    }
    std::vector<uint16_t> values(kChunk * kChannels);
    int32_t scans = 0;
    EXPECT_EQ(fetch(values.data(), scans), c.result);
    EXPECT_EQ(scans, 0);
    EXPECT_LT(morvel.statusQueries(), kHangGuard);
    if (c.result != 0) {
      EXPECT_EQ(messageText(), expected);
      EXPECT_EQ(morvel.calls().back(), "XanStop(" + kHandle + ")");
    }
    if (std::string(c.name) == "board finished") {
      // The next pass starts the board memory again.
      morvel.script().faultAfterQueries = -1;
      EXPECT_EQ(fetch(values.data(), scans), 0);
      EXPECT_EQ(scans, kChunk);
      EXPECT_EQ(morvel.starts().size(), 2u);
    }
    tearDown();
  }
}

TEST(OlderRun, ThreadFillsTheRingUntilStoppedThenTheBoardCloses) {
  MorvelDouble morvel;
  setUp();
  LONG status = -1;
  StartSampling(&status);
  ASSERT_EQ(status, 0) << messageText();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (ring().totalScans.load() < 3 * kChunk && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(StopSampling(&status), 0) << messageText();
  ASSERT_GE(ring().totalScans.load(), 3 * kChunk);
  for (int64_t i = 0; i < 3 * kChunk * kChannels; ++i) ASSERT_EQ(ring().samples[i], sampleOf(i)) << i;
  CloseBoard(&status);
  EXPECT_EQ(status, 0);
  const std::vector<std::string> calls = morvel.calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2], "XanStop(" + kHandle + ")");
  EXPECT_EQ(calls.back(), "XanClose(" + kHandle + ")");
  EXPECT_EQ(morvel.starts().size(), 1u);
  EXPECT_EQ(morvel.openBoards(), 0);
}

}  // namespace
