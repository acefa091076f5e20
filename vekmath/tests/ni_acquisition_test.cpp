// Acquisition through NI-DAQmx (its stand-in): the task as the board code
// asks for it, the thread's converted reads into the ring, and failures.
#include <chrono>

#include "acquisition/board_table.h"
#include "acquisition/sampling_config.h"
#include "ni_fixture.h"
#include "status/message.h"

using namespace vekmath;
using nitest::NiStandIn;

namespace {

TEST(NiChannelString, HoldsThirtyTwoChannelsOfALongDeviceName) {
  const std::string device(87, 'd');
  int16_t list[32];
  for (int i = 0; i < 32; ++i) list[i] = static_cast<int16_t>(i + 1);
  const std::string text = niChannelString(device.c_str(), list, 32);
  EXPECT_EQ(text.size(), 32 * (device.size() + 4) + 22 + 31);  // "/aiK" or "/aiKK", commas
  EXPECT_EQ(text.substr(text.size() - 5), "/ai31");
  const int16_t gaps[3] = {1, 0, 3};
  EXPECT_EQ(niChannelString("Dev2", gaps, 3), "Dev2/ai0,Dev2/ai2");
}

TEST_F(NiStandIn, CreatesTheTaskAsTheBoardCodeAsks) {
  struct Case {
    LONG code;
    LONG triggerChannel;
    const char* channelCall;
    const char* timingCall;
  };
  const Case cases[] = {
      {12, 0, "DAQmxCreateAIVoltageChan(Dev2/ai0,Dev2/ai2,,-1,-10,10,10348,(null))",
       "DAQmxCfgSampClkTiming(,1000,10280,10123,1000)"},
      {13, 1, "DAQmxCreateAIVoltageChan(Dev2/ai0,Dev2/ai2,,10083,-10,10,10348,(null))",
       "DAQmxCfgSampClkTiming(,1000,10280,10178,500)"},
      {18, 0, "DAQmxCreateAIVoltageChan(Dev2/ai0,Dev2/ai2,,10078,-10,10,10348,(null))",
       "DAQmxCfgSampClkTiming(,1000,10280,10123,1000)"},
  };
  const SHORT list[32] = {1, 0, 3};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    hook<nisim::ResetProc>("NisimReset")();
    EXPECT_EQ(setUp(c.code, "Dev2", 3, 500, 1000, c.triggerChannel, list), 0);
    EXPECT_TRUE(logged(c.channelCall)) << log();
    EXPECT_TRUE(logged(c.timingCall)) << log();
    EXPECT_EQ(logged("DAQmxCfgDigEdgeStartTrig(PFI0,10280)"), c.triggerChannel > 0);
    EXPECT_EQ(logged("DAQmxRegisterEveryNSamplesEvent(1,500,0,callback)"), c.triggerChannel > 0);
    EXPECT_EQ(config().samplingMode, c.triggerChannel > 0 ? 1 : 0);
    // One export per process, to the first device's terminal.
    EXPECT_EQ(logged("DAQmxExportSignal(12487,/Dev2/pfi4)"), &c == &cases[0]);
  }
}

TEST_F(NiStandIn, ReconfiguringReplacesTheTaskAndCloseClearsIt) {
  ASSERT_EQ(setUp(17, "Dev1", 2, 100, 1000, 0), 0);
  ASSERT_EQ(setUp(17, "Dev1", 2, 100, 1000, 0), 0);
  EXPECT_EQ(liveTasks(), 1);
  CloseBoard(nullptr);
  EXPECT_EQ(liveTasks(), 0);
}

// The thread converts each raw value by the code's rule into the ring.
TEST_F(NiStandIn, ContinuousRunFillsTheRingWithConvertedValues) {
  for (LONG code : {12, 15, 17, 26}) {
    SCOPED_TRACE(code);
    ASSERT_EQ(setUp(code, "Dev1", 2, 100, 1000, 0), 0);
    LONG status = -1;
    StartSampling(&status);
    ASSERT_EQ(status, 0);
    ASSERT_TRUE(nitest::eventually([] { return ring().totalScans.load() >= 300; }));
    StopSampling(&status);
    EXPECT_EQ(status, 0);
    for (uint64_t s = 0; s < 300; ++s) {
      for (int32_t k = 0; k < 2; ++k) {
        ASSERT_EQ(ring().samples[s * 2 + k], niRawToRing(code, nisim::rampValue(k, s))) << s << "/" << k;
      }
    }
  }
}

// A device that fails for good ends the thread with NI-DAQmx's text,
// instead of being read again and again.
TEST_F(NiStandIn, ReadFailureEndsTheThreadWithItsText) {
  ASSERT_EQ(setUp(17, "Dev1", 2, 100, 1000, 0), 0);
  inject("DAQmxReadBinaryU16", -200279);
  StartSampling(nullptr);
  ASSERT_TRUE(nitest::eventually([] { return ring().running.load() == 0; }));
  EXPECT_EQ(config().lastStatus.load(), -200279);
  EXPECT_NE(messageText().find("Injected failure of DAQmxReadBinaryU16."), std::string::npos);
}

TEST_F(NiStandIn, StopEndsAReadThatWaitsForData) {
  ASSERT_EQ(setUp(17, "Dev1", 2, 100, 1000, 0), 0);
  hook<nisim::StallProc>("NisimStall")(1);
  StartSampling(nullptr);
  ASSERT_TRUE(nitest::eventually([this] { return logged("DAQmxReadBinaryU16"); }));
  const auto before = std::chrono::steady_clock::now();
  StopSampling(nullptr);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
  EXPECT_EQ(ring().running.load(), 0);
  EXPECT_EQ(config().lastStatus.load(), 0);  // a time-out is no failure
}

// Data missing for the read's whole time-out end the run with its error;
// a shorter gap is waited through.
TEST_F(NiStandIn, DataMissingForTheWholeReadTimeOutEndTheRun) {
  using namespace std::chrono;
  ASSERT_EQ(setUp(17, "Dev1", 2, 100, 1000, 0), 0);
  hook<nisim::StallProc>("NisimStall")(1);
  const auto before = steady_clock::now();
  StartSampling(nullptr);
  std::this_thread::sleep_for(seconds(1));
  EXPECT_EQ(ring().running.load(), 1) << "a second without data";
  for (int i = 0; i < 150 && ring().running.load() != 0; ++i) std::this_thread::sleep_for(milliseconds(100));
  EXPECT_EQ(ring().running.load(), 0);
  EXPECT_GE(steady_clock::now() - before, seconds(10));
  EXPECT_EQ(config().lastStatus.load(), daqmx::kErrorSamplesNotYetAvailable);
}

// A failed step leaves no task to trigger or to call back: nothing more is
// asked of it, and the caller gets the code with NI-DAQmx's text.
TEST_F(NiStandIn, FailedTaskSetUpIsReportedAndGoesNoFurther) {
  for (const char* function : {"DAQmxCreateTask", "DAQmxCreateAIVoltageChan", "DAQmxCfgSampClkTiming"}) {
    SCOPED_TRACE(function);
    hook<nisim::ResetProc>("NisimReset")();
    inject(function, -200220);
    ring().length.store(2000);
    EXPECT_EQ(setUp(23, "Dev1", 2, 100, 1000, 1), -200220);
    EXPECT_EQ(ring().length.load(), kRingCapacity) << "the ring length still follows";
    EXPECT_NE(messageText().find(std::string("Injected failure of ") + function), std::string::npos);
    EXPECT_FALSE(logged("DAQmxCfgDigEdgeStartTrig"));
    EXPECT_FALSE(logged("DAQmxRegisterEveryNSamplesEvent"));
  }
  // A failed export is kept with its text, not hidden by the timing's 0.
  hook<nisim::ResetProc>("NisimReset")();
  niState().clockExported = false;
  inject("DAQmxExportSignal", -200100);
  EXPECT_EQ(setUp(23, "Dev1", 2, 100, 1000, 0), -200100);
  EXPECT_NE(messageText().find("Injected failure of DAQmxExportSignal."), std::string::npos);
}

}  // namespace
