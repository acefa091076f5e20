// Pended waits end by an interrupt and the event DPC, by the polling timer,
// by a cancel, by a newer wait or by close. The test plays the part of the
// handlers that arm an acquisition (the record's mask and flags), through
// the probe build of the driver.
#include <board_record.h>

#include "driver_fixture.h"

namespace {

using morvel00::XanBoardRecord;
using morvel00::XanDeviceExtension;

class WaitTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    ASSERT_EQ(start({{{morvel00test::DefaultBoard()}}}, morvel00test::kService, "Morvel00Probe"), STATUS_SUCCESS);
    auto extension = reinterpret_cast<XanDeviceExtension* (*)()>(
        GetProcAddress(LoadLibraryA("Morvel00Probe"), "Morvel00ProbeExtension"));
    ASSERT_NE(extension, nullptr);
    rec_ = &extension()->records[0];
    h_ = open();
    ASSERT_EQ(openGroup(h_, 1), XAN_OK);
    doubles_ = NtkDoubleCompletions();
  }
  void TearDown() override {
    EXPECT_EQ(NtkDoubleCompletions(), doubles_);
    DriverTest::TearDown();
  }

  struct Wait {
    XanRequest record{};
    OVERLAPPED overlapped{};
    Wait() { overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
    ~Wait() { CloseHandle(overlapped.hEvent); }
    bool done() const { return WaitForSingleObject(overlapped.hEvent, 0) == WAIT_OBJECT_0; }
    NTSTATUS status() const { return static_cast<NTSTATUS>(overlapped.Internal); }
  };
  bool pend(Wait& w, uint32_t offset) {
    w.record.head.handle = value(h_);
    w.record.head.result = 77;
    const DWORD size = XanRecordSize(offset);
    return DeviceIoControl(h_, XanCode(offset), &w.record, size, &w.record, size, nullptr, &w.overlapped);
  }

  // What an armed acquisition leaves: the board raises the external-trigger
  // factor on its line, and the record lets it through.
  void raiseFactor() {
    auto* board = boards_.at(0).get();
    const uint32_t base = board->Spec().ioBase;
    auto command = [&](uint8_t code, std::initializer_list<uint8_t> data) {
      board->Out(base + morvelboard::kPortCommand, 1, code);
      for (uint8_t b : data) board->Out(base + morvelboard::kPortCommandData, 1, b);
    };
    command(morvelboard::kCmdLevel, {3});
    const uint16_t mask = morvelboard::kMaskAll & ~morvelboard::kFactorExtTrig;
    command(morvelboard::kCmdMask, {static_cast<uint8_t>(mask), static_cast<uint8_t>(mask >> 8)});
    command(morvelboard::kCmdExtTrigOpen, {});
    board->PulseExternalTrigger();
    plat::bus::Advance(1000);
  }
  morvelboard::Registers registers() { return boards_.at(0)->Snapshot(); }

  XanBoardRecord* rec_ = nullptr;
  HANDLE h_ = nullptr;
  ULONG doubles_ = 0;
};

TEST_F(WaitTest, AnInterruptCompletesOnlyTheWaitItIsFor) {
  Wait input, counter;
  ASSERT_TRUE(pend(input, XAN_WAIT_BACK));
  ASSERT_TRUE(pend(counter, XAN_WAIT_CNT));
  EXPECT_FALSE(input.done());
  rec_->savedMask = morvelboard::kMaskAll & ~morvelboard::kFactorExtTrig;

  // The counter's interrupt step runs; the input wait is not its business.
  raiseFactor();
  ASSERT_TRUE(counter.done());
  EXPECT_EQ(counter.status(), STATUS_SUCCESS);
  EXPECT_EQ(counter.overlapped.InternalHigh, ULONG_PTR{24});
  EXPECT_FALSE(input.done());
  EXPECT_EQ(registers().factors, 0) << "the factors are reset by the interrupt";
  EXPECT_EQ(registers().mask, morvelboard::kMaskAll);

  // Completion by the DPC: state 3 and the input wait.
  rec_->completeByDpc = 1;
  raiseFactor();
  ASSERT_TRUE(input.done());
  EXPECT_EQ(input.status(), STATUS_SUCCESS);
  EXPECT_EQ(input.record.head.result, XAN_OK);
  XanRequest r{};
  r.sts.handle = value(h_);
  ASSERT_TRUE(send(h_, XAN_STS, r));
  EXPECT_EQ(r.sts.state, XAN_STATE_DATA_READY);
}

TEST_F(WaitTest, AFactorMaskedByTheRecordIsNotOursAndOnlyGetsReset) {
  Wait input;
  ASSERT_TRUE(pend(input, XAN_WAIT_BACK));
  rec_->completeByDpc = 1;  // savedMask stays as start-up left it: all masked
  raiseFactor();
  EXPECT_FALSE(input.done());
  EXPECT_EQ(registers().factors, 0);
  EXPECT_FALSE(boards_.at(0)->InterruptAsserted());
  ASSERT_TRUE(CancelIo(h_));
  ASSERT_TRUE(input.done());
}

TEST_F(WaitTest, ThePollingTimerCompletesAWaitInDpcMode) {
  Wait input;
  ASSERT_TRUE(pend(input, XAN_WAIT_BACK));
  rec_->completeByDpc = 1;
  LARGE_INTEGER due;
  due.QuadPart = -10 * 10'000;  // 10 ms
  KeSetTimer(&rec_->timer, due, &rec_->timerDpc);
  plat::bus::Advance(9'000'000);
  EXPECT_FALSE(input.done());
  plat::bus::Advance(1'000'000);
  ASSERT_TRUE(input.done());
  EXPECT_EQ(input.status(), STATUS_SUCCESS);
}

TEST_F(WaitTest, ACancelledInputWaitDisarmsAndFreesTheBuffers) {
  const ULONG before = NtkPoolOutstanding(nullptr);
  rec_->acquisitionBuffer = static_cast<uint16_t*>(ExAllocatePool(NonPagedPool, 64));
  rec_->listCopy = static_cast<uint16_t*>(ExAllocatePool(NonPagedPool, 8));
  Wait input;
  ASSERT_TRUE(pend(input, XAN_WAIT_BACK));
  EXPECT_EQ(rec_->armed, 1);
  ASSERT_TRUE(CancelIo(h_));
  ASSERT_TRUE(input.done());
  EXPECT_EQ(input.status(), STATUS_CANCELLED);
  EXPECT_EQ(input.record.head.result, 77) << "a cancelled wait copies nothing back";
  EXPECT_EQ(rec_->armed, 0);
  EXPECT_EQ(rec_->acquisitionBuffer, nullptr);
  EXPECT_EQ(NtkPoolOutstanding(nullptr), before);
  EXPECT_EQ(registers().mask, morvelboard::kMaskAll);
}

TEST_F(WaitTest, ANewerWaitCancelsTheOneItReplacesAndCloseEndsTheRest) {
  Wait first, second, counter;
  ASSERT_TRUE(pend(first, XAN_WAIT_BD_MEM));
  ASSERT_TRUE(pend(second, XAN_WAIT_BACK));
  ASSERT_TRUE(first.done());
  EXPECT_EQ(first.status(), STATUS_CANCELLED);
  EXPECT_FALSE(second.done());
  ASSERT_TRUE(pend(counter, XAN_WAIT_CNT));
  XanRequest r{};
  r.close.handle = value(h_);
  ASSERT_TRUE(send(h_, XAN_CLOSE, r));
  for (Wait* w : {&second, &counter}) {
    ASSERT_TRUE(w->done());
    EXPECT_EQ(w->status(), STATUS_SUCCESS);
  }
}

}  // namespace
