// The kernel driver stand-in through CreateFileA and DeviceIoControl.
#include <halviksim.h>

#include "halviksim_fixture.h"

namespace {

using namespace halvikdrv;

struct SettingCase {
  const char* name;
  DWORD code;
  size_t size;
  size_t getFlag;
  int key;  // offset of the key field, -1 for none
  size_t value;
  int width;
};

// clang-format off
const SettingCase kSettings[] = {
    {"control filter", kControlFilter, kDeviceBlockSize, dev::kGetFlag, dev::kSignal, dev::kFilterValue, 4},
    {"ecu", kEcuSignal, kDeviceBlockSize, dev::kGetFlag, dev::kEcuDestination, dev::kEcuSource, 2},
    {"ai buffer mode", kDeviceBufferMode, kAiBlockSize, ai::kGetFlag, -1, ai::kDeviceBufferMode, 2},
    {"ai input method", kAiInputMethod, kAiBlockSize, ai::kGetFlag, -1, ai::kInputMethod, 2},
    {"ai channels", kAiChannels, kAiBlockSize, ai::kGetFlag, -1, ai::kChannels, 2},
    {"ai range", kAiRange, kAiBlockSize, ai::kGetFlag, ai::kChannel, ai::kRange, 2},
    {"ai memory type", kAiMemoryType, kAiBlockSize, ai::kGetFlag, -1, ai::kMemoryType, 2},
    {"ai repeat times", kAiRepeatTimes, kAiBlockSize, ai::kGetFlag, -1, ai::kRepeatTimes, 4},
    {"ai clock type", kAiClockType, kAiBlockSize, ai::kGetFlag, -1, ai::kClockType, 2},
    {"ai start trigger", kAiStartTrigger, kAiBlockSize, ai::kGetFlag, -1, ai::kStartTrigger, 2},
    {"ai start level", kAiStartLevel, kAiBlockSize, ai::kGetFlag, ai::kChannel, ai::kLevel, 4},
    {"ai stop trigger", kAiStopTrigger, kAiBlockSize, ai::kGetFlag, -1, ai::kStopTrigger, 2},
    {"ai stop times", kAiStopTimes, kAiBlockSize, ai::kGetFlag, -1, ai::kStopTimes, 4},
    {"ai stop level", kAiStopLevel, kAiBlockSize, ai::kGetFlag, ai::kChannel, ai::kDirection, 2},
    {"ai stop delay", kAiStopDelayTimes, kAiBlockSize, ai::kGetFlag, -1, ai::kStopDelayTimes, 4},
    {"ai event window", kAiEvent, kAiBlockSize, ai::kGetFlag, -1, ai::kWindow, 4},
    {"ai event sampling", kAiEventSamplingTimes, kAiBlockSize, ai::kGetFlag, -1, ai::kEventSamplingTimes, 4},
    {"ai memory size", kAiMemorySize, kAiBlockSize, ai::kGetFlag, -1, ai::kMemorySizeOut, 4},
    {"ai sequence", kAiChannelSequence, kAiBlockSize, ai::kGetFlag, ai::kSequence, ai::kChannel, 2},
    {"ai callback mask", kAiCallBackEvent, kAiBlockSize, ai::kGetFlag, -1, ai::kEventMask, 4},
    {"ai transfer mode", kAiTransferMode, kAiBlockSize, ai::kGetFlag, -1, ai::kDeviceMemoryFlag, 2},
    {"ai attached data", kAiAttachedData, kAiBlockSize, ai::kGetFlag, -1, ai::kAttachedData, 4},
    {"ai start in range", kAiStartInRange, kAiBlockSize, ai::kGetFlag, ai::kChannel, ai::kStateTimes, 4},
    {"ai stop out range", kAiStopOutRange, kAiBlockSize, ai::kGetFlag, ai::kChannel, ai::kLevel2, 4},
    {"ai event transfer", kAiEventTransferTimes, kAiBlockSize, ai::kGetFlag, -1, ai::kEventTransferTimes, 4},
    {"ai adjustment", kAiAdjustment, kAiBlockSize, ai::kGetFlag, ai::kChannel, ai::kAdjustData, 2},
    {"ai default adjustment", kAiDefaultAdjustment, kAiBlockSize, ai::kGetFlag, ai::kChannel, ai::kAdjustType, 2},
    {"ai clock edge", kAiClockEdge, kAiBlockSize, ai::kGetFlag, -1, ai::kClockEdge, 2},
    {"ai channel enable", kAiChannelEnable, kAiBlockSize, ai::kGetFlag, ai::kChannel, ai::kChannelEnabled, 2},
    {"ao buffer mode", kDeviceBufferMode, kAoBlockSize, ao::kGetFlag, -1, ao::kDeviceBufferMode, 2},
    {"ao channels", kAoChannels, kAoBlockSize, ao::kGetFlag, -1, ao::kChannels, 2},
    {"ao range", kAoRange, kAoBlockSize, ao::kGetFlag, ao::kChannel, ao::kRange, 2},
    {"ao memory type", kAoMemoryType, kAoBlockSize, ao::kGetFlag, -1, ao::kMemoryType, 2},
    {"ao repeat times", kAoRepeatTimes, kAoBlockSize, ao::kGetFlag, -1, ao::kRepeatTimes, 4},
    {"ao clock type", kAoClockType, kAoBlockSize, ao::kGetFlag, -1, ao::kClockType, 2},
    {"ao clock", kAoSamplingClock, kAoBlockSize, ao::kGetFlag, -1, ao::kClockThousandths, 4},
    {"ao start trigger", kAoStartTrigger, kAoBlockSize, ao::kGetFlag, -1, ao::kStartTrigger, 2},
    {"ao stop trigger", kAoStopTrigger, kAoBlockSize, ao::kGetFlag, -1, ao::kStopTrigger, 2},
    {"ao event sampling", kAoEventSamplingTimes, kAoBlockSize, ao::kGetFlag, -1, ao::kEventSamplingTimes, 4},
    {"ao transfer mode", kAoTransferMode, kAoBlockSize, ao::kGetFlag, -1, ao::kTransferMode, 2},
    {"ao event transfer", kAoEventTransferTimes, kAoBlockSize, ao::kGetFlag, -1, ao::kTransferTimes, 4},
    {"ao clock edge", kAoClockEdge, kAoBlockSize, ao::kGetFlag, -1, ao::kClockEdge, 2},
    {"ao repeat mode", kAoRepeatMode, kAoBlockSize, ao::kGetFlag, -1, ao::kRepeatMode, 2},
    {"di filter", kDiFilter, kDioBlockSize, dio::kGetFlag, dio::kBit, dio::kFilterValue, 4},
    {"cnt comparison", kCntComparisonMode, kCntBlockSize, cnt::kGetFlag, cnt::kChannel, cnt::kComparisonMode, 4},
    {"cnt input signal", kCntInputSignal, kCntBlockSize, cnt::kGetFlag, cnt::kChannel, cnt::kInputSignal, 2},
    {"cnt filter", kCntFilter, kCntBlockSize, cnt::kGetFlag, cnt::kChannel, cnt::kFilterValue, 4},
};
// clang-format on

class KernelRoadTest : public HalviksimTest {
 protected:
  // Sends one setting or its read-back; the value the block holds after it.
  int32_t exchange(const SettingCase& c, int16_t getFlag, int16_t key, int32_t value) {
    std::vector<unsigned char> block(c.size);
    put<int16_t>(block, c.getFlag, getFlag);
    if (c.key >= 0) put<int16_t>(block, static_cast<size_t>(c.key), key);
    if (c.width == 2) put<int16_t>(block, c.value, static_cast<int16_t>(value));
    if (c.width == 4) put<int32_t>(block, c.value, value);
    EXPECT_TRUE(kernel(kernel_, c.code, block)) << c.name;
    return c.width == 2 ? at<int16_t>(block, c.value) : at<int32_t>(block, c.value);
  }
};

TEST_F(KernelRoadTest, EverySettingReadsBackWhatWasSetAndNothingElse) {
  int32_t value = 100;
  for (const SettingCase& c : kSettings) exchange(c, 0, 1, value++);
  value = 100;
  for (const SettingCase& c : kSettings) {
    EXPECT_EQ(exchange(c, 1, 1, 0), value++) << c.name;
    if (c.key >= 0) {
      EXPECT_EQ(exchange(c, 1, 0, 0), 0) << c.name << ": another key";
    }
  }
}

TEST_F(KernelRoadTest, ABlockOfTheWrongSizeFailsTheCall) {
  for (const SettingCase& c : kSettings) {
    std::vector<unsigned char> block(c.size - 4);
    EXPECT_FALSE(kernel(kernel_, c.code, block)) << c.name;
  }
  std::vector<unsigned char> unknown(kDeviceBlockSize);
  EXPECT_FALSE(kernel(kernel_, kernelCode(0x7FF), unknown));
}

TEST_F(KernelRoadTest, AskingForUnitsTheModelLacksGivesTheirCodes) {
  HANDLE small = CreateFileA("\\\\.\\hva2", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(small, INVALID_HANDLE_VALUE);
  struct Case {
    HANDLE h;
    DWORD code;
    size_t size, key;
    int16_t unit;
    int32_t status;
  };
  const Case cases[] = {
      {kernel_, kCntStatus, kCntBlockSize, cnt::kChannel, 1, 0},
      {kernel_, kCntStop, kCntBlockSize, cnt::kChannel, 2, kStatusNoSuchCounter},
      {small, kCntStatus, kCntBlockSize, cnt::kChannel, 0, kStatusNoSuchCounter},
      {kernel_, kTmStatus, kTmBlockSize, halvikdrv::tm::kTimerId, 1, 0},
      {small, kTmStopCount, kTmBlockSize, halvikdrv::tm::kTimerId, 1, kStatusNoSuchTimer},
      {small, kTmStop, kTmBlockSize, halvikdrv::tm::kTimerId, 0, 0},
  };
  for (const Case& c : cases) {
    std::vector<unsigned char> block(c.size);
    put<int16_t>(block, c.key, c.unit);
    ASSERT_TRUE(kernel(c.h, c.code, block));
    EXPECT_EQ(at<int32_t>(block, 0), c.status) << std::hex << c.code << " unit " << c.unit;
  }
  CloseHandle(small);
}

TEST_F(KernelRoadTest, ReportsWhatTheDeviceIsAndStopsWhatRuns) {
  ASSERT_TRUE(halviksim::SetRevision("hva1", "2.31"));
  std::vector<unsigned char> device(kDeviceBlockSize);
  ASSERT_TRUE(kernel(kernel_, kRevision, device));
  EXPECT_STREQ(reinterpret_cast<const char*>(device.data() + dev::kRevision), "2.31");

  std::vector<unsigned char> input(kAiBlockSize);
  ASSERT_TRUE(kernel(kernel_, kAiMinClock, input));
  EXPECT_EQ(at<int32_t>(input, ai::kMinClockWhole), 10);

  ASSERT_TRUE(halviksim::SetCounterChannels("HVA1", 5));
  std::vector<unsigned char> counter(kCntBlockSize);
  ASSERT_TRUE(kernel(kernel_, kCntMaxChannels, counter));
  EXPECT_EQ(at<int16_t>(counter, cnt::kMaxChannels), 5);

  ASSERT_TRUE(halviksim::SetStatusBits("HVA1", halviksim::Function::Ao, 0, 1));
  std::vector<unsigned char> output(kAoBlockSize);
  ASSERT_TRUE(kernel(kernel_, kAoStatus, output));
  EXPECT_EQ(at<int32_t>(output, ao::kStatusBits), 1);
  ASSERT_TRUE(kernel(kernel_, kAoStop, output));
  ASSERT_TRUE(kernel(kernel_, kAoStatus, output));
  EXPECT_EQ(at<int32_t>(output, ao::kStatusBits), 0);
  EXPECT_EQ(at<int32_t>(output, ao::kStatus), 0);
}

}  // namespace
