// Single output and digital I/O: the register routines on a given board.
// Neither the output channel nor the digital port reaches the board.
#include "board_operations.h"
#include "registers/xan_registers.h"

namespace morvel00 {

int16_t XanStartDA(uint16_t base, uint16_t, uint16_t code) {
  XanExAnalogOut(base, code);
  return XAN_OK;
}

int XanDigitalIn(uint16_t base, uint16_t, uint16_t* value) { return XanExDigitalIn(base, value); }
int XanDigitalOut(uint16_t base, uint16_t, uint8_t value) { return XanExDigitalOut(base, value); }

}  // namespace morvel00
