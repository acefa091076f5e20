// A record against the caller's list and against the boards configured for
// the other kinds.
#include <gtest/gtest.h>

#include <functional>

#include "check/check_steps.h"
#include "check/checker.h"
#include "library_state.h"
#include "support/valid_records.h"

namespace tarnix::testing {
namespace {

constexpr int32_t Byte(int32_t check, int32_t severity) { return check << 3 | severity; }
constexpr int32_t Word(int32_t kind, int32_t driver, int32_t group, int32_t board) {
  return kind << 26 | driver << 16 | group << 6 | board;
}

// The record and one list entry, both changed from the kind's valid record.
struct PairCase {
  const char* what;
  int32_t kind;
  int32_t mode;
  std::function<void(AnyRecord& record, AnyRecord& entry)> change;
  int32_t expected;
};

class ListCheck : public ::testing::Test {
 protected:
  FakeLibrary fake;
};

TEST_F(ListCheck, RecordAgainstAnEntry) {
  // The entry sits at board 2 (grouped kinds: group 2) with no resources
  // unless a case gives it some.
  const auto apart = [](int32_t kind, AnyRecord& e) {
    (kind == 2 || kind == 3 ? e.head().groupNumber : e.head().boardNumber) = 2;
    const FieldRun io = FieldsOf(kind)->io;
    const FieldRun irq = FieldsOf(kind)->irq;
    for (int i = 0; i < io.count; ++i) SetRun(e.bytes, io, i, -1);
    for (int i = 0; i < irq.count; ++i) SetRun(e.bytes, irq, i, -1);
  };
  const PairCase cases[] = {
      {"same I/O address", 5, kCheckAdd, [](AnyRecord&, AnyRecord& e) { e.as<CounterBoardRecord>().ioAddress = 0x220; },
       Byte(5, 2)},
      {"I/O address -1 on both", 5, kCheckAdd,
       [](AnyRecord& r, AnyRecord&) { r.as<CounterBoardRecord>().ioAddress = -1; }, 0},
      {"same line", 2, kCheckAdd, [](AnyRecord&, AnyRecord& e) { e.as<AnalogBoardRecord>().irqNo = 10; }, Byte(6, 2)},
      {"digital line against the entry's fourth", 3, kCheckAdd,
       [](AnyRecord&, AnyRecord& e) { e.as<DigitalBoardRecord>().irqNos[3] = 11; }, Byte(6, 2)},
      {"two PCI boards share a line", 5, kCheckAdd,
       [](AnyRecord& r, AnyRecord& e) {
         std::strcpy(r.head().boardName, "CNT-4(PCI)"), std::strcpy(e.head().boardName, "CNT-4(PCI)");
         e.as<CounterBoardRecord>().irqNo = 5;
       },
       0},
      {"a PCI and a legacy board do not", 5, kCheckAdd,
       [](AnyRecord& r, AnyRecord& e) {
         std::strcpy(r.head().boardName, "CNT-4(PCI)");
         e.as<CounterBoardRecord>().irqNo = 5;
       },
       Byte(6, 2)},
      {"same BoardID, same model", 5, kCheckAdd,
       [](AnyRecord& r, AnyRecord& e) {
         std::strcpy(r.head().boardName, "CNT-4(PCI)"), std::strcpy(e.head().boardName, "CNT-4(PCI)");
         r.as<CounterBoardRecord>().boardId = e.as<CounterBoardRecord>().boardId = 1;
       },
       Byte(17, 2)},
      {"same object name", 4, kCheckAdd,
       [](AnyRecord& r, AnyRecord& e) {
         std::strcpy(r.as<GpibBoardRecord>().objectName, "Bus");
         std::strcpy(e.as<GpibBoardRecord>().objectName, "Bus");
       },
       Byte(16, 2)},
      {"names differ in case only", 4, kCheckAdd,
       [](AnyRecord& r, AnyRecord& e) {
         std::strcpy(r.as<GpibBoardRecord>().objectName, "Bus");
         std::strcpy(e.as<GpibBoardRecord>().objectName, "BUS");
       },
       0},
      {"boards of one group share its name", 2, kCheckAdd,
       [](AnyRecord& r, AnyRecord& e) {
         e.head().groupNumber = 1;
         std::strcpy(r.as<AnalogBoardRecord>().objectName, "Ai");
         std::strcpy(e.as<AnalogBoardRecord>().objectName, "Ai");
       },
       0},
      {"PC cards in one slot", 2, kCheckAdd,
       [](AnyRecord& r, AnyRecord& e) {
         std::strcpy(r.head().boardName, "ADA-16(PC)"), std::strcpy(e.head().boardName, "ADA-16(PC)");
         r.as<AnalogBoardRecord>().slotNo = e.as<AnalogBoardRecord>().slotNo = 0;
       },
       Byte(18, 2)},
      {"PC cards with one hardware key", 2, kCheckAdd,
       [](AnyRecord& r, AnyRecord& e) {
         std::strcpy(r.head().boardName, "ADA-16(PC)"), std::strcpy(e.head().boardName, "ADA-16(PC)");
         std::strcpy(r.as<AnalogBoardRecord>().hardwareKey, "PCMCIA\\ADA-1");
         std::strcpy(e.as<AnalogBoardRecord>().hardwareKey, "PCMCIA\\ADA-1");
       },
       Byte(19, 2)},
      {"serial ranges overlap", 1, kCheckAdd,
       [](AnyRecord&, AnyRecord& e) {
         e.as<SerialBoardRecord>().channelFirst = 4, e.as<SerialBoardRecord>().channelLast = 5;
       },
       Byte(10, 2)},
      {"serial port names against all eight", 1, kCheckAdd,
       [](AnyRecord& r, AnyRecord& e) {
         std::strcpy(r.as<SerialBoardRecord>().objectNames[0], "COM9");
         std::strcpy(e.as<SerialBoardRecord>().objectNames[7], "COM9");
         e.as<SerialBoardRecord>().channelFirst = 9, e.as<SerialBoardRecord>().channelLast = 12;
       },
       Byte(16, 2)},
      {"COM ports from the driver take no range", 7, kCheckAdd,
       [](AnyRecord& r, AnyRecord&) { r.as<ComPortBoardRecord>().channelFirst = 0; }, 0},
      {"COM ranges overlap", 7, kCheckAdd,
       [](AnyRecord&, AnyRecord& e) { e.as<ComPortBoardRecord>().channelFirst = 6; }, Byte(10, 2)},
  };
  for (const PairCase& c : cases) {
    AnyRecord record = ValidRecord(c.kind);
    AnyRecord entry = ValidRecord(c.kind);
    apart(c.kind, entry);
    c.change(record, entry);
    AnyList list;
    list.add(c.kind, entry);
    EXPECT_EQ(CheckBoardRecord(c.kind, list.bytes, record.bytes, c.mode), c.expected) << c.what;
    if (c.expected != 0) {
      const RecordHead& e = entry.head();
      EXPECT_EQ(Library().extendedError[1], Word(c.kind, e.driverNumber, e.groupNumber, e.boardNumber)) << c.what;
    }
  }
}

TEST_F(ListCheck, OnlyModifyPassesOverTheRecordsOwnEntry) {
  AnyRecord record = ValidRecord(5);
  AnyList list;
  list.add(5, record);
  EXPECT_EQ(CheckBoardRecord(5, list.bytes, record.bytes, kCheckModify), 0);
  EXPECT_EQ(CheckBoardRecord(5, list.bytes, record.bytes, kCheckAdd), Byte(5, 2));
  EXPECT_EQ(CheckBoardRecord(5, list.bytes, record.bytes, kCheckInsert), Byte(5, 2));
}

// Configured boards of other kinds, as the registry reload gives them.
TEST_F(ListCheck, RecordAgainstConfiguredBoards) {
  TestList<ComPortBoardRecord> ports;
  ports.add(ValidComPort()).ioAddress = 0x300;
  TestList<StepperBoardRecord> steppers;
  auto& stepper = steppers.add(ValidStepper());
  stepper.ioAddress = 0x300;
  std::strcpy(stepper.axisObjectNames[0], "Axis");
  Configure(7, ports);
  Configure(6, steppers);

  // An analog board's I/O address meets the COM ports before the steppers.
  AnyList empty;
  AnyRecord analog = ValidRecord(2);
  EXPECT_EQ(CheckBoardRecord(2, empty.bytes, analog.bytes, kCheckAdd), Byte(5, 2));
  EXPECT_EQ(Library().extendedError[1], Word(7, 0, 0, 1));
  AnyRecord counter = ValidRecord(5);
  counter.as<CounterBoardRecord>().ioAddress = 0x300;
  EXPECT_EQ(CheckBoardRecord(5, empty.bytes, counter.bytes, kCheckAdd), Byte(5, 2));
  EXPECT_EQ(Library().extendedError[1], Word(6, 0, 0, 1));

  // Names meet every name of the other kinds: here a stepper's axis.
  std::strcpy(counter.as<CounterBoardRecord>().objectName, "Axis");
  counter.as<CounterBoardRecord>().ioAddress = 0x330;
  EXPECT_EQ(CheckBoardRecord(5, empty.bytes, counter.bytes, kCheckAdd), Byte(16, 2));

  // A stepper's axis name against the other configured steppers, not itself.
  AnyRecord same = ValidRecord(6);
  same.as<StepperBoardRecord>().ioAddress = 0x340;
  std::strcpy(same.as<StepperBoardRecord>().axisObjectNames[1], "Axis");
  EXPECT_EQ(CheckBoardRecord(6, empty.bytes, same.bytes, kCheckModify), 0);
  same.head().boardNumber = 2;
  EXPECT_EQ(CheckBoardRecord(6, empty.bytes, same.bytes, kCheckAdd), Byte(16, 2));
}

TEST_F(ListCheck, InterruptLinesAcrossKinds) {
  TestList<CounterBoardRecord> counters;
  counters.add(ValidCounter()).irqNo = 0;
  std::strcpy(counters.add(ValidCounter()).head.boardName, "CNT-4(PCI)");
  counters.list.records[1].ioAddress = -1;
  counters.list.records[1].irqNo = 10;
  Configure(5, counters);
  AnyList empty;
  AnyRecord analog = ValidRecord(2);
  EXPECT_EQ(CheckBoardRecord(2, empty.bytes, analog.bytes, kCheckAdd), Byte(6, 2));
  EXPECT_EQ(Library().extendedError[1], Word(5, 0, 0, 1));
  std::strcpy(analog.head().boardName, "ADA-16(PCI)");
  EXPECT_EQ(CheckBoardRecord(2, empty.bytes, analog.bytes, kCheckAdd), 0);  // both PCI
  // A line of 0 never meets the configured 0.
  analog.as<AnalogBoardRecord>().irqNo = 0;
  std::strcpy(analog.head().boardName, "ADA-16(ISA)");
  EXPECT_EQ(CheckBoardRecord(2, empty.bytes, analog.bytes, kCheckAdd), Byte(6, 1));  // but 0 is out of range
}

}  // namespace
}  // namespace tarnix::testing
