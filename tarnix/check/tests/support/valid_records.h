// One record of each kind that passes every check on its own, with
// resources that no other kind's valid record uses.
#pragma once
#include <cstring>

#include "fake_library.h"

namespace tarnix::testing {

// Room for a record of any kind.
struct AnyRecord {
  alignas(int32_t) unsigned char bytes[sizeof(SerialBoardRecord)] = {};
  template <typename Record>
  Record& as() {
    return *reinterpret_cast<Record*>(bytes);
  }
  RecordHead& head() { return as<RecordHead>(); }
};

inline SerialBoardRecord ValidSerial() {
  auto r = MakeRecord<SerialBoardRecord>(0, 0, 1, "SER-4(ISA)");
  const int32_t io[8] = {0x3F8, 0x2F8, 0x3E8, 0x2E8, -1, -1, -1, -1};
  const int32_t irq[8] = {4, 3, 14, 15, -1, -1, -1, -1};
  std::memcpy(r.ioAddresses, io, sizeof io);
  std::memcpy(r.irqNos, irq, sizeof irq);
  r.channelFirst = 1;
  r.channelLast = 4;
  r.boardId = r.slotNo = -1;
  return r;
}
inline AnalogBoardRecord ValidAnalog() {
  auto r = MakeRecord<AnalogBoardRecord>(3, 1, 1, "ADA-16(ISA)");
  r.ioAddress = 0x300;
  r.irqNo = 10;
  r.boardId = r.slotNo = -1;
  return r;
}
inline DigitalBoardRecord ValidDigital() {
  auto r = MakeRecord<DigitalBoardRecord>(1, 1, 1, "DIO-32(ISA)");
  r.ioAddress = 0x200;
  const int32_t irq[4] = {11, -1, -1, -1};
  std::memcpy(r.irqNos, irq, sizeof irq);
  r.boardId = r.slotNo = -1;
  return r;
}
inline GpibBoardRecord ValidGpib() {
  auto r = MakeRecord<GpibBoardRecord>(1, 0, 1, "GPB-1(ISA)");
  r.ioAddress = 0x2E0;
  r.irqNo = 9;
  r.masterMode = 1;
  r.dmaCh = -1;
  r.handshakeTiming = 500;
  r.boardId = r.slotNo = -1;
  return r;
}
inline CounterBoardRecord ValidCounter() {
  auto r = MakeRecord<CounterBoardRecord>(0, 0, 1, "CNT-4(ISA)");
  r.ioAddress = 0x220;
  r.irqNo = 5;
  r.boardId = r.slotNo = -1;
  return r;
}
inline StepperBoardRecord ValidStepper() {
  auto r = MakeRecord<StepperBoardRecord>(0, 0, 1, "STP-4(ISA)");
  r.ioAddress = 0x240;
  r.irqNo1 = 12;
  r.irqNo2 = -1;
  r.boardId = r.slotNo = -1;
  return r;
}
inline ComPortBoardRecord ValidComPort() {
  auto r = MakeRecord<ComPortBoardRecord>(0, 0, 1, "COM-2(ISA)");
  r.ioAddress = 0x280;
  r.irqNo = 6;
  r.channelFirst = 5;
  r.channelLast = 6;
  r.boardId = r.slotNo = -1;
  return r;
}
inline CounterBoardRecord ValidModule() {
  auto r = MakeRecord<CounterBoardRecord>(0, 0, 1, "MOD-8");
  r.ioAddress = 0x260;
  r.irqNo = 7;
  r.boardId = r.slotNo = -1;
  return r;
}

inline AnyRecord ValidRecord(int32_t kind) {
  AnyRecord any;
  const auto put = [&](const auto& r) { std::memcpy(any.bytes, &r, sizeof r); };
  switch (kind) {
    case 1: put(ValidSerial()); break;
    case 2: put(ValidAnalog()); break;
    case 3: put(ValidDigital()); break;
    case 4: put(ValidGpib()); break;
    case 5: put(ValidCounter()); break;
    case 6: put(ValidStepper()); break;
    case 7: put(ValidComPort()); break;
    case 10: put(ValidModule()); break;
    default: break;
  }
  return any;
}

// A list of the kind, zeroed, for tests that work on raw bytes.
struct AnyList {
  alignas(int32_t) unsigned char bytes[sizeof(BoardList<SerialBoardRecord>)] = {};
  uint32_t& count() { return *reinterpret_cast<uint32_t*>(bytes); }
  void add(int32_t kind, const AnyRecord& r) {
    std::memcpy(bytes + 4 + count()++ * RecordBytes(kind), r.bytes, RecordBytes(kind));
  }
};

}  // namespace tarnix::testing
