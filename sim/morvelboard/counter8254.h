// The board's 8254: three 16-bit down counters in a cascade, programmed and
// read byte by byte, clocked in whole batches of base-clock edges.
#pragma once
#include <array>
#include <cstdint>

namespace morvelboard {

class Counter8254 {
 public:
  void WriteControl(uint8_t word);
  void WriteCount(unsigned counter, uint8_t byte);
  uint8_t ReadCount(unsigned counter);
  // Commands 30 and 31 drive the gates of all three counters.
  void SetGate(bool open);
  bool GateOpen() const { return gate_; }
  // Base-clock edges since the last call.
  void Clock(uint64_t edges);
  // Terminal counts of counter 2 since the last call.
  uint64_t TakeTerminalCounts();

 private:
  struct Counter {
    uint8_t mode = 0;  // 0 to 5 as written
    uint8_t rw = 1;    // 1 LSB, 2 MSB, 3 LSB then MSB
    uint8_t bcd = 0;
    uint16_t cr = 0;           // count register
    uint32_t ce = 0;           // counting element
    bool counting = false;     // a full count was written since the control word
    bool stalled = false;      // mode 0: the first byte of a new count stops it
    bool loadPending = false;  // the count register goes to the element on the next edge
    bool tcDone = false;       // mode 0: OUT went high
    bool out = true;
    bool nullCount = true;
    bool writeHigh = false;  // write flip-flop
    bool readHigh = false;   // read flip-flop
    bool countLatched = false;
    uint16_t latch = 0;
    bool statusLatched = false;
    uint8_t status = 0;

    bool periodic() const { return mode == 2 || mode == 3 || mode == 6 || mode == 7; }
    uint32_t period() const;
    uint8_t statusByte() const;
  };
  struct Result {
    uint64_t falls = 0;  // OUT falling edges: the clock of the next counter
    uint64_t terminal = 0;
  };

  static Result pulse(Counter& c, uint64_t edges);
  // OUT changed by a write rather than by counting.
  void setOut(unsigned index, bool out);
  void feed(unsigned index, uint64_t edges);
  void latchCount(Counter& c);

  std::array<Counter, 3> counters_{};
  bool gate_ = false;
  uint64_t terminal_ = 0;
};

}  // namespace morvelboard
