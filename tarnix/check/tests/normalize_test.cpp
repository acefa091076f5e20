// The normaliser: what each kind's unused resources become, in check mode
// and in store mode.
#include <gtest/gtest.h>

#include "check/checker.h"
#include "support/valid_records.h"

namespace tarnix::testing {
namespace {

constexpr int32_t kCheck = 1;
constexpr int32_t kStore = 2;

class Normalize : public ::testing::Test {
 protected:
  FakeLibrary fake;
};

TEST_F(Normalize, ResourcesABusGivesOrABoardDoesNotUse) {
  // A PCI counter: its bus assigns I/O and line, so the store drops them;
  // the check keeps them. Slot, DMA and memory never count.
  for (int32_t mode : {kCheck, kStore}) {
    auto r = ValidCounter();
    std::strcpy(r.head.boardName, "CNT-4(PCI)");
    r.boardId = 2, r.slotNo = 3, r.dma = 1, r.memoryAddress = 0xD000;
    NormalizeBoardRecord(5, &r, mode);
    EXPECT_EQ(r.ioAddress, mode == kStore ? -1 : 0x220);
    EXPECT_EQ(r.irqNo, mode == kStore ? -1 : 5);
    EXPECT_EQ(r.slotNo, mode == kStore ? -1 : 3);
    EXPECT_EQ(r.boardId, 2);
    EXPECT_EQ(r.dma, -1);
    EXPECT_EQ(r.memoryAddress, -1);
  }
  // A legacy board has no BoardID; a module-series one keeps it.
  auto legacy = ValidCounter();
  legacy.boardId = 2;
  NormalizeBoardRecord(5, &legacy, kCheck);
  EXPECT_EQ(legacy.boardId, -1);
  auto module = ValidModule();
  module.boardId = 2;
  NormalizeBoardRecord(10, &module, kCheck);
  EXPECT_EQ(module.boardId, 2);
}

TEST_F(Normalize, GroupLinesStayWithTheFirstBoard) {
  auto second = ValidDigital();
  second.head.boardNumber = 2;
  NormalizeBoardRecord(3, &second, kCheck);
  for (int32_t line : second.irqNos) EXPECT_EQ(line, -1);
  auto first = ValidAnalog();
  NormalizeBoardRecord(2, &first, kCheck);
  EXPECT_EQ(first.irqNo, 10);
}

TEST_F(Normalize, KindRules) {
  auto gpib = ValidGpib();
  gpib.handshakeTiming = 1000;
  NormalizeBoardRecord(4, &gpib, kCheck);
  EXPECT_EQ(gpib.handshakeTiming, 500);
  gpib.handshakeTiming = 2000;
  NormalizeBoardRecord(4, &gpib, kCheck);
  EXPECT_EQ(gpib.handshakeTiming, 2000);

  auto stepper = ValidStepper();
  NormalizeBoardRecord(6, &stepper, kCheck);
  EXPECT_EQ(stepper.axisNum, 4);

  auto com = ValidComPort();
  std::strcpy(com.head.boardName, "COM-4(PCI)");
  com.channelFirst = 9, com.channelLast = 0;
  NormalizeBoardRecord(7, &com, kCheck);
  EXPECT_EQ(com.channelLast, 12);
  EXPECT_EQ(com.portOption, 1);

  // Digital driver versions 2.02 to 2.41 know the model by its variant name.
  World().digitalVersion = 210;
  auto digital = ValidDigital();
  NormalizeBoardRecord(3, &digital, kCheck);
  EXPECT_STREQ(digital.head.boardName, "DIO-32V");
}

TEST_F(Normalize, SerialPortsBeyondTheRangeAndSharedLines) {
  auto r = ValidSerial();
  r.channelLast = 2;  // ports 3 and 4 unused
  r.ioAddresses[1] = 0x1A0, r.ioAddresses[2] = 0x1A8;
  NormalizeBoardRecord(1, &r, kCheck);
  EXPECT_EQ(r.ioAddresses[2], -1);
  EXPECT_EQ(r.irqNos[2], -1);
  EXPECT_STREQ(r.comController, "16550");

  // Ports of a shared controller follow the first of them with a line.
  auto shared = ValidSerial();
  const int32_t io[4] = {0x3F8, 0x1A0, 0x1A8, 0x1B0};
  const int32_t irq[4] = {4, 3, 9, 0};
  std::memcpy(shared.ioAddresses, io, sizeof io);
  std::memcpy(shared.irqNos, irq, sizeof irq);
  NormalizeBoardRecord(1, &shared, kCheck);
  EXPECT_EQ(shared.irqNos[0], 4);
  EXPECT_EQ(shared.irqNos[2], 3);
  EXPECT_EQ(shared.irqNos[3], 3);
}

TEST_F(Normalize, SerialModelWithMoreChannelsThanPortsStaysInsideTheRecord) {
  // Sixteen channels on a PC-98: only the eight ports take the first base.
  World().machineType = 1;
  auto r = ValidSerial();
  std::strcpy(r.head.boardName, "SER-16(ISA)");
  r.channelFirst = 1, r.channelLast = 16;
  for (int i = 0; i < 8; ++i) r.irqNos[i] = 3 + i;
  NormalizeBoardRecord(1, &r, kCheck);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(r.ioAddresses[i], 0x3F8);
    EXPECT_EQ(r.irqNos[i], 3 + i);
  }
}

TEST_F(Normalize, PcCardSerialStoreKeepsOnlyTheFirstPortUnderNt) {
  for (uint32_t os : {kOsNt5, kOsWin9x}) {
    World().osGeneration = os;
    auto r = ValidSerial();
    std::strcpy(r.head.boardName, "SER-4(PC)");
    NormalizeBoardRecord(1, &r, kStore);
    EXPECT_EQ(r.ioAddresses[0], os == kOsNt5 ? 0x3F8 : -1);
    EXPECT_EQ(r.ioAddresses[1], -1);
  }
}

}  // namespace
}  // namespace tarnix::testing
