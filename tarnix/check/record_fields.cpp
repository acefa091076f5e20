#include "record_fields.h"

namespace tarnix {

namespace {

#define AT(Record, field) static_cast<uint16_t>(offsetof(Record, field))

constexpr KindFields kFields[] = {
    {1, sizeof(SerialBoardRecord), 64, {AT(SerialBoardRecord, ioAddresses), 8}, {AT(SerialBoardRecord, irqNos), 8},
     AT(SerialBoardRecord, dma), AT(SerialBoardRecord, memoryAddress), AT(SerialBoardRecord, boardId),
     AT(SerialBoardRecord, slotNo), AT(SerialBoardRecord, hardwareKey), AT(SerialBoardRecord, channelFirst),
     AT(SerialBoardRecord, channelLast), {AT(SerialBoardRecord, objectNames), 8}, 8, false, kKeepOnPci},
    {2, sizeof(AnalogBoardRecord), 4, {AT(AnalogBoardRecord, ioAddress), 1}, {AT(AnalogBoardRecord, irqNo), 1},
     AT(AnalogBoardRecord, dma), AT(AnalogBoardRecord, memoryAddress), AT(AnalogBoardRecord, boardId),
     AT(AnalogBoardRecord, slotNo), AT(AnalogBoardRecord, hardwareKey), 0, 0, {AT(AnalogBoardRecord, objectName), 1},
     1, true, kKeepOnPci | kKeepOnModule},
    {3, sizeof(DigitalBoardRecord), 4, {AT(DigitalBoardRecord, ioAddress), 1}, {AT(DigitalBoardRecord, irqNos), 4},
     AT(DigitalBoardRecord, dma), AT(DigitalBoardRecord, memoryAddress), AT(DigitalBoardRecord, boardId),
     AT(DigitalBoardRecord, slotNo), AT(DigitalBoardRecord, hardwareKey), 0, 0,
     {AT(DigitalBoardRecord, objectName), 1}, 1, true, kKeepOnPci | kKeepOnModule},
    {4, sizeof(GpibBoardRecord), 4, {AT(GpibBoardRecord, ioAddress), 1}, {AT(GpibBoardRecord, irqNo), 1}, 0,
     AT(GpibBoardRecord, memoryAddress), AT(GpibBoardRecord, boardId), AT(GpibBoardRecord, slotNo),
     AT(GpibBoardRecord, hardwareKey), 0, 0, {AT(GpibBoardRecord, objectName), 1}, 1, false,
     kKeepOnPci | kKeepOnModule},
    {5, sizeof(CounterBoardRecord), 16, {AT(CounterBoardRecord, ioAddress), 1}, {AT(CounterBoardRecord, irqNo), 1},
     AT(CounterBoardRecord, dma), AT(CounterBoardRecord, memoryAddress), AT(CounterBoardRecord, boardId),
     AT(CounterBoardRecord, slotNo), AT(CounterBoardRecord, hardwareKey), 0, 0,
     {AT(CounterBoardRecord, objectName), 1}, 1, true, kKeepOnPci | kKeepOnModule},
    // The board's ObjectName and the four axis names lie one after the other.
    {6, sizeof(StepperBoardRecord), 16, {AT(StepperBoardRecord, ioAddress), 1}, {AT(StepperBoardRecord, irqNo1), 2},
     AT(StepperBoardRecord, dma), AT(StepperBoardRecord, memoryAddress), AT(StepperBoardRecord, boardId),
     AT(StepperBoardRecord, slotNo), AT(StepperBoardRecord, hardwareKey), 0, 0,
     {AT(StepperBoardRecord, objectName), 5}, 1, true, kKeepOnPci},
    {7, sizeof(ComPortBoardRecord), 64, {AT(ComPortBoardRecord, ioAddress), 1}, {AT(ComPortBoardRecord, irqNo), 1},
     AT(ComPortBoardRecord, dma), AT(ComPortBoardRecord, memoryAddress), AT(ComPortBoardRecord, boardId),
     AT(ComPortBoardRecord, slotNo), AT(ComPortBoardRecord, hardwareKey), AT(ComPortBoardRecord, channelFirst),
     AT(ComPortBoardRecord, channelLast), {AT(ComPortBoardRecord, objectNames), 8}, 8, false,
     kKeepOnPci | kKeepOnUsb},
    {10, sizeof(CounterBoardRecord), 16, {AT(CounterBoardRecord, ioAddress), 1}, {AT(CounterBoardRecord, irqNo), 1},
     AT(CounterBoardRecord, dma), AT(CounterBoardRecord, memoryAddress), AT(CounterBoardRecord, boardId),
     AT(CounterBoardRecord, slotNo), AT(CounterBoardRecord, hardwareKey), 0, 0,
     {AT(CounterBoardRecord, objectName), 1}, 1, true, kKeepOnPci | kKeepOnModule},
};

#undef AT

static_assert(offsetof(StepperBoardRecord, axisObjectNames) ==
              offsetof(StepperBoardRecord, objectName) + kObjectNameBytes);

}  // namespace

const KindFields* FieldsOf(int32_t kind) {
  for (const KindFields& f : kFields) {
    if (f.kind == kind) return &f;
  }
  return nullptr;
}

}  // namespace tarnix
