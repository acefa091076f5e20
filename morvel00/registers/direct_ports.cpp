// The routines on the direct ports: status, start, data, DAC and digital
// I/O, and the 8254.
#include "port_access.h"
#include "xan_registers.h"

namespace morvel00 {

using namespace regs;

int XanExGetStatus(uint16_t base, uint16_t* status) {
  *status = In8(base, kStatus);
  return 1;
}

int XanExStartAISingle(uint16_t base, uint8_t channel) {
  Out8(base, kStatus, channel);
  return 1;
}
int XanExStartAIMulti(uint16_t base, uint8_t count) {
  Out8(base, kStatus, static_cast<uint8_t>(count - 1));
  return 1;
}

int XanExGetAIData(uint16_t base, uint16_t* value) {
  *value = READ_PORT_USHORT(WordPort(base, kData));
  return 1;
}

int XanExAnalogOut(uint16_t base, uint16_t code) {
  const uint8_t control = static_cast<uint8_t>(Get(base, kOutputControl));
  Put(base, kOutputControl, control | kDacStrobe);
  WRITE_PORT_USHORT(WordPort(base, kDac), code);
  return Put(base, kOutputControl, control & ~kDacStrobe);
}

int XanExDigitalIn(uint16_t base, uint16_t* value) {
  *value = static_cast<uint16_t>((*value & 0xFF00) | In8(base, kDigital));
  return 1;
}

int XanExDigitalOut(uint16_t base, uint8_t value) {
  Get(base, kOutputControl);
  Out8(base, kDigital, value);
  return 1;
}

// ---- 8254 -------------------------------------------------------------------

namespace {
constexpr uint8_t kCounters = 3;
unsigned CounterPort(uint8_t counter) { return kCounter0 + 2u * counter; }

// The same bytes to `counter` and every counter above it.
int WriteCarrying(uint16_t base, uint8_t counter, const uint8_t* bytes, unsigned n) {
  for (uint8_t c = counter; c < kCounters; ++c) {
    for (unsigned i = 0; i < n; ++i) Out8(base, CounterPort(c), bytes[i]);
  }
  return 1;
}
}  // namespace

int XanExOpen8254(uint16_t base) { return Put(base, kGateOpen); }
int XanExClose8254(uint16_t base) { return Put(base, kGateClose); }
int XanExReset8254Flag(uint16_t base) { return Put(base, kCounterFlagReset); }

int XanExGet8254Flag(uint16_t base, uint8_t* flag) {
  *flag = static_cast<uint8_t>((In8(base, kDigital) >> 4) & 3);
  return 1;
}
int XanExGetExtTriggerStatus(uint16_t base, uint8_t* status) {
  *status = static_cast<uint8_t>((In8(base, kDigital) >> 6) & 3);
  return 1;
}

int XanExSet8254(uint16_t base, uint8_t control) {
  Out8(base, kCounterControl, control);
  return 1;
}

int XanExSet8254DataW(uint16_t base, uint8_t counter, uint32_t count) {
  const uint8_t bytes[2] = {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8)};
  return WriteCarrying(base, counter, bytes, 2);
}
int XanExSet8254DataB(uint16_t base, uint8_t counter, uint16_t value) {
  const uint8_t byte = static_cast<uint8_t>(value);
  return WriteCarrying(base, counter, &byte, 1);
}

int XanExGet8254DataW(uint16_t base, uint8_t counter, uint32_t* count) {
  if (counter >= kCounters) return 0;
  const uint32_t low = In8(base, CounterPort(counter));
  *count = low | uint32_t{In8(base, CounterPort(counter))} << 8;
  return 1;
}
int XanExGet8254DataB(uint16_t base, uint8_t counter, uint16_t* value) {
  if (counter >= kCounters) return 0;
  *value = In8(base, CounterPort(counter));
  return 1;
}

int XanExSet8254ReadBack(uint16_t base, uint8_t countFlag, uint8_t statusFlag, uint8_t counter) {
  if (counter >= kCounters) return 0;
  const uint8_t command = static_cast<uint8_t>(0xC0 | (countFlag & 1) << 5 | (statusFlag & 1) << 4 | 1 << (counter + 1));
  Out8(base, kCounterControl, command);
  return 1;
}

}  // namespace morvel00
