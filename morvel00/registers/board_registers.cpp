// The command-port routines: board control, analog-input set-up, board
// memory and interrupts.
#include "port_access.h"
#include "xan_registers.h"

namespace morvel00 {

using namespace regs;

int XanExInitialize(uint16_t base) { return Put(base, kInitialise); }
int XanExStopAI(uint16_t base) { return Put(base, kStop); }

int XanExSetAIFunction(uint16_t base, uint16_t word) { return Put(base, kFunction, word); }

int XanExSetAIChannel(uint16_t base, const uint16_t* channels, uint8_t count) {
  Put(base, kChannelList);
  for (uint8_t i = 0; i < count; ++i) {
    Out8(base, kCommandData, i);
    Out8(base, kCommandData, static_cast<uint8_t>(channels[i]));
  }
  return 1;
}

int XanExSetScanClock(uint16_t base, uint32_t ns) { return Put(base, kScanClock, ns / 25 - 1); }
int XanExSetSamplingClock(uint16_t base, uint32_t us) { return Put(base, kSamplingClock, us * 40 - 1); }

namespace {
int SetTrigger(uint16_t base, CommandSpec channelPart, CommandSpec levels, uint8_t direction, uint8_t channel,
               uint16_t level1, uint16_t level2) {
  Put(base, channelPart, static_cast<uint32_t>(direction * 8 & 0xFF) | uint32_t{channel} << 8);
  return Put(base, levels, uint32_t{level1} | uint32_t{level2} << 16);
}
}  // namespace

int XanExSetTrgLevelStart(uint16_t base, uint8_t direction, uint8_t channel, uint16_t level1, uint16_t level2) {
  return SetTrigger(base, kStartTrigChannel, kStartTrigLevels, direction, channel, level1, level2);
}
int XanExSetTrgLevelStop(uint16_t base, uint8_t direction, uint8_t channel, uint16_t level1, uint16_t level2) {
  return SetTrigger(base, kStopTrigChannel, kStopTrigLevels, direction, channel, level1, level2);
}

int XanExSetSamplingNum(uint16_t base, uint32_t samples) { return Put(base, kSampleCount, samples - 1); }
int XanExSetDelayNum(uint16_t base, uint32_t count) { return Put(base, kDelayCount, count); }
int XanExSetTrgDlyNum(uint16_t base, uint32_t count) { return Put(base, kTrigDelayCount, count); }
int XanExSetStartTrgRptNum(uint16_t base, uint32_t count) { return Put(base, kRepeatCount, count); }

int XanExResetMemory(uint16_t base) { return Put(base, kMemoryReset); }
int XanExSetWriteAddress(uint16_t base, uint32_t address) { return Put(base, kWriteAddress, address); }
int XanExGetWriteAddress(uint16_t base, uint32_t* address) { return GetInto(base, kWriteAddress, address); }
int XanExSetReadAddress(uint16_t base, uint32_t address) { return Put(base, kReadAddress, address); }
int XanExGetReadAddress(uint16_t base, uint32_t* address) { return GetInto(base, kReadAddress, address); }
int XanExGetTrggerAddress(uint16_t base, uint32_t* address) { return GetInto(base, kTriggerAddress, address); }

namespace {
// Level codes by interrupt line: index = code.
constexpr uint8_t kLinesAt[8] = {0, 5, 7, 9, 10, 11, 12, 15};
constexpr uint8_t kLines98[8] = {0, 3, 5, 6, 9, 10, 12, 13};

int SetLevel(uint16_t base, const uint8_t (&lines)[8], uint8_t line) {
  for (uint8_t code = 0; code < 8; ++code) {
    if (lines[code] == line) return Put(base, kLevel, code);
  }
  return 0;
}
}  // namespace

int XanExSetIntLevelPC(uint16_t base, uint8_t line) { return SetLevel(base, kLinesAt, line); }
int XanExSetIntLevel98(uint16_t base, uint8_t line) { return SetLevel(base, kLines98, line); }
int XanExSetIntMask(uint16_t base, uint16_t mask) { return Put(base, kMask, mask); }
int XanExGetIntMask(uint16_t base, uint16_t* mask) { return GetInto(base, kMask, mask); }
int XanExGetIntRegister(uint16_t base, uint16_t* factors) { return GetInto(base, kFactors, factors); }
int XanExResetIntRegister(uint16_t base, uint16_t bits) { return Put(base, kFactorReset, bits); }

int XanExIntDisable(uint16_t base) {
  Put(base, kMask, 0xFFFF);
  Put(base, kStop);
  return 0;
}

int XanExOpenExtTrigger(uint16_t base) { return Put(base, kExtTrigOpen); }
int XanExCloseExtTrigger(uint16_t base) { return Put(base, kExtTrigClose); }
int XanExResetExtTriggerStatus(uint16_t base) { return Put(base, kExtTrigReset); }

int XanExGetBoardConfig(uint16_t base, uint8_t* config) { return GetInto(base, kConfig, config); }

}  // namespace morvel00
