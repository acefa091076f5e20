// A WDM run through a recording Halvik: the thread's passes into the ring
// and out through ReadBlock, the device ending a run itself, and the
// device lists.
#include <gtest/gtest.h>
#include <skorradev.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "status/message.h"
#include "support/halvik_double.h"
#include "support/vendor_b_board.h"
#include "vekmath.h"

using namespace vekmath;
using namespace wdmtest;

namespace {

constexpr LONG kChannels = 3;

class WdmRun : public ::testing::Test {
 protected:
  void TearDown() override {
    StopSampling(nullptr);
    CloseBoard(nullptr);
  }

  // 1,000 scans a second: a chunk of 100 scans.
  void start() {
    SelectBoard(10, 0, "XAN001");
    const SHORT list[32] = {1, 2, 3};
    LONG status = -1;
    SetupSampling(kChannels, list, 100, 10, 1000, 0, 0, 0, 0, &status);
    ASSERT_EQ(status, 0) << messageText();
    StartSampling(&status);
    ASSERT_EQ(status, 0) << messageText();
  }

  bool has(const std::string& call) const {
    const std::vector<std::string> calls = halvik_.calls();
    return std::find(calls.begin(), calls.end(), call) != calls.end();
  }

  HalvikDouble halvik_;
};

// Counts are scans of three values each; a fetch that writes back fewer
// scans than asked delivers just those.
TEST_F(WdmRun, PassesDeliverTheDevicesCountsAsValues) {
  for (LONG deliverAtMost : {1 << 30, 30}) {
    SCOPED_TRACE(deliverAtMost);
    halvik_.script().deliverAtMost = deliverAtMost;
    start();
    std::vector<SHORT> block(kChannels * 250);
    LONG running = 0, status = -1;
    ASSERT_EQ(ReadBlock(block.data(), 250, &running, &status), 0) << messageText();
    EXPECT_EQ(running, 1);
    for (int32_t s = 0; s < 250; ++s) {
      for (int32_t ch = 0; ch < kChannels; ++ch) {
        ASSERT_EQ(block[s * kChannels + ch], static_cast<SHORT>((rawCount(s, ch) & 0xFFFF) - 32768)) << s << "/" << ch;
      }
    }
    EXPECT_EQ(StopSampling(&status), 0);
    EXPECT_TRUE(has("XanStartAi(1)"));
    EXPECT_EQ(halvik_.calls().back(), "XanStopAi(1)");
    CloseBoard(&status);
    EXPECT_EQ(halvik_.calls().back(), "XanExit(1)");
  }
}

TEST_F(WdmRun, DeviceStatusEndsTheThreadWithItsText) {
  // "ステータスコード = "
  const std::string statusLine = "\x83\x58\x83\x65\x81\x5b\x83\x5e\x83\x58\x83\x52\x81\x5b\x83\x68\x20\x3d\x20";
  const std::pair<LONG, const char*> faults[] = {{0x10000, "10000"}, {0x20000, "20000"}, {0x40000, "40000"}};
  for (auto [fault, hex] : faults) {
    SCOPED_TRACE(hex);
    halvik_.script().faultAfterQueries = 3;
    halvik_.script().faultStatus = fault;
    start();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ring().running.load() != 0 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(ring().running.load(), 0);
    EXPECT_EQ(messageText().substr(0, statusLine.size() + 6), statusLine + hex + "\n");
    EXPECT_EQ(halvik_.calls().back(), "XanStopAi(1)");
    // No call failed: the run can start again.
    EXPECT_EQ(config().lastStatus.load(), 0);
    StopSampling(nullptr);
    CloseBoard(nullptr);
  }
}

// Halvik's devices come first; one that does not open is left out, and
// every one opened is closed again.
class WdmDeviceList : public vendorbtest::VendorBBoard {
 protected:
  void SetUp() override {
    VendorBBoard::SetUp();
    SkorradevSimReset();
  }
  HalvikDouble halvik_;
};

TEST_F(WdmDeviceList, NamesTheDevicesThatOpen) {
  halvik_.script().devices = {{"XAN001", "AIO-1", true}, {"XAN002", "AIO-2", false}, {"XAN003", "AIO-3", true}};
  char names[VEKMATH_DEVICE_LIST_BYTES] = {}, models[VEKMATH_DEVICE_LIST_BYTES] = {};
  SelectBoardNAME(names, models);
  EXPECT_STREQ(names, "XAN001,XAN003,SKORRA1,SKORRA2");
  EXPECT_STREQ(models, "AIO-1,AIO-3,MWU-459158,MWU-459793");
  const std::vector<std::string> calls = halvik_.calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "XanExit(1)"), 1);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "XanExit(3)"), 1);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "XanQueryDeviceName(15)"), 1);
}

}  // namespace
