// Injected faults and the request log.
#include <halviksim.h>

#include "halviksim_fixture.h"

namespace {

using namespace halvikdrv;
using halviksim::Fault;

class FaultsTest : public HalviksimTest {
 protected:
  // One call on a road: its call result (1 for a failed kernel call) and the
  // status the record holds.
  std::pair<DWORD, int32_t> call(int road, DWORD code) {
    if (road == 0) {
      std::vector<unsigned char> block(kAiBlockSize);
      const bool ok = kernel(kernel_, code, block);
      return {ok ? 0u : 1u, at<int32_t>(block, ai::kStatus)};
    }
    std::vector<unsigned char> record(code == kCmdOpen ? rec::kOpenSize : 8);
    const DWORD result = road == 10 ? command(vmIo, 10, vm_, code, record) : command(busIo, 3, bus_, code, record);
    return {result, at<int32_t>(record, 0)};
  }
};

TEST_F(FaultsTest, AFaultHitsTheCallsItWasSetForAndNoOthers) {
  struct Case {
    const char* device;
    int road;
    DWORD code;
    Fault fault;
    std::pair<DWORD, int32_t> first, second;
  };
  const Fault stopped{Fault::Kind::Status, kStatusAiAlreadyStopped, 1};
  const Fault failing{Fault::Kind::CallFails, 0, halviksim::kEveryCall};
  const Fault refused{Fault::Kind::CallFails, 10002, 1};
  const Case cases[] = {
      {"HVA1", 0, kAiStop, stopped, {0, kStatusAiAlreadyStopped}, {0, 0}},
      {"HVA1", 0, kAiStatus, failing, {1, 0}, {1, 0}},
      {"DEMO0", 10, kCmdOpen, refused, {10002, 0}, {0, 0}},
      {"DEMO0", 10, kCmdAiStop, {Fault::Kind::Status, kStatusAiAlreadyStopped, halviksim::kEveryCall},
       {0, kStatusAiAlreadyStopped}, {0, kStatusAiAlreadyStopped}},
      {"HVU00", 3, kCmdAiStatus, stopped, {0, kStatusAiAlreadyStopped}, {0, 0}},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(halviksim::SetFault(c.device, c.code, c.fault));
    EXPECT_EQ(call(c.road, c.code), c.first) << std::hex << c.code;
    EXPECT_EQ(call(c.road, c.code), c.second) << std::hex << c.code;
    ASSERT_TRUE(halviksim::ClearFaults(c.device));
    EXPECT_EQ(call(c.road, c.code), (std::pair<DWORD, int32_t>{0, 0})) << std::hex << c.code << " cleared";
  }
  EXPECT_FALSE(halviksim::SetFault("NOSUCH", kAiStop, stopped));
}

TEST_F(FaultsTest, TheBusLibraryCanFailItsDeviceInfo) {
  ASSERT_TRUE(halviksim::SetFault("HVU00", halviksim::kGetDeviceInfoCall, {Fault::Kind::CallFails, 20032, 1}));
  WORD firmware = 0;
  DWORD first = 0;
  EXPECT_EQ(busInfo(3, bus_, 4, &first, &firmware, nullptr), 20032u);
  EXPECT_EQ(busInfo(3, bus_, 4, &first, &firmware, nullptr), 0u);
}

TEST_F(FaultsTest, TheLogListsWhatEachDeviceWasSent) {
  ASSERT_TRUE(halviksim::ClearRequestLog("HVA1"));
  call(0, kAiStatus);
  call(0, kAiStop);
  call(10, kCmdAiStatus);
  std::vector<unsigned char> tooShort(8);
  kernel(kernel_, kAiStop, tooShort);
  EXPECT_EQ(halviksim::RequestLog("HVA1"), (std::vector<DWORD>{kAiStatus, kAiStop, kAiStop}));
  EXPECT_EQ(halviksim::RequestLog("demo0").back(), DWORD{kCmdAiStatus});
}

}  // namespace
