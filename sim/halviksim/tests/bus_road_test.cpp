// The two sibling libraries through their entries, bound by LoadLibraryA and
// GetProcAddress as the library binds them.
#include <halviksim.h>

#include "halviksim_fixture.h"

namespace {

using namespace halvikdrv;
using namespace halvikdrv::rec;

struct CommandCase {
  const char* name;
  WORD command;
  size_t size;
  size_t getFlag;
  int getWidth;
  int key;  // -1: none
  size_t value;
  int width;
  int roads;  // kVm, kBus or both
};

constexpr int kVm = 1;
constexpr int kBus = 2;
constexpr int kBoth = kVm | kBus;

// clang-format off
const CommandCase kCommands[] = {
    {"ecu", kCmdEcuSignal, kEcuSize, kEcuGetFlag, 2, kEcuDestination, kEcuSource, 2, kVm},
    {"control filter", kCmdControlFilter, kFilterSize, kFilterGetFlag, 2, kFilterSignal, kFilterValue, 4, kVm},
    {"ai sleep mode", kCmdAiSleepMode, 8, kShortGetFlag, 2, -1, kShortValue, 2, kVm},
    {"ai sleep time", kCmdAiSleepTime, 12, kTimeGetFlag, 4, -1, kTimeValue, 4, kVm},
    {"ai channels", kCmdAiChannels, kAiFormASize, kAiFormAGetFlag, 2, -1, kAiFormAValue, 2, kBoth},
    {"ai memory type", kCmdAiMemoryType, kAiFormASize, kAiFormAGetFlag, 2, -1, kAiFormAValue, 2, kBoth},
    {"ai stop trigger", kCmdAiStopTrigger, kAiFormASize, kAiFormAGetFlag, 2, -1, kAiFormAValue, 2, kBoth},
    {"ai clock edge", kCmdAiClockEdge, kAiFormASize, kAiFormAGetFlag, 2, -1, kAiFormAValue, 2, kVm},
    {"ai stop times", kCmdAiStopTimes, kAiFormCSize, kAiFormCGetFlag, 2, -1, kAiFormCValue, 4, kBoth},
    {"ai event mask", kCmdAiEvent, kAiFormCSize, kAiFormCGetFlag, 2, -1, kAiFormCValue, 4, kBoth},
    {"ai sequence", kCmdAiChannelSequence, kAiFormDSize, kAiFormDGetFlag, 2, kAiFormDKey, kAiFormDValue, 2, kBoth},
    {"ai range", kCmdAiRange, kAiFormDSize, kAiFormDGetFlag, 2, kAiFormDKey, kAiFormDValue, 2, kBoth},
    {"ai memory size", kCmdAiMemorySize, kAiFormESize, kAiFormEGetFlag, 2, -1, kAiFormEValue, 4, kBoth},
    {"ai clock", kCmdAiSamplingClock, kAiFormFSizeBus, kAiFormFGetFlagBus, 2, -1, kAiFormFClock, 4, kBus},
    {"ai start level", kCmdAiStartLevel, kAiFormGSize, kAiFormGGetFlag, 2, kAiFormGChannel, kAiFormGLevel, 4, kBoth},
    {"ai stop in range", kCmdAiStopInRange, kAiFormHSize, kAiFormHGetFlag, 2, kAiFormHChannel, kAiFormHLevel2, 4, kVm},
    {"ai adjustment", kCmdAiAdjustment, kAiFormISize, kAiFormIGetFlag, 2, kAiFormIChannel, kAiFormIData, 2, kVm},
    {"ai input method", kCmdAiInputMethod, kAiFormJSize, kAiFormJGetFlag, 2, -1, kAiFormJValue, 2, kBoth},
    {"ao channels", kCmdAoChannels, 8, kShortGetFlag, 2, -1, kShortValue, 2, kBoth},
    {"ao range", kCmdAoRange, 12, kShortGetFlag, 2, kAoRangeChannel, kAoRangeValue, 2, kBoth},
    {"ao memory type", kCmdAoMemoryType, 8, kShortGetFlag, 2, -1, kShortValue, 2, kBoth},
    {"ao repeat times", kCmdAoRepeatTimes, 12, kCountGetFlag, 2, -1, kValue, 4, kBoth},
    {"ao clock type", kCmdAoClockType, 8, kShortGetFlag, 2, -1, kShortValue, 2, kBoth},
    {"ao clock", kCmdAoSamplingClock, kAoClockSizeVm, kAoClockGetFlagVm, 2, -1, kAoClockWhole, 4, kVm},
    {"ao start trigger", kCmdAoStartTrigger, 8, kShortGetFlag, 2, -1, kShortValue, 2, kBoth},
    {"ao stop trigger", kCmdAoStopTrigger, 8, kShortGetFlag, 2, -1, kShortValue, 2, kBoth},
    {"ao event sampling", kCmdAoEventSamplingTimes, 12, kCountGetFlag, 2, -1, kValue, 4, kBoth},
    {"ao sleep mode", kCmdAoSleepMode, 8, kShortGetFlag, 2, -1, kShortValue, 2, kVm},
    {"ao sleep time", kCmdAoSleepTime, 12, kTimeGetFlag, 4, -1, kTimeValue, 4, kVm},
    {"ao clock edge", kCmdAoClockEdge, 8, kShortGetFlag, 2, -1, kShortValue, 2, kVm},
    {"ao repeat mode", kCmdAoRepeatMode, 12, kRepeatModeGetFlag, 2, -1, kRepeatModeValue, 2, kVm},
    {"di filter", kCmdDiFilter, kDiFilterSize, kDiFilterGetFlag, 2, kDiFilterBit, kDiFilterValue, 4, kVm},
    {"cnt comparison", kCmdCntComparisonMode, 16, kCntModeGetFlag, 2, kCntChannel, kCntModeValue, 4, kVm},
    {"cnt preset", kCmdCntPresetReg, kCntPresetSize, kCntPresetGetFlag, 2, kCntChannel, kCntPresetNumber, 4, kVm},
    {"cnt input signal", kCmdCntInputSignal, 12, kCntSignalGetFlag, 2, kCntChannel, kCntSignal, 2, kVm},
    {"cnt filter", kCmdCntFilter, 16, kCntFilterGetFlag, 2, kCntChannel, kCntFilterValue, 4, kVm},
    {"bus ao clock", kCmdAoSamplingClock, kAoClockSizeBus, kAoClockGetFlagBus, 2, -1, kValue, 4, kBus},
};
// clang-format on

class BusRoadTest : public HalviksimTest {
 protected:
  // One setting or its read-back on a library; the value the record holds
  // after it.
  int32_t exchange(BusIoControlProc io, DWORD kind, HANDLE h, const CommandCase& c, int16_t getFlag, int16_t key,
                   int32_t value) {
    std::vector<unsigned char> record(c.size);
    if (c.getWidth == 2) put<int16_t>(record, c.getFlag, getFlag);
    if (c.getWidth == 4) put<int32_t>(record, c.getFlag, getFlag);
    if (c.key >= 0) put<int16_t>(record, static_cast<size_t>(c.key), key);
    if (c.width == 2) put<int16_t>(record, c.value, static_cast<int16_t>(value));
    if (c.width == 4) put<int32_t>(record, c.value, value);
    EXPECT_EQ(command(io, kind, h, c.command, record), 0u) << c.name;
    EXPECT_EQ(at<int32_t>(record, 0), 0) << c.name;
    return c.width == 2 ? at<int16_t>(record, c.value) : at<int32_t>(record, c.value);
  }
};

TEST_F(BusRoadTest, EverySettingReadsBackWhatWasSetOnItsLibrary) {
  struct Road {
    BusIoControlProc io;
    DWORD kind;
    HANDLE h;
    int mask;
  };
  for (const Road& road : {Road{vmIo, 10, vm_, kVm}, Road{busIo, 3, bus_, kBus}}) {
    int32_t value = 200;
    for (const CommandCase& c : kCommands) {
      if (c.roads & road.mask) exchange(road.io, road.kind, road.h, c, 0, 1, value);
      ++value;
    }
    value = 200;
    for (const CommandCase& c : kCommands) {
      if (c.roads & road.mask) {
        EXPECT_EQ(exchange(road.io, road.kind, road.h, c, 1, 1, 0), value) << c.name << " on " << road.kind;
      }
      ++value;
    }
  }
}

TEST_F(BusRoadTest, RefusesUnknownHandlesRecordsOfTheWrongSizeAndCommandsItLacks) {
  std::vector<unsigned char> record(8);
  EXPECT_EQ(command(vmIo, 10, reinterpret_cast<HANDLE>(0x1234), kCmdAiStatus, record), DWORD(kStatusInvalidHandle));
  EXPECT_EQ(command(busIo, 3, vm_, kCmdAiStatus, record), DWORD(kStatusInvalidHandle)) << "a handle of the other library";
  EXPECT_EQ(vmClose(10, reinterpret_cast<HANDLE>(0x1234)), DWORD(kStatusInvalidHandle));
  WORD firmware = 0;
  DWORD first = 0;
  EXPECT_EQ(busInfo(3, reinterpret_cast<HANDLE>(0x1234), 4, &first, &firmware, nullptr), DWORD(kStatusInvalidHandle));

  std::vector<unsigned char> shortRecord(6);
  EXPECT_NE(command(vmIo, 10, vm_, kCmdAiStatus, shortRecord), 0u);

  std::vector<unsigned char> filter(kFilterSize);
  ASSERT_EQ(command(busIo, 3, bus_, kCmdControlFilter, filter), 0u);
  EXPECT_EQ(at<int32_t>(filter, 0), kStatusNotSupported);
  EXPECT_EQ(vmOpen(10, "NOSUCH", "0"), INVALID_HANDLE_VALUE);
}

TEST_F(BusRoadTest, ReportsTheDeviceItServes) {
  ASSERT_TRUE(halviksim::SetFirmwareVersion("HVU02", 109));
  HANDLE second = busOpenEx(3, "kb0", 0, 2);
  ASSERT_NE(second, INVALID_HANDLE_VALUE);
  EXPECT_LT(reinterpret_cast<uintptr_t>(second), uintptr_t{1} << 31);
  WORD firmware = 0;
  DWORD first = 0;
  ASSERT_EQ(busInfo(3, bus_, 4, &first, &firmware, nullptr), 0u);
  EXPECT_EQ(firmware, 110);
  ASSERT_EQ(busInfo(3, second, 4, &first, &firmware, nullptr), 0u);
  EXPECT_EQ(firmware, 109);
  EXPECT_EQ(first, 2u);
  EXPECT_EQ(busClose(3, second), 0u);

  std::vector<unsigned char> revision(kRevisionSize);
  ASSERT_EQ(command(vmIo, 10, vm_, kCmdRevision, revision), 0u);
  EXPECT_STREQ(reinterpret_cast<const char*>(revision.data() + kRevisionText), "1.00");
  std::vector<unsigned char> clock(kMinClockSizeBus);
  ASSERT_EQ(command(busIo, 3, bus_, kCmdAoMinClock, clock), 0u);
  EXPECT_EQ(at<int32_t>(clock, kValue), 50);
  std::vector<unsigned char> channels(8);
  ASSERT_EQ(command(vmIo, 10, vm_, kCmdCntMaxChannels, channels), 0u);
  EXPECT_EQ(at<int16_t>(channels, kValue), 2);
  std::vector<unsigned char> timer(kTmStatusSize);
  put<int16_t>(timer, kTmTimer, 2);
  ASSERT_EQ(command(vmIo, 10, vm_, kCmdTmStatus, timer), 0u);
  EXPECT_EQ(at<int32_t>(timer, 0), kStatusNoSuchTimer);
}

}  // namespace
