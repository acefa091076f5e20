// DPCs and timers on the manual clock.
#include "kernel_fixture.h"

using DeferredTest = KernelTest;

namespace {

struct Counter {
  int runs = 0;
  uint64_t at = 0;
  std::shared_ptr<ntktest::TestCard> card;
  uint64_t cardTime = 0;
};

VOID count(PKDPC, PVOID context, PVOID, PVOID) {
  auto* c = static_cast<Counter*>(context);
  ++c->runs;
  c->at = plat::bus::Now();
  if (c->card) c->cardTime = c->card->time();
}

}  // namespace

TEST_F(DeferredTest, AQueuedDpcIsQueuedOnceAndRunsOnlyInAdvance) {
  Counter counter;
  KDPC dpc;
  KeInitializeDpc(&dpc, count, &counter);
  EXPECT_TRUE(KeInsertQueueDpc(&dpc, nullptr, nullptr));
  EXPECT_FALSE(KeInsertQueueDpc(&dpc, nullptr, nullptr));
  EXPECT_EQ(counter.runs, 0);
  plat::bus::Advance(0);
  EXPECT_EQ(counter.runs, 1);
  // Taken off the queue, it does not run.
  EXPECT_TRUE(KeInsertQueueDpc(&dpc, nullptr, nullptr));
  EXPECT_TRUE(KeRemoveQueueDpc(&dpc));
  EXPECT_FALSE(KeRemoveQueueDpc(&dpc));
  plat::bus::Advance(0);
  EXPECT_EQ(counter.runs, 1);
}

TEST_F(DeferredTest, ATimerFiresAtItsDueTimeWithTheCardsToldFirst) {
  Counter counter;
  counter.card = plugCard();
  KDPC dpc;
  KTIMER timer;
  KeInitializeDpc(&dpc, count, &counter);
  KeInitializeTimer(&timer);
  const uint64_t start = plat::bus::Now();
  LARGE_INTEGER due;
  due.QuadPart = -10 * 10'000;  // 10 ms
  EXPECT_FALSE(KeSetTimer(&timer, due, &dpc));
  plat::bus::Advance(9'999'999);
  EXPECT_EQ(counter.runs, 0);
  plat::bus::Advance(5'000'000);
  ASSERT_EQ(counter.runs, 1);
  EXPECT_EQ(counter.at, start + 10'000'000);
  EXPECT_EQ(counter.cardTime, counter.at);
  EXPECT_FALSE(KeCancelTimer(&timer));
}

TEST_F(DeferredTest, LongRelativeDueTimesDoNotWrap) {
  Counter counter;
  KDPC dpc;
  KTIMER timer;
  KeInitializeDpc(&dpc, count, &counter);
  KeInitializeTimer(&timer);
  LARGE_INTEGER due;
  due.QuadPart = -65535LL * 100'000;  // 65,535 x 10 ms: past 32 bits
  KeSetTimer(&timer, due, &dpc);
  plat::bus::Advance(655'349'000'000ULL);
  EXPECT_EQ(counter.runs, 0);
  // Re-setting reports the timer was set; a cancel takes it off.
  EXPECT_TRUE(KeSetTimer(&timer, due, &dpc));
  EXPECT_TRUE(KeCancelTimer(&timer));
  plat::bus::Advance(700'000'000'000ULL);
  EXPECT_EQ(counter.runs, 0);
}
