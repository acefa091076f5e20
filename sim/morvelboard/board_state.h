// What a simulated board holds behind its ports, shared by the port, command
// and configuration-space files of the board.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "acquisition.h"
#include "counter8254.h"
#include "morvelboard.h"

namespace morvelboard {

struct MorvelBoard::State {
  explicit State(const BoardSpec& spec);

  // Moves the board's clock to `t` (never back) and produces what fell due.
  void advance(uint64_t t);
  bool interruptLevel() const;

  uint32_t readPort(uint32_t offset, unsigned width);
  void writePort(uint32_t offset, unsigned width, uint32_t value);
  uint8_t readByte(uint32_t offset);
  void writeByte(uint32_t offset, uint8_t value);
  uint8_t status() const;
  void start(uint8_t value);
  void externalTrigger(unsigned input);
  void diagnose(std::string text);

  // Command port and data port (commands.cpp).
  void writeCommand(uint8_t code);
  void writeData(uint8_t value);
  uint8_t readData();
  void applyWrite(uint8_t code, uint32_t value);
  void initialise();
  uint32_t latchWriteAddress();

  Signals signals() const { return {waves, bits}; }

  std::array<uint8_t, 256> config{};
  uint32_t bar0 = 0;
  Registers regs;
  Memory memory;
  Counter8254 timer;
  Acquisition acquisition;
  std::array<Waveform, kChannels> waves{};
  unsigned bits = 12;
  Faults faults;
  size_t scriptPosition = 0;

  uint64_t now = 0;
  uint64_t accessStep = kDefaultAccessStepNs;
  bool lineReported = false;

  int command = -1;  // none yet
  unsigned dataIndex = 0;
  uint32_t dataValue = 0;   // bytes of the current command written so far
  uint32_t answer = 0;      // latched at the command
  uint8_t pairIndex = 0;    // channel list: the sequence index of the pair being written

  bool tracing = false;
  std::vector<PortAccess> trace;
  std::vector<std::string> diagnostics;
};

}  // namespace morvelboard
