// One board of a model at a fixed I/O base, driven through its Card methods
// the way the driver's port routines drive it.
#pragma once
#include <gtest/gtest.h>
#include <morvelboard.h>
#include <platform/hardware_bus.h>

#include <initializer_list>
#include <memory>

namespace morvelboard {

class MorvelBoardTest : public ::testing::Test {
 protected:
  static constexpr uint16_t kBase = 0xD000;

  // The machine's clock stands still, so only wait() moves the board: the
  // threaded clock would let real time run the counters between two checks.
  static void SetUpTestSuite() { plat::bus::SetClockMode(plat::bus::ClockMode::Manual); }

  static BoardSpec spec(const char* model = "MVA-1216PCI", uint32_t type = 0xFFFFFFFF) {
    BoardSpec s = *SpecForModel(model);
    s.ioBase = kBase;
    s.interruptLine = 9;
    if (type != 0xFFFFFFFF) s.boardType = type;
    return s;
  }
  void use(const BoardSpec& s) { board = std::make_unique<MorvelBoard>(s); }

  void out8(uint32_t offset, uint8_t v) { board->Out(kBase + offset, 1, v); }
  uint8_t in8(uint32_t offset) { return static_cast<uint8_t>(board->In(kBase + offset, 1)); }
  uint16_t in16(uint32_t offset) { return static_cast<uint16_t>(board->In(kBase + offset, 2)); }
  void command(uint8_t code, std::initializer_list<uint8_t> data = {}) {
    out8(kPortCommand, code);
    for (uint8_t b : data) out8(kPortCommandData, b);
  }
  // A value of `bytes` bytes in the 16, 24 or 32 bits a command takes.
  void command(uint8_t code, uint32_t value, unsigned bytes) {
    out8(kPortCommand, code);
    for (unsigned i = 0; i < bytes; ++i) out8(kPortCommandData, static_cast<uint8_t>(value >> (8 * i)));
  }
  uint32_t answer(uint8_t code, unsigned bytes) {
    out8(kPortCommand, code);
    uint32_t v = 0;
    for (unsigned i = 0; i < bytes; ++i) v |= uint32_t{in8(kPortCommandData)} << (8 * i);
    return v;
  }
  // Moves the board's clock on by `ns` from where it is.
  void wait(uint64_t ns) { board->AdvanceTo(board->BoardTime() + ns); }

  std::unique_ptr<MorvelBoard> board = std::make_unique<MorvelBoard>(spec());
};

}  // namespace morvelboard
