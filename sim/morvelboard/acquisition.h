// The board's acquisition engine: from a start, scans of the listed
// channels at the board's clocks into board memory, with the trigger modes
// of the function word. Samples are produced in batches up to the time the
// board is told, never one event per sample.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "morvelboard.h"

namespace morvelboard {

// Board memory (or the FIFO of a board without memory), allocated at the
// first write. W, R and the full flag live in the register file.
class Memory {
 public:
  explicit Memory(uint32_t size) : size_(size) {}
  uint32_t Size() const { return size_; }
  uint16_t Read(Registers& regs);
  void Write(Registers& regs, uint16_t value);
  uint16_t At(uint32_t address) const;

 private:
  uint32_t size_;
  std::vector<uint16_t> cells_;
};

struct Signals {
  const std::array<Waveform, kChannels>& waves;
  unsigned bits;
  uint16_t at(unsigned channel, uint64_t ns) const { return SignalValue(waves[channel % kChannels], bits, ns); }
};

class Acquisition {
 public:
  enum class StartResult { Started, Busy, Overrun };
  // The +2 write at board time `now`.
  StartResult Start(Registers& regs, uint8_t value, uint64_t now);
  void Advance(Registers& regs, Memory& memory, const Signals& signals, uint64_t now);
  // Command 23: busy for kStopDelayNs more. Command 22: idle at once.
  void Stop(uint64_t now);
  void Halt();
  // Acts only while a run waits for the external trigger (modes 0 and 1).
  void ExternalTrigger(unsigned input);
  bool Busy(uint64_t now) const { return running_ || now < busyUntil_; }

 private:
  enum class Phase { WaitExternal, WaitLevel, Skip, Record, PreTrigger, PostTrigger };
  // Decides what the current scan does; false when it records nothing.
  bool beginScan(Registers& regs, const Signals& signals, uint64_t ts, uint64_t now);
  void endScan(Registers& regs);
  void trigger(Registers& regs, uint16_t factor);
  void enterPass();
  bool levelFires(const Signals& signals, uint64_t ts);
  void finish(Registers& regs, uint16_t factor);
  void skipOverwritten(Registers& regs, uint32_t memorySize, uint64_t now);

  bool running_ = false;
  uint64_t busyUntil_ = 0;
  Phase phase_ = Phase::Record;
  unsigned mode_ = 4;
  unsigned n_ = 1;
  std::array<uint8_t, kListEntries> channels_{};
  uint64_t step_ = 25;
  uint64_t period_ = 25;
  uint64_t t0_ = 0;
  uint64_t scan_ = 0;
  unsigned sample_ = 0;
  bool inScan_ = false;
  uint64_t scansLeft_ = 0;
  uint64_t passesLeft_ = 1;
  bool endless_ = false;
  uint64_t samples_ = 1;
  uint64_t skip_ = 0;
  uint64_t delay_ = 0;
  bool ring_ = false;
  Registers::Trigger level_{};
  bool armed_ = false;
  bool triggerPending_ = false;
  unsigned triggerInput_ = 1;
};

}  // namespace morvelboard
