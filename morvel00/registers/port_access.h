// Port offsets, command codes with their data widths, and the command/data
// sequences the register routines are built from.
#pragma once
#include <ntkrnl/ntddk.h>

#include <cstdint>

namespace morvel00::regs {

enum Offset : unsigned {
  kData = 0,
  kStatus = 2,  // read: status, write: start
  kDigital = 3,
  kDac = 4,
  kCommand = 6,
  kCommandData = 7,
  kCounter0 = 8,  // counters 0 to 2 at +8, +10, +12
  kCounterControl = 14,
};

// A command code and how many data bytes follow it at +7.
struct CommandSpec {
  uint8_t code;
  uint8_t bytes;
};

inline constexpr CommandSpec kFunction{0, 2};
inline constexpr CommandSpec kGain{1, 2};
inline constexpr CommandSpec kChannelList{2, 0};  // pairs, any number
inline constexpr CommandSpec kScanClock{3, 2};
inline constexpr CommandSpec kSamplingClock{4, 4};
inline constexpr CommandSpec kStartTrigChannel{5, 2};
inline constexpr CommandSpec kStartTrigLevels{6, 4};
inline constexpr CommandSpec kStopTrigChannel{8, 2};
inline constexpr CommandSpec kStopTrigLevels{9, 4};
inline constexpr CommandSpec kSampleCount{11, 3};
inline constexpr CommandSpec kDelayCount{12, 3};
inline constexpr CommandSpec kTrigDelayCount{13, 3};
inline constexpr CommandSpec kRepeatCount{14, 3};
inline constexpr CommandSpec kMemoryReset{17, 0};
inline constexpr CommandSpec kWriteAddress{18, 3};
inline constexpr CommandSpec kReadAddress{19, 3};
inline constexpr CommandSpec kTriggerAddress{20, 3};
inline constexpr CommandSpec kInitialise{22, 0};
inline constexpr CommandSpec kStop{23, 0};
inline constexpr CommandSpec kLevel{25, 1};
inline constexpr CommandSpec kMask{26, 2};
inline constexpr CommandSpec kFactors{27, 2};
inline constexpr CommandSpec kFactorReset{28, 2};
inline constexpr CommandSpec kGateOpen{30, 0};
inline constexpr CommandSpec kGateClose{31, 0};
inline constexpr CommandSpec kCounterFlagReset{32, 0};
inline constexpr CommandSpec kExtTrigOpen{33, 0};
inline constexpr CommandSpec kExtTrigClose{34, 0};
inline constexpr CommandSpec kExtTrigReset{35, 0};
inline constexpr CommandSpec kConfig{36, 1};
inline constexpr CommandSpec kOutputControl{37, 1};

inline constexpr uint8_t kDacStrobe = 0x08;  // output control bit 3

inline PUCHAR BytePort(uint16_t base, unsigned offset) {
  return reinterpret_cast<PUCHAR>(static_cast<uintptr_t>(base + offset));
}
inline PUSHORT WordPort(uint16_t base, unsigned offset) {
  return reinterpret_cast<PUSHORT>(static_cast<uintptr_t>(base + offset));
}
inline uint8_t In8(uint16_t base, unsigned offset) { return READ_PORT_UCHAR(BytePort(base, offset)); }
inline void Out8(uint16_t base, unsigned offset, uint8_t value) { WRITE_PORT_UCHAR(BytePort(base, offset), value); }

// The command, then its value's bytes lowest first.
inline int Put(uint16_t base, CommandSpec c, uint32_t value = 0) {
  Out8(base, kCommand, c.code);
  for (unsigned i = 0; i < c.bytes; ++i) Out8(base, kCommandData, static_cast<uint8_t>(value >> (8 * i)));
  return 1;
}
// The command, then its answer's bytes, assembled lowest first.
inline uint32_t Get(uint16_t base, CommandSpec c) {
  Out8(base, kCommand, c.code);
  uint32_t value = 0;
  for (unsigned i = 0; i < c.bytes; ++i) value |= uint32_t{In8(base, kCommandData)} << (8 * i);
  return value;
}
template <typename T>
inline int GetInto(uint16_t base, CommandSpec c, T* out) {
  *out = static_cast<T>(Get(base, c));
  return 1;
}

}  // namespace morvel00::regs
