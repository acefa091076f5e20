// The register routines: every access of the driver to a board's ports.
// Each takes the board's I/O base first and returns 1 unless its comment
// says otherwise. They take no lock: a command and its data bytes must not
// meet another command to the same board, so callers run sequences the
// interrupt path also touches under the interrupt lock (XanSync).
#pragma once
#include <cstdint>

namespace morvel00 {

// Board control.
int XanExInitialize(uint16_t base);
int XanExGetStatus(uint16_t base, uint16_t* status);
int XanExStopAI(uint16_t base);

// Analog-input set-up.
int XanExSetAIFunction(uint16_t base, uint16_t word);
// Pairs {sequence index 0.., channel} for the first `count` entries.
int XanExSetAIChannel(uint16_t base, const uint16_t* channels, uint8_t count);
int XanExSetScanClock(uint16_t base, uint32_t ns);      // ns / 25 - 1
int XanExSetSamplingClock(uint16_t base, uint32_t us);  // us x 40 - 1
int XanExSetTrgLevelStart(uint16_t base, uint8_t direction, uint8_t channel, uint16_t level1, uint16_t level2);
int XanExSetTrgLevelStop(uint16_t base, uint8_t direction, uint8_t channel, uint16_t level1, uint16_t level2);
int XanExSetSamplingNum(uint16_t base, uint32_t samples);  // stored as samples - 1
int XanExSetDelayNum(uint16_t base, uint32_t count);
int XanExSetTrgDlyNum(uint16_t base, uint32_t count);
int XanExSetStartTrgRptNum(uint16_t base, uint32_t count);

// Board memory.
int XanExResetMemory(uint16_t base);
int XanExSetWriteAddress(uint16_t base, uint32_t address);
int XanExGetWriteAddress(uint16_t base, uint32_t* address);
int XanExSetReadAddress(uint16_t base, uint32_t address);
int XanExGetReadAddress(uint16_t base, uint32_t* address);
int XanExGetTrggerAddress(uint16_t base, uint32_t* address);

// Conversions and data.
int XanExStartAISingle(uint16_t base, uint8_t channel);
int XanExStartAIMulti(uint16_t base, uint8_t count);  // writes count - 1
int XanExGetAIData(uint16_t base, uint16_t* value);

// Output and digital I/O.
// Holds output-control bit 3 set while the code goes to the DAC.
int XanExAnalogOut(uint16_t base, uint16_t code);
// Only the low byte of *value is written.
int XanExDigitalIn(uint16_t base, uint16_t* value);
// Reads the output-control byte once before the latch is written.
int XanExDigitalOut(uint16_t base, uint8_t value);

// Interrupts. The level routines return 0 and write nothing for a line
// without a level code.
int XanExSetIntLevelPC(uint16_t base, uint8_t line);
int XanExSetIntLevel98(uint16_t base, uint8_t line);
int XanExSetIntMask(uint16_t base, uint16_t mask);
int XanExGetIntMask(uint16_t base, uint16_t* mask);
int XanExGetIntRegister(uint16_t base, uint16_t* factors);
int XanExResetIntRegister(uint16_t base, uint16_t bits);
int XanExIntDisable(uint16_t base);  // mask all, stop; returns 0

// The 8254.
int XanExOpen8254(uint16_t base);
int XanExClose8254(uint16_t base);
int XanExGet8254Flag(uint16_t base, uint8_t* flag);  // +3 bits 4 and 5, shifted down
int XanExReset8254Flag(uint16_t base);
int XanExSet8254(uint16_t base, uint8_t control);
// The Set routines write the counter and then, with the same bytes, every
// higher counter (0 goes on to 1 and 2, 1 to 2); counters above 2 write
// nothing. The Get routines read that counter only; above 2 they read
// nothing and return 0.
int XanExSet8254DataW(uint16_t base, uint8_t counter, uint32_t count);
int XanExGet8254DataW(uint16_t base, uint8_t counter, uint32_t* count);
int XanExSet8254DataB(uint16_t base, uint8_t counter, uint16_t value);
int XanExGet8254DataB(uint16_t base, uint8_t counter, uint16_t* value);
// Read-back command 0xC0 | countFlag << 5 | statusFlag << 4 | 1 << (counter
// + 1); the flags are the part's active-low bits as given. 0 above counter 2.
int XanExSet8254ReadBack(uint16_t base, uint8_t countFlag, uint8_t statusFlag, uint8_t counter);

// External trigger.
int XanExOpenExtTrigger(uint16_t base);
int XanExCloseExtTrigger(uint16_t base);
int XanExGetExtTriggerStatus(uint16_t base, uint8_t* status);  // +3 bits 6 and 7, shifted down
int XanExResetExtTriggerStatus(uint16_t base);

int XanExGetBoardConfig(uint16_t base, uint8_t* config);

}  // namespace morvel00
