// Interrupt lines: shared vectors, level-sensitive redelivery, and the
// interrupt lock of KeSynchronizeExecution.
#include <vector>

#include "kernel_fixture.h"

namespace {

struct Isr {
  std::shared_ptr<ntktest::TestCard> card;  // none: a foreign device's routine
  uint32_t port = 0;
  std::vector<char>* trace = nullptr;
  char mark = '?';
  int served = 0;
  bool insideCard = false;
};

BOOLEAN service(PKINTERRUPT, PVOID context) {
  auto* isr = static_cast<Isr*>(context);
  isr->trace->push_back(isr->mark);
  if (!isr->card) return FALSE;
  isr->insideCard = isr->insideCard || isr->card->busy();
  auto* status = reinterpret_cast<PUCHAR>(static_cast<uintptr_t>(isr->port));
  if (READ_PORT_UCHAR(status) == 0) return FALSE;
  WRITE_PORT_UCHAR(status, 0);
  ++isr->served;
  return TRUE;
}

class InterruptTest : public KernelTest {
 protected:
  PKINTERRUPT connect(Isr& isr, ULONG line = 5) {
    KIRQL irql = 0;
    KAFFINITY affinity = 0;
    const ULONG vector = HalGetInterruptVector(PCIBus, 0, line, line, &irql, &affinity);
    PKINTERRUPT interrupt = nullptr;
    EXPECT_EQ(IoConnectInterrupt(&interrupt, service, &isr, nullptr, vector, irql, irql, LevelSensitive, TRUE,
                                 affinity, FALSE),
              STATUS_SUCCESS);
    return interrupt;
  }
};

}  // namespace

TEST_F(InterruptTest, SharedRoutinesAreCalledInTurnWhileTheLineStaysUp) {
  auto card = plugCard(0x300);
  std::vector<char> trace;
  Isr foreign{nullptr, 0, &trace, 'f'};
  Isr ours{card, 0x300, &trace, 'o'};
  PKINTERRUPT first = connect(foreign);
  PKINTERRUPT second = connect(ours);
  card->Raise(2);
  EXPECT_TRUE(trace.empty()) << "a card's own call delivers nothing";
  plat::bus::Advance(0);
  // Each round asks the foreign routine first; the line stays up for the
  // second event, so a second round follows.
  EXPECT_EQ(std::string(trace.begin(), trace.end()), "fofo");
  EXPECT_EQ(ours.served, 2);
  EXPECT_FALSE(ours.insideCard);
  IoDisconnectInterrupt(second);
  IoDisconnectInterrupt(first);
}

TEST_F(InterruptTest, SynchronizeExecutionHoldsTheServiceRoutineOff) {
  auto card = plugCard(0x300);
  std::vector<char> trace;
  Isr ours{card, 0x300, &trace, 'o'};
  PKINTERRUPT interrupt = connect(ours);
  struct Context {
    Isr* isr;
    int servedInside;
  } context{&ours, -1};
  const BOOLEAN result = KeSynchronizeExecution(
      interrupt,
      [](PVOID c) -> BOOLEAN {
        auto* ctx = static_cast<Context*>(c);
        WRITE_PORT_UCHAR(reinterpret_cast<PUCHAR>(0x302), 0);  // the card raises its line
        ctx->servedInside = ctx->isr->served;
        return TRUE;
      },
      &context);
  EXPECT_TRUE(result);
  EXPECT_EQ(context.servedInside, 0);
  EXPECT_EQ(ours.served, 1) << "delivered once the lock was given back";
  IoDisconnectInterrupt(interrupt);
}

// Vectors of the first and last line connect, the ones beside them do not;
// a routine runs above dispatch level.
TEST_F(InterruptTest, ConnectTakesTheVectorsOfTheLinesAndLevelsAboveDispatch) {
  const struct {
    ULONG vector;
    KIRQL irql;
    NTSTATUS status;
  } rows[] = {
      {0x30, 27, STATUS_SUCCESS},          {0x47, 4, STATUS_SUCCESS},
      {0x2F, 27, STATUS_INVALID_PARAMETER}, {0x48, 4, STATUS_INVALID_PARAMETER},
      {0x35, DISPATCH_LEVEL + 1, STATUS_SUCCESS}, {0x35, DISPATCH_LEVEL, STATUS_INVALID_PARAMETER},
  };
  std::vector<char> trace;
  Isr isr{nullptr, 0, &trace, 'f'};
  for (const auto& row : rows) {
    PKINTERRUPT interrupt = nullptr;
    EXPECT_EQ(IoConnectInterrupt(&interrupt, service, &isr, nullptr, row.vector, row.irql, row.irql, LevelSensitive,
                                 TRUE, 1, FALSE),
              row.status)
        << std::hex << row.vector << " " << int{row.irql};
    IoDisconnectInterrupt(interrupt);
  }
}
