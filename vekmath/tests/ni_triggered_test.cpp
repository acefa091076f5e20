// Triggered blocks through NI-DAQmx (its stand-in): the every-N-samples
// callback hands the block over, the reader converts it by the code's rule
// into the event window, and its wait ends on the trigger, a stop or a
// close.
#include <atomic>
#include <thread>
#include <vector>

#include "acquisition/board_table.h"
#include "ni_fixture.h"

using namespace vekmath;
using nitest::NiStandIn;

namespace {

constexpr uint16_t kUntouched = 0xBEEF;

struct Window {
  std::vector<uint16_t> values;
  TriggeredBlock block;
  Window(int32_t channels, int32_t scans) : values(static_cast<std::size_t>(scans + 1) * channels, kUntouched) {
    block.window = values.data();
    block.channels = channels;
    block.scans = scans;
  }
};

// Every NI code, not only the 12-bit and 14-bit ones, is converted.
TEST_F(NiStandIn, TriggeredBlockIsConvertedByTheCodesRule) {
  for (LONG code : {12, 13, 15, 17, 27}) {
    SCOPED_TRACE(code);
    ASSERT_EQ(setUp(code, "Dev1", 2, 50, 1000, 1), 0);
    StartSampling(nullptr);
    EXPECT_EQ(ring().running.load(), 0);  // no thread: the reader acquires
    Window w(2, 50);
    ASSERT_TRUE(niDaqmxBackEnd().readsTriggeredBlocks());
    ASSERT_EQ(niDaqmxBackEnd().readTriggeredBlock(w.block), 0);
    ASSERT_EQ(w.block.filled, 50);
    for (uint64_t s = 0; s < 50; ++s) {
      for (int32_t k = 0; k < 2; ++k) ASSERT_EQ(w.values[s * 2 + k], niRawToRing(code, nisim::rampValue(k, s)));
    }
    // A second block is a second triggered acquisition.
    ASSERT_EQ(niDaqmxBackEnd().readTriggeredBlock(w.block), 0);
    EXPECT_EQ(w.block.filled, 50);
    StopSampling(nullptr);
  }
}

TEST_F(NiStandIn, TriggeredBlockNeverPassesTheCallersScans) {
  ASSERT_EQ(setUp(17, "Dev1", 2, 100, 1000, 1), 0);
  StartSampling(nullptr);
  Window w(2, 40);
  ASSERT_EQ(niDaqmxBackEnd().readTriggeredBlock(w.block), 0);
  EXPECT_EQ(w.block.filled, 40);
  EXPECT_EQ(w.values[80], kUntouched);
}

// The reader waits for the trigger; a stop or a close ends the wait.
TEST_F(NiStandIn, TriggeredWaitEndsOnTriggerStopOrClose) {
  hook<nisim::SetModeProc>("NisimSetMode")("NISIM_TRIGGER", "hook");
  enum class End { Trigger, Stop, Close };
  for (End end : {End::Trigger, End::Stop, End::Close}) {
    SCOPED_TRACE(static_cast<int>(end));
    ASSERT_EQ(setUp(17, "Dev1", 2, 20, 1000, 1), 0);
    StartSampling(nullptr);
    Window w(2, 20);
    int32_t result = -1;
    std::atomic<bool> ended{false};
    std::thread reader([&] {
      result = niDaqmxBackEnd().readTriggeredBlock(w.block);
      ended.store(true);
    });
    ASSERT_TRUE(nitest::eventually([this] { return logged("DAQmxStartTask"); }));
    // The start is logged before the task is armed, and a trigger before
    // it is lost, as on a board: fired until the reader has its block.
    if (end == End::Trigger && !nitest::eventually([&] {
          hook<nisim::FireTriggerProc>("NisimFireTrigger")();
          return ended.load();
        })) {
      ADD_FAILURE() << "no trigger reached the armed task";
      ring().stopRequested.store(1);  // lets the reader go
    }
    if (end == End::Stop) ring().stopRequested.store(1);
    if (end == End::Close) CloseBoard(nullptr);
    reader.join();
    EXPECT_EQ(w.block.filled, end == End::Trigger ? 20 : 0);
    // A close from another thread raises the stop flag before it clears the
    // task, so the reader may end on either, or find the task gone when it
    // starts it; only the others are certain.
    if (end != End::Close) {
      EXPECT_EQ(result, 0);
      EXPECT_TRUE(w.block.writeOutputs);
    } else {
      EXPECT_TRUE(result == 0 || result == nisim::kErrInvalidTask) << result;
      EXPECT_EQ(niState().analog.load(), nullptr);
    }
    StopSampling(nullptr);
    hook<nisim::ResetProc>("NisimReset")();
    hook<nisim::SetModeProc>("NisimSetMode")("NISIM_TRIGGER", "hook");
  }
}

TEST_F(NiStandIn, TriggeredStartFailureGivesItsCodeAndText) {
  ASSERT_EQ(setUp(17, "Dev1", 2, 20, 1000, 1), 0);
  StartSampling(nullptr);
  inject("DAQmxStartTask", -200010);
  Window w(2, 20);
  EXPECT_EQ(niDaqmxBackEnd().readTriggeredBlock(w.block), -200010);
  EXPECT_EQ(w.block.filled, 0);
}

}  // namespace
