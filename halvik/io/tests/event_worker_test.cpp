// The shared notification worker against a scripted family: its life from
// the first start over parking and waking to the close, wherever it waits,
// and the replacement of a worker that ended on a failure.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <vector>

#include "event_threads.h"
#include "event_worker.h"
#include "support/fake_roads.h"

namespace {

using namespace halvik;
using namespace halvik::io;
using halvik::testing::FakeRoads;

constexpr WorkerTraits kTraits{"TestEventThread", "XANTESTEVENT%X", NameKey::ThreadHandle, "XANTESTMUTEXA%X",
                               "XANTESTMUTEXB%X", "XANTESTEVENTWAIT%X", 2, 3, 3, 6};

// Each completed wait fetches the next scripted answer.
class ScriptedFamily final : public WorkerFamily {
 public:
  ScriptedFamily() : WorkerFamily(kTraits) {}
  Armed arm(WorkerContext& c) const override {
    event.store(c.completion.overlapped.hEvent);
    return Armed::Pending;
  }
  Fetched fetch(WorkerContext&) const override {
    fetches.fetch_add(1);
    return next.load();
  }
  mutable std::atomic<HANDLE> event{nullptr};
  mutable std::atomic<int> fetches{0};
  std::atomic<Fetched> next{Fetched::Again};
};

constexpr int kSlot = kSlotCnt1;

class EventWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override { roads.addDevice(5, kBusVirtual); }
  void TearDown() override { EndEventThreads(record()); }

  DeviceRecord& record() { return DeviceTable()[0]; }
  HANDLE thread() { return record().CntThread[1]; }
  WorkerSlot slot() { return WorkerSlot(0, kSlot); }

  // Bounded polls on what the worker does by itself.
  static bool within(const std::function<bool()>& done) {
    for (int i = 0; i < 2000 && !done(); ++i) Sleep(1);
    return done();
  }
  void start() {
    const uint32_t before = slot().arms();
    ASSERT_EQ(StartWorker(0, kSlot, family), 0);
    ASSERT_TRUE(within([&] { return slot().arms() != before; }));
  }
  // Completes the armed wait with the given answer.
  void complete(Fetched answer) {
    family.next = answer;
    const int before = family.fetches.load();
    SetEvent(family.event.load());
    ASSERT_TRUE(within([&] { return family.fetches.load() != before; }));
  }
  bool parked() { return slot().waitParked(kParkWaitMs); }

  FakeRoads roads;
  ScriptedFamily family;
};

TEST_F(EventWorkerTest, AParkedWorkerIsWokenByTheNextStartInsteadOfASecondOne) {
  start();
  HANDLE first = thread();
  complete(Fetched::Park);
  ASSERT_TRUE(parked());
  start();
  EXPECT_EQ(thread(), first);
  complete(Fetched::Again);  // waiting again, not parked
  WorkerSlot s = slot();
  EXPECT_FALSE(s.meetParked(60));
  EXPECT_EQ(s.startOrWake(family), kStatusWorkerBusy);
}

// The close must reach a worker in each of its waits, not only when parked.
TEST_F(EventWorkerTest, TheCloseEndsTheWorkerWhereverItWaits) {
  enum class Where { OnTheDriver, Parked, OnMutexA };
  for (Where where : {Where::OnTheDriver, Where::Parked, Where::OnMutexA}) {
    SCOPED_TRACE(static_cast<int>(where));
    start();
    WorkerSlot holder = slot();
    if (where == Where::Parked) {
      complete(Fetched::Park);
      ASSERT_TRUE(parked());
    }
    if (where == Where::OnMutexA) {
      ASSERT_TRUE(holder.takeMutexA(1000));
      SetEvent(family.event.load());  // the worker now waits for A
    }
    EXPECT_EQ(EndEventThreads(record()), 0);
    EXPECT_EQ(thread(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(record().MutexA[kSlot], INVALID_HANDLE_VALUE);
    EXPECT_EQ(record().CntWaitEvent[1], INVALID_HANDLE_VALUE);
  }
}

TEST_F(EventWorkerTest, AWorkerThatEndedOnAFailureIsReplacedByTheNextStart) {
  start();
  complete(Fetched::Failed);
  ASSERT_TRUE(within([&] { return WaitForSingleObject(thread(), 0) == WAIT_OBJECT_0; }));
  EXPECT_EQ(record().MutexB[kSlot], INVALID_HANDLE_VALUE);
  start();
  EXPECT_NE(WaitForSingleObject(thread(), 0), WAIT_OBJECT_0);
  complete(Fetched::Park);
  EXPECT_TRUE(parked());
}

struct Got {
  short id, message, channel;
  LONG param;
  void* user;
};
std::vector<Got> gGot;
void WINAPI onEvent(short id, short message, short channel, LONG param, void* user) {
  gGot.push_back({id, message, channel, param, user});
}

TEST_F(EventWorkerTest, DeliveryCallsTheCallbackAndPostsOnlyToAWindow) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "EventWorkerTestWindow";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  const HWND none = reinterpret_cast<HWND>(INVALID_HANDLE_VALUE);
  int user = 0;
  struct Case {
    int16_t kind;
    HWND window;
    XanCallBack proc;
    size_t posts, calls;
  } cases[] = {
      {0, window, onEvent, 1, 0}, {0, nullptr, onEvent, 0, 0}, {0, none, onEvent, 0, 0},
      {1, window, onEvent, 0, 1}, {1, window, nullptr, 0, 0},
  };
  for (const Case& c : cases) {
    gGot.clear();
    record().NotifyKind[kSlot] = c.kind;
    record().NotifyWindow[kSlot] = c.window;
    record().CallbackProc[kSlot] = c.proc;
    record().CallbackParam[kSlot] = &user;
    Deliver(record(), kSlot, "TestEventThread", 0x1041, "XANM_CNTE_END", 1, -7, (1 << 16) | 5);
    MSG m{};
    size_t posts = 0;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      ++posts;
      EXPECT_EQ(m.message, 0x1041u);
      EXPECT_EQ(m.wParam, static_cast<WPARAM>((1 << 16) | 5));
      EXPECT_EQ(m.lParam, -7);
    }
    EXPECT_EQ(posts, c.posts);
    ASSERT_EQ(gGot.size(), c.calls);
    if (c.calls == 1) {
      EXPECT_EQ(gGot[0].id, 5);
      EXPECT_EQ(gGot[0].channel, 1);
      EXPECT_EQ(gGot[0].param, -7);
      EXPECT_EQ(gGot[0].user, &user);
    }
  }
  DestroyWindow(window);
}

}  // namespace
