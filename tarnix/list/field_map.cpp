#include "list/field_map.h"

#include <cstring>

#include <tarnix_records.h>

namespace tarnix {

namespace {

using xanconfig::BoardSlot;
using xanconfig::GroupSlot;

constexpr FieldLink num(std::size_t record, std::size_t slot, std::size_t count = 1) {
  return {static_cast<uint16_t>(record), static_cast<uint16_t>(slot), static_cast<uint16_t>(4 * count), 1, false};
}
constexpr FieldLink text(std::size_t record, std::size_t slot, std::size_t bytes, std::size_t count = 1) {
  return {static_cast<uint16_t>(record), static_cast<uint16_t>(slot), static_cast<uint16_t>(bytes),
          static_cast<uint16_t>(count), true};
}

#define REC(type, field) offsetof(type, field)
#define SLOT(field) offsetof(BoardSlot, field)

constexpr FieldLink kBoardName = text(offsetof(RecordHead, boardName), SLOT(boardName), kBoardNameBytes);

constexpr FieldLink kSerial[] = {
    kBoardName,
    num(REC(SerialBoardRecord, ioAddresses), SLOT(ioAddresses), 8),
    num(REC(SerialBoardRecord, irqNos), SLOT(irqNos), 8),
    num(REC(SerialBoardRecord, dma), SLOT(dma)),
    num(REC(SerialBoardRecord, memoryAddress), SLOT(memoryAddress)),
    num(REC(SerialBoardRecord, channelFirst), SLOT(channelFirst)),
    num(REC(SerialBoardRecord, channelLast), SLOT(channelLast)),
    num(REC(SerialBoardRecord, boardId), SLOT(boardId)),
    num(REC(SerialBoardRecord, slotNo), SLOT(slotNo)),
    text(REC(SerialBoardRecord, hardwareKey), SLOT(hardwareKey), kObjectNameBytes),
    num(REC(SerialBoardRecord, fifoFlowEnable), SLOT(fifoFlowEnable)),
    num(REC(SerialBoardRecord, rxFifo), SLOT(rxFifo)),
    text(REC(SerialBoardRecord, comController), SLOT(comController), kComControllerBytes),
    text(REC(SerialBoardRecord, objectNames), SLOT(objectNames), kObjectNameBytes, 8),
    num(REC(SerialBoardRecord, txFifo), SLOT(txFifo)),
    num(REC(SerialBoardRecord, forceFifoEnable), SLOT(forceFifoEnable)),
};

constexpr FieldLink kAnalog[] = {
    kBoardName,
    num(REC(AnalogBoardRecord, ioAddress), SLOT(ioAddress)),
    num(REC(AnalogBoardRecord, dma), SLOT(dma)),
    num(REC(AnalogBoardRecord, memoryAddress), SLOT(memoryAddress)),
    num(REC(AnalogBoardRecord, boardConfig), SLOT(boardConfig)),
    num(REC(AnalogBoardRecord, boardId), SLOT(boardId)),
    num(REC(AnalogBoardRecord, slotNo), SLOT(slotNo)),
    text(REC(AnalogBoardRecord, hardwareKey), SLOT(hardwareKey), kObjectNameBytes),
};
constexpr FieldLink kAnalogInterrupt = num(REC(AnalogBoardRecord, irqNo), offsetof(GroupSlot, irqNo));
constexpr FieldLink kAnalogGroupName =
    text(REC(AnalogBoardRecord, objectName), offsetof(GroupSlot, objectName), kObjectNameBytes);

constexpr FieldLink kDigital[] = {
    kBoardName,
    num(REC(DigitalBoardRecord, ioAddress), SLOT(ioAddress)),
    num(REC(DigitalBoardRecord, dma), SLOT(dma)),
    num(REC(DigitalBoardRecord, memoryAddress), SLOT(memoryAddress)),
    num(REC(DigitalBoardRecord, boardId), SLOT(boardId)),
    num(REC(DigitalBoardRecord, slotNo), SLOT(slotNo)),
    text(REC(DigitalBoardRecord, hardwareKey), SLOT(hardwareKey), kObjectNameBytes),
};
constexpr FieldLink kDigitalInterrupts =
    num(REC(DigitalBoardRecord, irqNos), offsetof(GroupSlot, digitalIrqNos), 4);
constexpr FieldLink kDigitalGroupName =
    text(REC(DigitalBoardRecord, objectName), offsetof(GroupSlot, objectName), kObjectNameBytes);

constexpr FieldLink kGpib[] = {
    kBoardName,
    num(REC(GpibBoardRecord, ioAddress), SLOT(ioAddress)),
    num(REC(GpibBoardRecord, irqNo), SLOT(irqNo)),
    num(REC(GpibBoardRecord, memoryAddress), SLOT(memoryAddress)),
    num(REC(GpibBoardRecord, myAddress), SLOT(myAddress)),
    num(REC(GpibBoardRecord, masterMode), SLOT(masterMode)),
    num(REC(GpibBoardRecord, dmaCh), SLOT(dmaCh)),
    num(REC(GpibBoardRecord, dmaMode), SLOT(dmaMode)),
    num(REC(GpibBoardRecord, handshakeTiming), SLOT(handshakeTiming)),
    num(REC(GpibBoardRecord, boardId), SLOT(boardId)),
    num(REC(GpibBoardRecord, slotNo), SLOT(slotNo)),
    text(REC(GpibBoardRecord, hardwareKey), SLOT(hardwareKey), kObjectNameBytes),
    text(REC(GpibBoardRecord, objectName), SLOT(objectName), kObjectNameBytes),
};

constexpr FieldLink kCounter[] = {
    kBoardName,
    num(REC(CounterBoardRecord, ioAddress), SLOT(ioAddress)),
    num(REC(CounterBoardRecord, irqNo), SLOT(irqNo)),
    num(REC(CounterBoardRecord, dma), SLOT(dma)),
    num(REC(CounterBoardRecord, memoryAddress), SLOT(memoryAddress)),
    num(REC(CounterBoardRecord, boardId), SLOT(boardId)),
    num(REC(CounterBoardRecord, slotNo), SLOT(slotNo)),
    text(REC(CounterBoardRecord, hardwareKey), SLOT(hardwareKey), kObjectNameBytes),
    text(REC(CounterBoardRecord, objectName), SLOT(objectName), kObjectNameBytes),
};

// The board's own interrupts are the slot's first two; the axes' object
// names its first four.
constexpr FieldLink kStepper[] = {
    kBoardName,
    num(REC(StepperBoardRecord, ioAddress), SLOT(ioAddress)),
    num(REC(StepperBoardRecord, irqNo1), SLOT(irqNos[0])),
    num(REC(StepperBoardRecord, irqNo2), SLOT(irqNos[1])),
    num(REC(StepperBoardRecord, dma), SLOT(dma)),
    num(REC(StepperBoardRecord, memoryAddress), SLOT(memoryAddress)),
    num(REC(StepperBoardRecord, boardId), SLOT(boardId)),
    num(REC(StepperBoardRecord, slotNo), SLOT(slotNo)),
    num(REC(StepperBoardRecord, axisNum), SLOT(axisNum)),
    num(REC(StepperBoardRecord, baseEnhMode), SLOT(baseEnhMode)),
    text(REC(StepperBoardRecord, hardwareKey), SLOT(hardwareKey), kObjectNameBytes),
    text(REC(StepperBoardRecord, objectName), SLOT(objectName), kObjectNameBytes),
    text(REC(StepperBoardRecord, axisObjectNames), SLOT(objectNames), kObjectNameBytes, 4),
};

constexpr FieldLink kComPort[] = {
    kBoardName,
    num(REC(ComPortBoardRecord, ioAddress), SLOT(ioAddress)),
    num(REC(ComPortBoardRecord, irqNo), SLOT(irqNo)),
    num(REC(ComPortBoardRecord, dma), SLOT(dma)),
    num(REC(ComPortBoardRecord, memoryAddress), SLOT(memoryAddress)),
    num(REC(ComPortBoardRecord, channelFirst), SLOT(channelFirst)),
    num(REC(ComPortBoardRecord, channelLast), SLOT(channelLast)),
    num(REC(ComPortBoardRecord, boardId), SLOT(boardId)),
    num(REC(ComPortBoardRecord, slotNo), SLOT(slotNo)),
    num(REC(ComPortBoardRecord, portOption), SLOT(portOption)),
    text(REC(ComPortBoardRecord, hardwareKey), SLOT(hardwareKey), kObjectNameBytes),
    text(REC(ComPortBoardRecord, objectNames), SLOT(objectNames), kObjectNameBytes, 8),
    num(REC(ComPortBoardRecord, forceFifoEnable), SLOT(forceFifoEnable)),
    num(REC(ComPortBoardRecord, rxFifo), SLOT(rxFifo)),
    num(REC(ComPortBoardRecord, txFifo), SLOT(txFifo)),
};

#undef REC
#undef SLOT

constexpr KindFieldMap kMaps[] = {
    {kSerial, nullptr, nullptr},
    {kAnalog, &kAnalogInterrupt, &kAnalogGroupName},
    {kDigital, &kDigitalInterrupts, &kDigitalGroupName},
    {kGpib, nullptr, nullptr},
    {kCounter, nullptr, nullptr},
    {kStepper, nullptr, nullptr},
    {kComPort, nullptr, nullptr},
};

void copyText(char* to, std::size_t bytes, const char* from) {
  const std::size_t length = strnlen(from, bytes - 1);
  std::memcpy(to, from, length);
  to[length] = '\0';
}

void copyField(const FieldLink& link, unsigned char* to, const unsigned char* from) {
  if (!link.text) {
    std::memcpy(to, from, link.bytes);
    return;
  }
  for (std::size_t i = 0; i < link.count; ++i) {
    copyText(reinterpret_cast<char*>(to + i * link.bytes), link.bytes,
             reinterpret_cast<const char*>(from + i * link.bytes));
  }
}

}  // namespace

const KindFieldMap* FieldMapOf(int32_t kind) {
  if (kind >= 1 && kind <= 7) return &kMaps[kind - 1];
  if (kind == 10) return &kMaps[4];  // the module series has the counter's record
  return nullptr;
}

void CopyToSlot(const FieldLink& link, const unsigned char* record, unsigned char* slot) {
  copyField(link, slot + link.slot, record + link.record);
}

void CopyToRecord(const FieldLink& link, const unsigned char* slot, unsigned char* record) {
  copyField(link, record + link.record, slot + link.slot);
}

}  // namespace tarnix
