// The background-input parameter check and the 8254 pacer behind it.
#include "board_locate.h"
#include "board_operations.h"
#include "registers/port_access.h"
#include "registers/xan_registers.h"

namespace morvel00 {

int16_t XanInpBackParaChk(const XanBoardRecord* rec, const XanBackRecord* request) {
  const int mode = request->mode;
  const unsigned timeBase = request->timeBase;
  if (mode < 0 || mode > 2) return XAN_E_MODE;
  if (mode == 1) return XAN_OK;
  if (timeBase > 3) return XAN_E_TIME_BASE;
  if (timeBase == 0 && mode == 2) return XAN_E_MODE;
  if (request->clockCount == 0) return XAN_E_CLOCK_COUNT;
  // A count of 1 would be stored one time base down as 1000; below time
  // base 1 there is no pacer, and the 8254's rate mode cannot count 1.
  if (timeBase == 1 && request->clockCount == 1) return XAN_E_CLOCK_COUNT;
  if (timeBase != 0) {
    for (int b = 0; b < BoardCount(rec); ++b) {
      if (rec->boardType[b] == 54) return XAN_E_TIME_BASE;
    }
  }
  return XAN_OK;
}

int16_t XanOutBackParaChk(const XanBackRecord*) { return XAN_OK; }

namespace {

struct Prescaler {
  uint16_t counter0;
  uint16_t counter1;
};
// By time base 1 to 3 on the 4 MHz counter clock: 1 us, 1 ms, 1 s.
constexpr Prescaler kPrescalers[] = {{2, 2}, {2, 2000}, {2000, 2000}};
// Counter n, low then high byte, mode 2 (rate), binary.
constexpr uint8_t kControlWord[3] = {0x34, 0x74, 0xB4};

// One counter's count, low byte then high; unlike XanExSet8254DataW it
// leaves the higher counters alone.
void LoadCounter(uint16_t base, uint8_t counter, uint16_t count) {
  XanExSet8254(base, kControlWord[counter]);
  regs::Out8(base, regs::kCounter0 + 2u * counter, static_cast<uint8_t>(count));
  regs::Out8(base, regs::kCounter0 + 2u * counter, static_cast<uint8_t>(count >> 8));
}

}  // namespace

uint32_t XanSetCounter(XanBoardRecord* rec) {
  if (rec->timeBase < 1 || rec->timeBase > 3) return 0;
  const Prescaler& p = kPrescalers[rec->timeBase - 1];
  const uint16_t base = rec->ioBase[0];
  LoadCounter(base, 0, p.counter0);
  LoadCounter(base, 1, p.counter1);
  LoadCounter(base, 2, rec->clockCount);
  return rec->clockCount;
}

}  // namespace morvel00
