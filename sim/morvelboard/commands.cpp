// The command port (+6) and the data port (+7).
#include <cstdio>

#include "board_state.h"

namespace morvelboard {

namespace {

struct Shape {
  uint8_t write = 0;    // data bytes written
  uint8_t read = 0;     // answer bytes read
  bool single = false;  // one-byte register: every access reaches it, no index
  bool known = true;
};

Shape shapeOf(int code) {
  switch (code) {
    case kCmdFunction:
    case kCmdGain:
    case kCmdScanClock:
    case kCmdStartTrigChannel:
    case kCmdStopTrigChannel:
    case kCmdFactorReset:
      return {2, 0};
    case kCmdChannelList:
      return {0xFF, 0};
    case kCmdSamplingClock:
    case kCmdStartTrigLevels:
    case kCmdStopTrigLevels:
      return {4, 0};
    case kCmdSampleCount:
    case kCmdDelayCount:
    case kCmdTrigDelayCount:
    case kCmdRepeatCount:
      return {3, 0};
    case kCmdWriteAddress:
    case kCmdReadAddress:
      return {3, 3};
    case kCmdTriggerAddress:
      return {0, 3};
    case kCmdMask:
      return {2, 2};
    case kCmdFactors:
      return {0, 2};
    case kCmdLevel:
      return {1, 0, true};
    case kCmdConfig:
      return {0, 1, true};
    case kCmdOutputControl:
      return {1, 1, true};
    case kCmdMemoryReset:
    case kCmdInitialise:
    case kCmdStop:
    case kCmdGateOpen:
    case kCmdGateClose:
    case kCmdCounterFlagReset:
    case kCmdExtTrigOpen:
    case kCmdExtTrigClose:
    case kCmdExtTrigReset:
      return {};
    default:
      return {0, 0, false, false};
  }
}

std::string describe(int code) {
  char text[32];
  std::snprintf(text, sizeof text, "command %d", code);
  return text;
}

}  // namespace

void MorvelBoard::State::initialise() {
  acquisition.Halt();
  regs.mask = kMaskAll;
  regs.factors = 0;
  regs.level = 0;
  timer.SetGate(false);
  regs.gateOpen = false;
  regs.extTrigOpen = false;
  regs.flags = 0;
  regs.functionWord = 0;
}

uint32_t MorvelBoard::State::latchWriteAddress() {
  const std::vector<uint32_t>& script = faults.writeAddressScript;
  if (scriptPosition >= script.size()) return regs.writeAddress;
  const uint32_t value = script[scriptPosition++];
  if (scriptPosition == script.size()) {
    if (faults.scriptRepeats) {
      scriptPosition = 0;
    } else {
      faults.writeAddressScript.clear();
      scriptPosition = 0;
    }
  }
  return value;
}

void MorvelBoard::State::writeCommand(uint8_t code) {
  command = code;
  dataIndex = 0;
  dataValue = 0;
  switch (code) {
    case kCmdMemoryReset:
      regs.writeAddress = regs.readAddress = regs.triggerAddress = 0;
      regs.full = false;
      regs.statusLatched = 0;
      break;
    case kCmdInitialise:
      initialise();
      break;
    case kCmdStop:
      acquisition.Stop(now);
      break;
    case kCmdGateOpen:
    case kCmdGateClose:
      regs.gateOpen = code == kCmdGateOpen;
      timer.SetGate(regs.gateOpen);
      break;
    case kCmdCounterFlagReset:
      regs.flags &= static_cast<uint8_t>(~(kCounterFlag | kCounterOverflow));
      break;
    case kCmdExtTrigOpen:
    case kCmdExtTrigClose:
      regs.extTrigOpen = code == kCmdExtTrigOpen;
      break;
    case kCmdExtTrigReset:
      regs.flags &= static_cast<uint8_t>(~(kExtTrigSeen | kExtTrigOverflow));
      break;
    case kCmdWriteAddress:
      answer = latchWriteAddress();
      break;
    case kCmdReadAddress:
      answer = regs.readAddress;
      break;
    case kCmdTriggerAddress:
      answer = regs.triggerAddress;
      break;
    case kCmdMask:
      answer = regs.mask;
      break;
    case kCmdFactors:
      answer = regs.factors;
      break;
    default:
      if (!shapeOf(code).known) diagnose("unknown " + describe(code));
  }
}

void MorvelBoard::State::applyWrite(uint8_t code, uint32_t v) {
  const auto trig = [&](Registers::Trigger& t, bool channelPart) {
    if (channelPart) {
      t.direction = static_cast<uint8_t>((v & 0xFF) >> 3);
      t.channel = static_cast<uint8_t>(v >> 8);
    } else {
      t.level1 = static_cast<uint16_t>(v);
      t.level2 = static_cast<uint16_t>(v >> 16);
    }
  };
  switch (code) {
    case kCmdFunction:
      regs.functionWord = static_cast<uint16_t>(v);
      break;
    case kCmdGain:
      regs.gain[v & 0xFF] = static_cast<uint8_t>(v >> 8);
      break;
    case kCmdScanClock:
      regs.scanClock = static_cast<uint16_t>(v);
      break;
    case kCmdSamplingClock:
      regs.samplingClock = v;
      break;
    case kCmdStartTrigChannel:
    case kCmdStartTrigLevels:
      trig(regs.startTrigger, code == kCmdStartTrigChannel);
      break;
    case kCmdStopTrigChannel:
    case kCmdStopTrigLevels:
      trig(regs.stopTrigger, code == kCmdStopTrigChannel);
      break;
    case kCmdSampleCount:
      regs.sampleCount = v;
      break;
    case kCmdDelayCount:
      regs.delayCount = v;
      break;
    case kCmdTrigDelayCount:
      regs.trigDelayCount = v;
      break;
    case kCmdRepeatCount:
      regs.repeatCount = v;
      break;
    case kCmdWriteAddress:
    case kCmdReadAddress:
      (code == kCmdWriteAddress ? regs.writeAddress : regs.readAddress) = v % memory.Size();
      regs.full = false;
      break;
    case kCmdMask:
      regs.mask = static_cast<uint16_t>(v);
      break;
    case kCmdFactorReset:
      regs.factors &= static_cast<uint16_t>(~v);
      break;
    case kCmdLevel:
      regs.level = static_cast<uint8_t>(v);
      break;
    case kCmdOutputControl:
      regs.outputControl = static_cast<uint8_t>(v);
      break;
    default:
      break;
  }
}

void MorvelBoard::State::writeData(uint8_t value) {
  if (command < 0) {
    diagnose("data byte without a command");
    return;
  }
  const Shape shape = shapeOf(command);
  const uint8_t code = static_cast<uint8_t>(command);
  if (shape.single && shape.write == 1) {
    applyWrite(code, value);
    return;
  }
  if (code == kCmdChannelList) {
    if (dataIndex++ % 2 == 0) {
      pairIndex = value;
    } else if (pairIndex < kListEntries) {
      regs.channelList[pairIndex] = value;
    } else {
      diagnose("channel list index " + std::to_string(pairIndex) + " beyond 127");
    }
    return;
  }
  if (dataIndex >= shape.write) {
    diagnose("extra data byte for " + describe(code));
    return;
  }
  dataValue |= static_cast<uint32_t>(value) << (8 * dataIndex);
  if (++dataIndex == shape.write) applyWrite(code, dataValue);
}

uint8_t MorvelBoard::State::readData() {
  const Shape shape = shapeOf(command);
  if (command == kCmdConfig) return regs.configByte;
  if (command == kCmdOutputControl) return regs.outputControl;
  if (command < 0 || dataIndex >= shape.read) {
    diagnose("data port read without an answer of " + describe(command));
    return 0xFF;
  }
  return static_cast<uint8_t>(answer >> (8 * dataIndex++));
}

}  // namespace morvelboard
