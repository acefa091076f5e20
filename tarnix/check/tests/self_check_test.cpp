// Each check a record can fail on its own, kind by kind.
#include <gtest/gtest.h>

#include <functional>

#include "check/checker.h"
#include "library_state.h"
#include "support/valid_records.h"

namespace tarnix::testing {
namespace {

constexpr int32_t Byte(int32_t check, int32_t severity) { return check << 3 | severity; }

struct SelfCase {
  const char* what;
  int32_t kind;
  std::function<void(AnyRecord&)> change;
  int32_t expected;
  std::function<void()> world = [] {};
};

class SelfCheck : public ::testing::Test {
 protected:
  int32_t Check(int32_t kind, const AnyRecord& record) {
    AnyList empty;
    return CheckBoardRecord(kind, empty.bytes, record.bytes, kCheckAdd);
  }
  FakeLibrary fake;
};

TEST_F(SelfCheck, ValidRecordOfEveryKindPasses) {
  for (int32_t kind : {1, 2, 3, 4, 5, 6, 7, 10}) EXPECT_EQ(Check(kind, ValidRecord(kind)), 0) << "kind " << kind;
}

TEST_F(SelfCheck, EachFieldOutOfItsRange) {
  const SelfCase cases[] = {
      {"analog board 5 in group 17: the board test wins", 2,
       [](AnyRecord& r) { r.head().boardNumber = 5, r.head().groupNumber = 17; }, Byte(3, 1)},
      {"analog group 17", 2, [](AnyRecord& r) { r.head().groupNumber = 17; }, Byte(2, 1)},
      {"digital group 0", 3, [](AnyRecord& r) { r.head().groupNumber = 0; }, Byte(2, 1)},
      {"board 0", 5, [](AnyRecord& r) { r.head().boardNumber = 0; }, Byte(3, 1)},
      {"counter board 17", 5, [](AnyRecord& r) { r.head().boardNumber = 17; }, Byte(3, 1)},
      {"serial board 65", 1, [](AnyRecord& r) { r.head().boardNumber = 65; }, Byte(3, 1)},
      {"GPIB board 5", 4, [](AnyRecord& r) { r.head().boardNumber = 5; }, Byte(3, 1)},
      {"model of another kind", 5, [](AnyRecord& r) { std::strcpy(r.head().boardName, "ADA-16(ISA)"); }, Byte(4, 1)},
      {"I/O address 15", 10, [](AnyRecord& r) { r.as<CounterBoardRecord>().ioAddress = 15; }, Byte(5, 1)},
      {"serial port 3 at 0x10000", 1, [](AnyRecord& r) { r.as<SerialBoardRecord>().ioAddresses[2] = 0x10000; },
       Byte(5, 1)},
      {"line 16", 4, [](AnyRecord& r) { r.as<GpibBoardRecord>().irqNo = 16; }, Byte(6, 1)},
      {"line 16 of a PCI board is not tested", 4,
       [](AnyRecord& r) {
         std::strcpy(r.head().boardName, "GPB-1(PCI)");
         r.as<GpibBoardRecord>().irqNo = 16;
       },
       0},
      {"stepper second line 1", 6, [](AnyRecord& r) { r.as<StepperBoardRecord>().irqNo2 = 1; }, Byte(6, 1)},
      {"digital line 1", 3, [](AnyRecord& r) { r.as<DigitalBoardRecord>().irqNos[2] = 1; }, Byte(6, 1)},
      {"BoardConfig 4", 2, [](AnyRecord& r) { r.as<AnalogBoardRecord>().boardConfig = 4; }, Byte(9, 1)},
      {"serial ChannelFirst 0", 1, [](AnyRecord& r) { r.as<SerialBoardRecord>().channelFirst = 0; }, Byte(10, 1)},
      {"serial ChannelFirst -3", 1, [](AnyRecord& r) { r.as<SerialBoardRecord>().channelFirst = -3; },
       Byte(10, 1)},
      {"serial ChannelLast below ChannelFirst", 1,
       [](AnyRecord& r) { r.as<SerialBoardRecord>().channelFirst = 3, r.as<SerialBoardRecord>().channelLast = 2; },
       Byte(11, 1)},
      {"serial range longer than the model's channels", 1,
       [](AnyRecord& r) { r.as<SerialBoardRecord>().channelLast = 5; }, Byte(11, 1)},
      {"two-channel model on ports 3 and 4", 1,
       [](AnyRecord& r) {
         auto& s = r.as<SerialBoardRecord>();
         std::strcpy(s.head.boardName, "SER-2(PCI)");
         s.channelFirst = 3, s.channelLast = 4;
       },
       0},
      {"two-channel model on ports 3 to 5", 1,
       [](AnyRecord& r) {
         auto& s = r.as<SerialBoardRecord>();
         std::strcpy(s.head.boardName, "SER-2(PCI)");
         s.channelFirst = 3, s.channelLast = 5;
       },
       Byte(11, 1)},
      {"MyAddress 31", 4, [](AnyRecord& r) { r.as<GpibBoardRecord>().myAddress = 31; }, Byte(12, 1)},
      {"MyAddress -1", 4, [](AnyRecord& r) { r.as<GpibBoardRecord>().myAddress = -1; }, Byte(12, 1)},
      {"MasterMode 2", 4, [](AnyRecord& r) { r.as<GpibBoardRecord>().masterMode = 2; }, Byte(13, 1)},
      {"DmaCh 4", 4, [](AnyRecord& r) { r.as<GpibBoardRecord>().dmaCh = 4; }, Byte(14, 1)},
      {"DmaMode 3", 4, [](AnyRecord& r) { r.as<GpibBoardRecord>().dmaMode = 3; }, Byte(15, 1)},
      {"PCI BoardID 16", 5,
       [](AnyRecord& r) {
         std::strcpy(r.head().boardName, "CNT-4(PCI)");
         r.as<CounterBoardRecord>().boardId = 16;
       },
       Byte(17, 1)},
      {"two-bit BoardID 4", 3,
       [](AnyRecord& r) {
         std::strcpy(r.head().boardName, "QAT-48/48V(PCI)");
         r.as<DigitalBoardRecord>().boardId = 4;
       },
       Byte(17, 1)},
      {"bBaseENHMode 2", 6, [](AnyRecord& r) { r.as<StepperBoardRecord>().baseEnhMode = 2; }, Byte(22, 1)},
      {"COM ChannelFirst 300", 7, [](AnyRecord& r) { r.as<ComPortBoardRecord>().channelFirst = 300; }, Byte(10, 1)},
      {"COM ChannelFirst -1", 7, [](AnyRecord& r) { r.as<ComPortBoardRecord>().channelFirst = -1; }, Byte(10, 1)},
      {"port option 2 under NT is not tested", 7, [](AnyRecord& r) { r.as<ComPortBoardRecord>().portOption = 2; },
       0},
      {"port option 2 under Windows 9x", 7, [](AnyRecord& r) { r.as<ComPortBoardRecord>().portOption = 2; },
       Byte(21, 1), [] { World().osGeneration = kOsWin9x; }},
  };
  for (const SelfCase& c : cases) {
    World() = FakeWorld{};
    c.world();
    AnyRecord r = ValidRecord(c.kind);
    c.change(r);
    EXPECT_EQ(Check(c.kind, r), c.expected) << c.what;
    EXPECT_EQ(Library().extendedError[1], 0) << c.what;
  }
}

TEST_F(SelfCheck, SecondResourceOnOneBoardNamesTheBoardItself) {
  const SelfCase cases[] = {
      {"two serial ports at one address", 1, [](AnyRecord& r) { r.as<SerialBoardRecord>().ioAddresses[3] = 0x3F8; },
       Byte(5, 2)},
      {"two serial ports on one line", 1, [](AnyRecord& r) { r.as<SerialBoardRecord>().irqNos[3] = 4; }, Byte(6, 2)},
      {"two digital lines alike", 3, [](AnyRecord& r) { r.as<DigitalBoardRecord>().irqNos[3] = 11; }, Byte(6, 2)},
      {"two axis names alike", 6,
       [](AnyRecord& r) {
         std::strcpy(r.as<StepperBoardRecord>().axisObjectNames[1], "X");
         std::strcpy(r.as<StepperBoardRecord>().axisObjectNames[3], "X");
       },
       Byte(16, 2)},
  };
  for (const SelfCase& c : cases) {
    AnyRecord r = ValidRecord(c.kind);
    c.change(r);
    EXPECT_EQ(Check(c.kind, r), c.expected) << c.what;
    const RecordHead& h = r.head();
    EXPECT_EQ(Library().extendedError[1], Library().extendedError[0]) << c.what;
    EXPECT_EQ(Library().extendedError[0], c.kind << 26 | h.driverNumber << 16 | h.groupNumber << 6 | h.boardNumber);
  }
}

TEST_F(SelfCheck, SerialPortsThatMayShare) {
  // Ports behind one shared-interrupt controller may carry one line.
  AnyRecord shared = ValidRecord(1);
  auto& s = shared.as<SerialBoardRecord>();
  s.ioAddresses[0] = 0x1A0, s.ioAddresses[1] = 0x1A8;
  s.irqNos[0] = s.irqNos[1] = 4;
  EXPECT_EQ(Check(1, shared), 0);
  // A PC-98 or the one-unit model takes one base for all its ports.
  AnyRecord oneBase = ValidRecord(1);
  oneBase.as<SerialBoardRecord>().ioAddresses[1] = 0x3F8;
  World().machineType = 1;
  EXPECT_EQ(Check(1, oneBase), 0);
  World().machineType = 0;
  std::strcpy(oneBase.head().boardName, "LTU-5J(PC)");
  oneBase.as<SerialBoardRecord>().irqNos[1] = 4;
  EXPECT_EQ(Check(1, oneBase), 0);
}

TEST_F(SelfCheck, NameHeldByAnotherProgramNamesNoBoard) {
  World().heldNames = {"Scope"};
  AnyRecord r = ValidRecord(6);
  std::strcpy(r.as<StepperBoardRecord>().axisObjectNames[2], "Scope");
  EXPECT_EQ(Check(6, r), Byte(16, 2));
  EXPECT_EQ(Library().extendedError[1], 0);
}

}  // namespace
}  // namespace tarnix::testing
