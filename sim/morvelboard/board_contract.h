// The contract of vendor A's older PCI analog boards as the simulated cards
// keep it: configuration space, port map, command codes, register bits and
// timing. The driver programs exactly this; the cards answer exactly this.
//
// Configuration space (type-0 header, little-endian, 256 bytes; the rest of
// the 256 reads 0, offsets beyond read 0xFF):
//   0x00 u16 vendor identifier   kVendorId (0x1C5E)
//   0x02 u16 device identifier   per model (kModels), or as installed
//   0x04 u16 command             0x0001: I/O space decoding on (only bit 0 is
//                                writable; with it clear the card answers no port)
//   0x06 u16 status              0
//   0x08 u8  revision            the board identifier ("BoardID")
//   0x09 u8  programming i/f 0, 0x0A u8 subclass 0x80, 0x0B u8 class 0x11
//                                (data acquisition controller, other)
//   0x0E u8  header type         0
//   0x10 u32 base address 0      I/O base | 1; 16 ports, so bits 3..1 read 0
//                                and writing all ones reads back 0xFFFFFFF1
//   0x14..0x27                   the other base registers, 0
//   0x2C u16 subsystem vendor    kVendorId; 0x2E u16 subsystem = device identifier
//   0x3C u8  interrupt line      the line the card asserts (0xFF: not routed); writable
//   0x3D u8  interrupt pin       1 (INTA), or 0 for a board installed without a line
//
// Ports, offsets from the I/O base (16 ports; a port no card answers reads
// all ones on the bus):
//   +0  R16  next value of board memory at R, then R = R + 1 modulo M
//   +2  R8   status (kStatus*)          W8  start (see kFnScan)
//   +3  R8   digital inputs 0-3, counter flags 4-5, external-trigger flags 6-7
//       W8   digital output latch (all 8 bits kept)
//   +4  W16  DAC code, latched only while output control bit 3 is set
//   +6  W8   command code; resets the data-byte index of +7
//   +7  R8/W8 the data bytes of the current command, lowest byte first
//   +8, +10, +12  R8/W8  8254 counters 0, 1, 2;  +14 W8  8254 control word
// A 16-bit access to a byte port is two byte cycles (port, port + 1); a
// 32-bit access is two 16-bit cycles. A byte access to a word port (+0, +4)
// reads all ones and writes nothing.
//
// Timing: the card keeps its own clock, which never falls behind the
// machine's; every port access first moves it on by the access step
// (default 1 us), so status polls end in virtual time.
#pragma once
#include <cstdint>

namespace morvelboard {

inline constexpr uint16_t kVendorId = 0x1C5E;
inline constexpr uint8_t kClassCode = 0x11;
inline constexpr uint8_t kSubclass = 0x80;
inline constexpr uint8_t kNoInterruptLine = 0xFF;
inline constexpr uint32_t kPortCount = 16;

enum Port : uint32_t {
  kPortData = 0,
  kPortStatus = 2,  // read: status, write: start
  kPortDigital = 3,
  kPortDac = 4,
  kPortCommand = 6,
  kPortCommandData = 7,
  kPortCounter0 = 8,
  kPortCounter1 = 10,
  kPortCounter2 = 12,
  kPortCounterControl = 14,
};

// Command codes and their data bytes (W: written, R: read at +7).
enum Command : uint8_t {
  kCmdFunction = 0,          // W2 function word (kFn*)
  kCmdGain = 1,              // W2 {channel, gain or range code}
  kCmdChannelList = 2,       // W pairs {sequence index 0-127, channel}, any number
  kCmdScanClock = 3,         // W2 v: channels of a scan are (v + 1) x 25 ns apart
  kCmdSamplingClock = 4,     // W4 s: scans are (s + 1) x 25 ns apart
  kCmdStartTrigChannel = 5,  // W2 {direction x 8, channel}
  kCmdStartTrigLevels = 6,   // W4 {level 1, level 2}, 16 bits each
  kCmdStopTrigChannel = 8,   // as 5
  kCmdStopTrigLevels = 9,    // as 6
  kCmdSampleCount = 11,      // W3 samples per channel - 1
  kCmdDelayCount = 12,       // W3 scans recorded after the trigger (modes 1, 3)
  kCmdTrigDelayCount = 13,   // W3 scans skipped after the trigger (modes 0, 2)
  kCmdRepeatCount = 14,      // W3 passes - 1 (modes 0, 2)
  kCmdMemoryReset = 17,      // W = R = T = 0; clears status bits 1, 3 and 7
  kCmdWriteAddress = 18,     // W3 or R3 W (read: latched at the command)
  kCmdReadAddress = 19,      // W3 or R3 R (read: latched at the command)
  kCmdTriggerAddress = 20,   // R3 T, the W at the last trigger (latched)
  kCmdInitialise = 22,       // stop at once, mask 0xFFFF, factors 0, level 0, gate and
                             // external trigger closed, +3 flags 0, function word 0;
                             // DAC, output control and memory unchanged
  kCmdStop = 23,             // stop the input; status bit 0 clears kStopDelayNs later;
                             // raises no end factor
  kCmdLevel = 25,            // W1 level code 0-7 (repeatable); 0 keeps the line quiet
  kCmdMask = 26,             // W2 or R2 mask; a set bit masks its factor
  kCmdFactors = 27,          // R2 factors (latched at the command)
  kCmdFactorReset = 28,      // W2 the factor bits to clear
  kCmdGateOpen = 30,         // the 8254 gate of all three counters
  kCmdGateClose = 31,
  kCmdCounterFlagReset = 32,  // +3 bits 4 and 5
  kCmdExtTrigOpen = 33,
  kCmdExtTrigClose = 34,
  kCmdExtTrigReset = 35,     // +3 bits 6 and 7
  kCmdConfig = 36,           // R1 configuration byte (repeatable)
  kCmdOutputControl = 37,    // R1 or W1 output control (repeatable)
};

// Status byte (+2).
inline constexpr uint8_t kStatusBusy = 0x01;     // converting, acquiring, or stopping
inline constexpr uint8_t kStatusData = 0x02;     // R != W, or the memory is full
inline constexpr uint8_t kStatusFull = 0x08;     // memory full without the ring (latched)
inline constexpr uint8_t kStatusError = 0x80;    // overrun (latched)

// Digital port (+3) read bits.
inline constexpr uint8_t kDigitalInputs = 0x0F;
inline constexpr uint8_t kCounterFlag = 0x10;      // a terminal count of counter 2
inline constexpr uint8_t kCounterOverflow = 0x20;  // another one while kCounterFlag was set
inline constexpr uint8_t kExtTrigSeen = 0x40;      // an external trigger while open
inline constexpr uint8_t kExtTrigOverflow = 0x80;  // another one while kExtTrigSeen was set

// Output control (command 37).
inline constexpr uint8_t kOutputDacStrobe = 0x08;
// Configuration byte (command 36).
inline constexpr uint8_t kConfigDoubled = 0x02;

// Function word (command 0). The trigger mode comes from bits 0-3:
//   0x0002 (mode 0): each pass waits for the external trigger (0x0001 picks
//          the edge and is only kept), skips the trigger-delay count of scans,
//          records S scans; repeat count + 1 passes, endless with 0x0200.
//   0x0008 (mode 1; 0x0004 the edge): records without end until the external
//          trigger, then the delay count of scans. Without a trigger this is
//          also the free run of mode 4 with sample count -1.
//   0x0001 alone (mode 2): as mode 0, but the pass starts on the level
//          condition of the start-trigger channel.
//   0x0004 alone (mode 3): records without end until the level condition of
//          the stop-trigger channel, then the delay count of scans.
//   none (mode 4): S scans once.
// S is the sample count register + 1. A trigger takes effect at the next scan
// boundary; T is then the W of that scan's first sample.
// Level condition (commands 5/6 and 8/9), tested once per scan on the
// trigger channel's value at the scan's start, in counts: direction 0 fires
// at the first scan at or above level 2 after a scan below level 1;
// direction 1 at the first scan at or below level 2 after one above level 1.
inline constexpr uint16_t kFnEdge = 0x0001;
inline constexpr uint16_t kFnExternalStart = 0x0002;
inline constexpr uint16_t kFnStopEdge = 0x0004;
inline constexpr uint16_t kFnContinuous = 0x0008;
inline constexpr uint16_t kFnBackToBack = 0x0020;  // scans follow at once: period = n x step
inline constexpr uint16_t kFnScan = 0x0080;        // start value = list entries - 1; else the channel
inline constexpr uint16_t kFnRing = 0x0100;        // wrap and overwrite, never full
inline constexpr uint16_t kFnEndless = 0x0200;     // endless passes (modes 0 and 2)
inline constexpr uint16_t kFnEnable = 0x1000;      // always set by the driver; not needed
inline constexpr uint16_t kFnExternalClock = 0x2000;  // kept; the card runs its own clock

// Interrupt factors (commands 26, 27, 28). The card asserts its line while
// (factors & ~mask) != 0 and the level code is not 0. Only command 28 and
// command 22 clear factors: reading board memory acknowledges nothing.
// Memory: a read of +0 always moves R on (the driver reads only what W shows);
// without the ring the board stops when W catches up with R (status bit 3,
// kFactorFull, no kFactorEnd); a stop (23) raises no factor either.
inline constexpr uint16_t kFactorEnd = 1u << 0;        // acquisition ended normally
inline constexpr uint16_t kFactorTrigger = 1u << 2;    // trigger input 1 or a level condition
inline constexpr uint16_t kFactorFull = 1u << 3;       // memory full without the ring
inline constexpr uint16_t kFactorTrigger2 = 1u << 4;   // trigger input 2
inline constexpr uint16_t kFactorError = 1u << 7;      // overrun at the start
inline constexpr uint16_t kFactorTrigger3 = 1u << 10;  // trigger input 3
inline constexpr uint16_t kFactorCounter = 1u << 12;   // terminal count of counter 2
inline constexpr uint16_t kFactorExtTrig = 1u << 14;   // external trigger while open
inline constexpr uint16_t kMaskAll = 0xFFFF;

// Timing.
inline constexpr uint64_t kClockUnitNs = 25;         // scan and sampling clock registers
inline constexpr uint64_t kCounterClockNs = 250;     // 8254 counter 0 input, 4 MHz
inline constexpr uint64_t kDefaultAccessStepNs = 1000;
inline constexpr uint64_t kStopDelayNs = 2000;
// An acquisition whose scan period is shorter than its n conversions does
// not start: status bit 7 and kFactorError instead.

// 8254: counter 0 counts the 4 MHz clock, counter 1 the falling edges of
// OUT0, counter 2 those of OUT1; the gate (commands 30/31) enables all three.
// Modes 0 and 2 run as the part does (3 runs as 2; 1, 4 and 5 as 0); BCD is
// kept in the status only. Each terminal count of counter 2 (OUT falling in
// mode 2, reaching 0 in mode 0) sets kCounterFlag, or kCounterOverflow when
// the flag is set already, and kFactorCounter.
inline constexpr uint8_t k8254ReadBack = 0xC0;    // | /COUNT 0x20 | /STATUS 0x10 | CNT2..0 bits 3..1
inline constexpr uint8_t k8254LatchAll = 0xDE;    // the counts of all three
inline constexpr uint8_t k8254StatusOut = 0x80;
inline constexpr uint8_t k8254StatusNullCount = 0x40;

// Board memory: M samples, addresses 24 bits wide, W and R wrap at M. A
// board without memory has a 512-value FIFO in its place.
inline constexpr uint32_t kSmallMemory = 262144;
inline constexpr uint32_t kLargeMemory = 16777216;
inline constexpr uint32_t kFifoSize = 512;
inline constexpr unsigned kListEntries = 128;
inline constexpr unsigned kChannels = 256;

constexpr uint32_t MemorySamples(uint32_t boardType) {
  if (boardType <= 3 || (boardType >= 50 && boardType <= 54)) return kSmallMemory;
  if (boardType == 201 || boardType == 203 || (boardType >= 210 && boardType <= 217)) return kLargeMemory;
  return kFifoSize;
}

constexpr unsigned ResolutionBits(uint32_t boardType) {
  return boardType == 0 || boardType == 1 || boardType == 50 || boardType == 51 || boardType == 54 ? 12 : 16;
}

// Level codes of command 25 by interrupt line (index = code).
inline constexpr uint8_t kLevelLinesAt[8] = {0, 5, 7, 9, 10, 11, 12, 15};
inline constexpr uint8_t kLevelLines98[8] = {0, 3, 5, 6, 9, 10, 12, 13};

// The models the card library knows, with the board type and device
// identifier a board of that model gets unless installed otherwise.
struct Model {
  const char* name;
  uint32_t boardType;
  uint16_t deviceId;
};
inline constexpr Model kModels[] = {
    {"MVA-1216PCI", 0, 0x0121},     // 16 channels (32 doubled), 12 bits, 256 K samples
    {"MVA-1216FPCI", 1, 0x0122},    // the fast variant (1 us scan step)
    {"MVA-1616PCI", 2, 0x0123},     // 16 bits
    {"MVA-1616FPCI", 3, 0x0124},
    {"MVA-1208PCI", 50, 0x0125},
    {"MVA-1216SPCI", 54, 0x0126},   // 20 us scan step
    {"MVA-1616MPCI", 201, 0x0127},  // 16 M samples
    {"MVA-1616MFPCI", 203, 0x0128},
    {"MVA-16128PCI", 65535, 0x0129},  // 128 channels, FIFO only
};
// The other device on a shared line: it answers no port, and its line
// level is a test's switch.
inline constexpr const char* kForeignModel = "FOREIGN";
inline constexpr uint16_t kForeignVendorId = 0x1C5F;
inline constexpr uint16_t kForeignDeviceId = 0x0F00;

}  // namespace morvelboard
