// Requests from CreateFileA and DeviceIoControl through the test driver:
// buffered round trip, pending waits, cancels, and an interrupt completing
// a wait.
#include <atomic>
#include <thread>

#include "kernel_fixture.h"

namespace {

class RequestTest : public KernelTest {
 protected:
  void SetUp() override {
    KernelTest::SetUp();
    card_ = plugCard();
    installDriver();
    ASSERT_EQ(NtkStartDriver(ntktest::kService, nullptr), STATUS_SUCCESS);
    doubles_ = NtkDoubleCompletions();
  }
  void TearDown() override {
    EXPECT_EQ(NtkDoubleCompletions(), doubles_);
    NTK_LEFTOVERS left{};
    EXPECT_EQ(NtkUnloadDriver(ntktest::kService, &left), STATUS_SUCCESS);
    KernelTest::TearDown();
  }

  static HANDLE open(DWORD flags = FILE_FLAG_OVERLAPPED) {
    return CreateFileA(ntktest::kDevicePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, flags, nullptr);
  }

  struct Wait {
    OVERLAPPED overlapped{};
    ULONG served = 0xDEAD;
    Wait() { overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
    ~Wait() { CloseHandle(overlapped.hEvent); }
    bool start(HANDLE device) {
      return DeviceIoControl(device, ntktest::kWait, nullptr, 0, &served, sizeof served, nullptr, &overlapped);
    }
    bool done() const { return WaitForSingleObject(overlapped.hEvent, 0) == WAIT_OBJECT_0; }
  };

  std::shared_ptr<ntktest::TestCard> card_;
  ULONG doubles_ = 0;
};

}  // namespace

TEST_F(RequestTest, ABufferedRequestComesBackThroughTheSystemBuffer) {
  HANDLE device = open(0);
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  unsigned char data[4] = {1, 2, 3, 0xFF};
  unsigned char reply[8] = {};
  DWORD returned = 0;
  ASSERT_TRUE(DeviceIoControl(device, ntktest::kEcho, data, sizeof data, reply, sizeof reply, &returned, nullptr));
  EXPECT_EQ(returned, 4u);
  EXPECT_EQ(reply[0], 2);
  EXPECT_EQ(reply[3], 0);
  EXPECT_EQ(reply[4], 0) << "no more than Information bytes come back";
  // A code the driver does not know fails with its status.
  EXPECT_FALSE(DeviceIoControl(device, CTL_CODE(0x8000, 0x8FF, METHOD_BUFFERED, 0), data, sizeof data, reply,
                               sizeof reply, &returned, nullptr));
  CloseHandle(device);
}

TEST_F(RequestTest, APendingWaitEndsByCancelIoOrCloseOnce) {
  for (bool byClose : {false, true}) {
    HANDLE device = open();
    Wait wait;
    // The driver answers success while it keeps the request.
    ASSERT_TRUE(wait.start(device));
    EXPECT_FALSE(wait.done());
    if (byClose) {
      CloseHandle(device);
    } else {
      ASSERT_TRUE(CancelIo(device));
    }
    ASSERT_TRUE(wait.done());
    EXPECT_EQ(static_cast<LONG>(wait.overlapped.Internal), STATUS_CANCELLED);
    EXPECT_EQ(wait.served, 0xDEADu) << "a cancelled wait copies nothing back";
    // The cancel routine took the IRP off: a later interrupt completes nothing twice.
    card_->Raise();
    plat::bus::Advance(0);
    if (!byClose) CloseHandle(device);
  }
}

TEST_F(RequestTest, AnInterruptCompletesTheWaitThroughIsrAndDpc) {
  HANDLE device = open();
  Wait wait;
  ASSERT_TRUE(wait.start(device));
  card_->Raise();
  EXPECT_FALSE(wait.done()) << "the line is only looked at by the machine";
  plat::bus::Advance(0);
  ASSERT_TRUE(wait.done());
  DWORD returned = 0;
  EXPECT_TRUE(GetOverlappedResult(device, &wait.overlapped, &returned, FALSE));
  EXPECT_EQ(returned, 4u);
  EXPECT_EQ(wait.served, 1u);
  EXPECT_EQ(card_->pending(), 0u);
  CloseHandle(device);
}

TEST_F(RequestTest, AThreadedMachineWakesABlockedCaller) {
  plat::bus::SetClockMode(plat::bus::ClockMode::Threaded);
  HANDLE device = open(0);
  std::atomic<ULONG> served{0};
  std::thread caller([&] {
    ULONG value = 0;
    DWORD returned = 0;
    DeviceIoControl(device, ntktest::kWait, nullptr, 0, &value, sizeof value, &returned, nullptr);
    served = value;
  });
  for (ULONG waiting = 0; waiting == 0;) {
    DWORD returned = 0;
    DeviceIoControl(device, ntktest::kWaiting, nullptr, 0, &waiting, sizeof waiting, &returned, nullptr);
    if (waiting == 0) std::this_thread::yield();
  }
  card_->Raise();
  caller.join();
  EXPECT_EQ(served.load(), 1u);
  CloseHandle(device);
}
