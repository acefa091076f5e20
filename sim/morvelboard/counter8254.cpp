#include "counter8254.h"

namespace morvelboard {

uint32_t Counter8254::Counter::period() const {
  const uint32_t n = cr == 0 ? 65536u : cr;
  // Mode 2 cannot divide by 1; the part then runs as if it were 2.
  return periodic() && n < 2 ? 2 : n;
}

uint8_t Counter8254::Counter::statusByte() const {
  return static_cast<uint8_t>((out ? 0x80 : 0) | (nullCount ? 0x40 : 0) | (rw << 4) | ((mode & 7) << 1) | bcd);
}

Counter8254::Result Counter8254::pulse(Counter& c, uint64_t edges) {
  Result r;
  if (!c.counting || c.stalled || edges == 0) return r;
  if (c.loadPending) {
    c.loadPending = false;
    c.nullCount = false;
    --edges;
    if (c.periodic()) {
      c.ce = c.period();
      c.out = true;
    } else {
      c.ce = c.cr;
      c.tcDone = false;
    }
  }
  if (edges == 0) return r;
  if (c.periodic()) {
    // ce runs from the period down to 1; OUT is low while it is 1.
    const uint64_t n = c.period();
    const uint64_t toFall = c.ce > 1 ? c.ce - 1 : n;
    if (edges < toFall) {
      if (c.ce == 1) {  // the first edge reloads
        c.ce = static_cast<uint32_t>(n - edges + 1);
        c.nullCount = false;
        c.out = true;
      } else {
        c.ce -= static_cast<uint32_t>(edges);
      }
      return r;
    }
    const uint64_t after = edges - toFall;
    r.falls = 1 + after / n;
    const uint64_t left = n - after % n;  // edges to the next fall
    c.ce = left == n ? 1 : static_cast<uint32_t>(left + 1);
    c.out = c.ce != 1;
    if (after > 0 || toFall == n) c.nullCount = false;
    r.terminal = r.falls;
    return r;
  }
  const uint64_t toTerminal = c.ce == 0 ? 65536 : c.ce;
  if (!c.tcDone && edges >= toTerminal) {
    c.tcDone = true;
    c.out = true;
    r.terminal = 1;
  }
  c.ce = static_cast<uint32_t>((c.ce + 65536 - edges % 65536) % 65536);
  return r;
}

void Counter8254::feed(unsigned index, uint64_t edges) {
  for (; index < 3 && edges > 0; ++index) {
    const Result r = pulse(counters_[index], edges);
    if (index == 2) terminal_ += r.terminal;
    edges = r.falls;
  }
}

void Counter8254::setOut(unsigned index, bool out) {
  Counter& c = counters_[index];
  const bool fell = c.out && !out;
  c.out = out;
  if (fell && gate_) feed(index + 1, 1);
}

void Counter8254::Clock(uint64_t edges) {
  if (gate_) feed(0, edges);
}

uint64_t Counter8254::TakeTerminalCounts() {
  const uint64_t n = terminal_;
  terminal_ = 0;
  return n;
}

void Counter8254::SetGate(bool open) {
  if (open && !gate_) {
    // A rising gate restarts a periodic counter from its count register.
    for (Counter& c : counters_) {
      if (c.periodic() && c.counting) c.loadPending = true;
    }
  }
  gate_ = open;
  if (!open) {
    for (unsigned i = 0; i < 3; ++i) {
      if (counters_[i].periodic()) setOut(i, true);
    }
  }
}

void Counter8254::latchCount(Counter& c) {
  if (c.countLatched) return;
  c.countLatched = true;
  c.latch = static_cast<uint16_t>(c.ce);
}

void Counter8254::WriteControl(uint8_t word) {
  const unsigned select = word >> 6;
  if (select == 3) {
    for (unsigned i = 0; i < 3; ++i) {
      if ((word & (2u << i)) == 0) continue;
      Counter& c = counters_[i];
      if ((word & 0x20) == 0) latchCount(c);
      if ((word & 0x10) == 0 && !c.statusLatched) {
        c.statusLatched = true;
        c.status = c.statusByte();
      }
    }
    return;
  }
  Counter& c = counters_[select];
  const uint8_t rw = (word >> 4) & 3;
  if (rw == 0) {
    latchCount(c);
    return;
  }
  c.rw = rw;
  c.mode = (word >> 1) & 7;
  c.bcd = word & 1;
  c.writeHigh = c.readHigh = false;
  c.countLatched = c.statusLatched = false;
  c.counting = c.stalled = c.loadPending = c.tcDone = false;
  c.nullCount = true;
  setOut(select, c.periodic());
}

void Counter8254::WriteCount(unsigned counter, uint8_t byte) {
  Counter& c = counters_[counter];
  bool complete = true;
  switch (c.rw) {
    case 1:
      c.cr = byte;
      break;
    case 2:
      c.cr = static_cast<uint16_t>(byte << 8);
      break;
    default:
      if (!c.writeHigh) {
        c.cr = static_cast<uint16_t>((c.cr & 0xFF00) | byte);
        c.writeHigh = true;
        complete = false;
        if (!c.periodic()) c.stalled = true;
      } else {
        c.cr = static_cast<uint16_t>((c.cr & 0x00FF) | (byte << 8));
        c.writeHigh = false;
      }
  }
  if (!complete) return;
  c.nullCount = true;
  c.stalled = false;
  if (!c.periodic()) {
    c.loadPending = true;
    c.tcDone = false;
    c.counting = true;
    setOut(counter, false);
  } else {
    // A periodic counter takes a new count at its next reload.
    if (!c.counting) c.loadPending = true;
    c.counting = true;
  }
}

uint8_t Counter8254::ReadCount(unsigned counter) {
  Counter& c = counters_[counter];
  if (c.statusLatched) {
    c.statusLatched = false;
    return c.status;
  }
  const uint16_t value = c.countLatched ? c.latch : static_cast<uint16_t>(c.ce);
  bool high = c.rw == 2;
  bool done = true;
  if (c.rw == 3) {
    high = c.readHigh;
    c.readHigh = !c.readHigh;
    done = high;
  }
  if (done) c.countLatched = false;
  return static_cast<uint8_t>(high ? value >> 8 : value & 0xFF);
}

}  // namespace morvelboard
