// The few register sequences the frame itself needs (start-up, the shared
// interrupt check, disabling a board's interrupts). Each runs under the
// interrupt lock (XanSync) or before the interrupt is connected.
#pragma once
#include <ntkrnl/ntddk.h>

#include <cstdint>

namespace morvel00::ports {

enum : uint8_t {
  kCommandPort = 6,
  kCommandDataPort = 7,
  kCmdInitialise = 22,
  kCmdMask = 26,
  kCmdFactors = 27,
  kCmdFactorReset = 28,
  kCmdGateClose = 31,
  kCmdConfig = 36,
};

inline PUCHAR Port(uint16_t base, unsigned offset) {
  return reinterpret_cast<PUCHAR>(static_cast<uintptr_t>(base + offset));
}
inline void Command(uint16_t base, uint8_t code) { WRITE_PORT_UCHAR(Port(base, kCommandPort), code); }
inline void CommandWord(uint16_t base, uint8_t code, uint16_t value) {
  Command(base, code);
  WRITE_PORT_UCHAR(Port(base, kCommandDataPort), static_cast<UCHAR>(value & 0xFF));
  WRITE_PORT_UCHAR(Port(base, kCommandDataPort), static_cast<UCHAR>(value >> 8));
}
inline uint16_t ReadCommandWord(uint16_t base, uint8_t code) {
  Command(base, code);
  const uint16_t low = READ_PORT_UCHAR(Port(base, kCommandDataPort));
  const uint16_t high = READ_PORT_UCHAR(Port(base, kCommandDataPort));
  return static_cast<uint16_t>(low | (high << 8));
}
inline uint8_t ReadCommandByte(uint16_t base, uint8_t code) {
  Command(base, code);
  return READ_PORT_UCHAR(Port(base, kCommandDataPort));
}

}  // namespace morvel00::ports
