// The board-list records of the configuration library: what a
// configuration program holds for each board of one device kind. A board
// list is an unsigned 32-bit count followed by 64 records of the kind;
// every record begins with the same head and the model name. All numbers
// are signed 32-bit, -1 meaning none for resources; texts are
// NUL-terminated in their fixed fields.
#pragma once
#include <cstddef>
#include <cstdint>

#include <xan_board_config.h>

namespace tarnix {

using xanconfig::kBoardNameBytes;
using xanconfig::kComControllerBytes;
using xanconfig::kObjectNameBytes;

// The head every record begins with.
struct RecordHead {
  int32_t driverNumber;
  int32_t groupNumber;  // 1 to 16 for kinds 2 and 3, else 0
  int32_t boardNumber;  // from 1
  char boardName[kBoardNameBytes];
};
static_assert(sizeof(RecordHead) == 52);

// Kind 1.
struct SerialBoardRecord {
  RecordHead head;
  int32_t ioAddresses[8];
  int32_t irqNos[8];
  int32_t dma;
  int32_t memoryAddress;
  int32_t channelFirst;
  int32_t channelLast;
  int32_t boardId;
  int32_t slotNo;
  char hardwareKey[kObjectNameBytes];
  char notCarried[2];
  int32_t fifoFlowEnable;
  int32_t rxFifo;
  char comController[kComControllerBytes];
  char objectNames[8][kObjectNameBytes];
  int32_t txFifo;
  int32_t forceFifoEnable;
};
static_assert(offsetof(SerialBoardRecord, ioAddresses) == 52);
static_assert(offsetof(SerialBoardRecord, irqNos) == 84);
static_assert(offsetof(SerialBoardRecord, dma) == 116);
static_assert(offsetof(SerialBoardRecord, channelFirst) == 124);
static_assert(offsetof(SerialBoardRecord, boardId) == 132);
static_assert(offsetof(SerialBoardRecord, hardwareKey) == 140);
static_assert(offsetof(SerialBoardRecord, fifoFlowEnable) == 192);
static_assert(offsetof(SerialBoardRecord, comController) == 200);
static_assert(offsetof(SerialBoardRecord, objectNames) == 220);
static_assert(offsetof(SerialBoardRecord, txFifo) == 620);
static_assert(offsetof(SerialBoardRecord, forceFifoEnable) == 624);
static_assert(sizeof(SerialBoardRecord) == 628);

// Kind 2. IrqNo and ObjectName are the group's.
struct AnalogBoardRecord {
  RecordHead head;
  int32_t ioAddress;
  int32_t irqNo;
  int32_t dma;
  int32_t memoryAddress;
  int32_t boardConfig;
  int32_t boardId;
  int32_t slotNo;
  char hardwareKey[kObjectNameBytes];
  char objectName[kObjectNameBytes];
};
static_assert(offsetof(AnalogBoardRecord, irqNo) == 56);
static_assert(offsetof(AnalogBoardRecord, boardConfig) == 68);
static_assert(offsetof(AnalogBoardRecord, hardwareKey) == 80);
static_assert(offsetof(AnalogBoardRecord, objectName) == 130);
static_assert(sizeof(AnalogBoardRecord) == 180);

// Kind 3. The four interrupts and ObjectName are the group's.
struct DigitalBoardRecord {
  RecordHead head;
  int32_t ioAddress;
  int32_t irqNos[4];  // IrqNo, IrqNo2, IrqNo3, IrqNo4
  int32_t dma;
  int32_t memoryAddress;
  int32_t boardId;
  int32_t slotNo;
  char hardwareKey[kObjectNameBytes];
  char objectName[kObjectNameBytes];
};
static_assert(offsetof(DigitalBoardRecord, irqNos) == 56);
static_assert(offsetof(DigitalBoardRecord, dma) == 72);
static_assert(offsetof(DigitalBoardRecord, hardwareKey) == 88);
static_assert(offsetof(DigitalBoardRecord, objectName) == 138);
static_assert(sizeof(DigitalBoardRecord) == 188);

// Kind 4.
struct GpibBoardRecord {
  RecordHead head;
  int32_t ioAddress;
  int32_t irqNo;
  int32_t memoryAddress;
  int32_t myAddress;
  int32_t masterMode;
  int32_t dmaCh;
  int32_t dmaMode;
  int32_t handshakeTiming;
  int32_t boardId;
  int32_t slotNo;
  char hardwareKey[kObjectNameBytes];
  char objectName[kObjectNameBytes];
};
static_assert(offsetof(GpibBoardRecord, myAddress) == 64);
static_assert(offsetof(GpibBoardRecord, handshakeTiming) == 80);
static_assert(offsetof(GpibBoardRecord, hardwareKey) == 92);
static_assert(offsetof(GpibBoardRecord, objectName) == 142);
static_assert(sizeof(GpibBoardRecord) == 192);

// Kinds 5 and 10.
struct CounterBoardRecord {
  RecordHead head;
  int32_t ioAddress;
  int32_t irqNo;
  int32_t dma;
  int32_t memoryAddress;
  int32_t boardId;
  int32_t slotNo;
  char hardwareKey[kObjectNameBytes];
  char objectName[kObjectNameBytes];
};
static_assert(offsetof(CounterBoardRecord, hardwareKey) == 76);
static_assert(offsetof(CounterBoardRecord, objectName) == 126);
static_assert(sizeof(CounterBoardRecord) == 176);

// Kind 6.
struct StepperBoardRecord {
  RecordHead head;
  int32_t ioAddress;
  int32_t irqNo1;
  int32_t irqNo2;
  int32_t dma;
  int32_t memoryAddress;
  int32_t boardId;
  int32_t slotNo;
  int32_t axisNum;
  int32_t baseEnhMode;
  char hardwareKey[kObjectNameBytes];
  char objectName[kObjectNameBytes];
  char axisObjectNames[4][kObjectNameBytes];
};
static_assert(offsetof(StepperBoardRecord, axisNum) == 80);
static_assert(offsetof(StepperBoardRecord, hardwareKey) == 88);
static_assert(offsetof(StepperBoardRecord, objectName) == 138);
static_assert(offsetof(StepperBoardRecord, axisObjectNames) == 188);
static_assert(sizeof(StepperBoardRecord) == 388);

// Kind 7.
struct ComPortBoardRecord {
  RecordHead head;
  int32_t ioAddress;
  int32_t irqNo;
  int32_t dma;
  int32_t memoryAddress;
  int32_t channelFirst;
  int32_t channelLast;
  int32_t boardId;
  int32_t slotNo;
  int32_t portOption;
  char hardwareKey[kObjectNameBytes];
  char objectNames[8][kObjectNameBytes];
  char notCarried[2];
  int32_t forceFifoEnable;
  int32_t rxFifo;
  int32_t txFifo;
};
static_assert(offsetof(ComPortBoardRecord, channelFirst) == 68);
static_assert(offsetof(ComPortBoardRecord, portOption) == 84);
static_assert(offsetof(ComPortBoardRecord, hardwareKey) == 88);
static_assert(offsetof(ComPortBoardRecord, objectNames) == 138);
static_assert(offsetof(ComPortBoardRecord, forceFifoEnable) == 540);
static_assert(sizeof(ComPortBoardRecord) == 552);

// Kind 9: one WDM analog device, as its device key and the class key hold
// it; -1 for a resource that is missing.
struct WdmDeviceRecord {
  int32_t ioLast;  // last address of the I/O range
  int32_t reserved1[2];
  char driverDesc[kBoardNameBytes];  // the device's model text
  int32_t ioFirst;                   // first address of the I/O range
  int32_t irq;
  int32_t reserved2[3];
  int32_t boardId;
  int32_t reserved3;
  char deviceKey[kObjectNameBytes];   // the subkey under the Devices key
  char deviceName[kObjectNameBytes];  // what applications open the device by
};
static_assert(offsetof(WdmDeviceRecord, driverDesc) == 12);
static_assert(offsetof(WdmDeviceRecord, ioFirst) == 52);
static_assert(offsetof(WdmDeviceRecord, irq) == 56);
static_assert(offsetof(WdmDeviceRecord, boardId) == 72);
static_assert(offsetof(WdmDeviceRecord, deviceKey) == 80);
static_assert(offsetof(WdmDeviceRecord, deviceName) == 130);
static_assert(sizeof(WdmDeviceRecord) == 180);
inline constexpr std::size_t kWdmDeviceRecordBytes = sizeof(WdmDeviceRecord);

inline constexpr uint32_t kListRecords = xanconfig::kListRecords;

// A board list of one record type.
template <typename Record>
struct BoardList {
  uint32_t count;
  Record records[kListRecords];
};
static_assert(sizeof(BoardList<SerialBoardRecord>) == 40196);
static_assert(sizeof(BoardList<AnalogBoardRecord>) == 11524);
static_assert(sizeof(BoardList<DigitalBoardRecord>) == 12036);
static_assert(sizeof(BoardList<GpibBoardRecord>) == 12292);
static_assert(sizeof(BoardList<CounterBoardRecord>) == 11268);
static_assert(sizeof(BoardList<StepperBoardRecord>) == 24836);
static_assert(sizeof(BoardList<ComPortBoardRecord>) == 35332);
static_assert(sizeof(BoardList<WdmDeviceRecord>) == 11524);

}  // namespace tarnix
