// Board-memory input at the driver's requests: what a rejected set-up or
// read leaves alone, the sample count the driver chooses, the wait that
// starts the board and ends by its interrupt, and the address and direct
// data requests.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "driver_fixture.h"
#include "support/hooked_board.h"

namespace {

class BoardMemoryTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    ASSERT_EQ(startOneBoard(), STATUS_SUCCESS);
    h_ = open();
    ASSERT_EQ(openGroup(h_, 1), XAN_OK);
  }
  // Mode 4 over channels 0 and 1, 100 us a scan, started by software.
  XanRequest request(int32_t samples, int16_t triggerSource = 0) {
    XanRequest r{};
    r.bdMem.handle = value(h_);
    r.bdMem.mode = 4;
    r.bdMem.channelListAddress = reinterpret_cast<uintptr_t>(channels_);
    r.bdMem.channelCount = 2;
    r.bdMem.samplesPerChannel = samples;
    r.bdMem.scanClock = 399;
    r.bdMem.samplingClock = 3999;
    r.bdMem.triggerSource = triggerSource;
    return r;
  }
  int16_t setUp(XanRequest r) {
    EXPECT_TRUE(send(h_, XAN_INP_BD_MEM, r));
    return r.bdMem.result;
  }
  void run(uint64_t us) {
    for (uint64_t t = 0; t < us; t += 100) plat::bus::Advance(100'000);
  }
  morvelboard::Registers registers() { return boards_.at(0)->Snapshot(); }

  uint16_t channels_[2] = {0, 1};
  HANDLE h_ = nullptr;
};

TEST_F(BoardMemoryTest, ARequestWhileTheInputRunsIsRefusedAndLeavesItsMemory) {
  ASSERT_EQ(setUp(request(1000)), XAN_OK);
  run(1000);
  const morvelboard::Registers before = registers();
  ASSERT_GT(before.writeAddress, 0u);
  EXPECT_EQ(setUp(request(10)), XAN_E_BUSY);
  const morvelboard::Registers after = registers();
  EXPECT_GE(after.writeAddress, before.writeAddress);
  EXPECT_EQ(after.sampleCount, 999u);
}

TEST_F(BoardMemoryTest, SampleCountMinusOneInModeFourTakesFiveHundred) {
  XanRequest r = request(-1);
  ASSERT_TRUE(send(h_, XAN_INP_BD_MEM, r));
  EXPECT_EQ(r.bdMem.result, XAN_OK);
  EXPECT_EQ(r.bdMem.samplesPerChannel, 500);
  EXPECT_EQ(registers().sampleCount, 499u);
  // ... and programs the board to run free: two channels, free-run bit.
  EXPECT_EQ(registers().functionWord, 0x1088);
  run(60'000);  // 600 scans
  XanRequest status{};
  status.notifyStatus.handle = value(h_);
  ASSERT_TRUE(send(h_, XAN_BD_MEM_STATUS, status));
  EXPECT_EQ(status.notifyStatus.state, XAN_STATE_STARTED);
  EXPECT_EQ(registers().writeAddress, 1200u);
}

TEST_F(BoardMemoryTest, ReadsThatAskForMoreThanTheMemoryHoldsAreRefused) {
  ASSERT_EQ(setUp(request(10)), XAN_OK);
  run(2000);
  std::vector<uint16_t> data(40);
  const struct {
    int32_t scans;
    int16_t result;
  } cases[] = {{0, XAN_E_SCANS}, {-5, XAN_E_SCANS}, {11, XAN_E_SCANS}, {4, XAN_OK}, {7, XAN_E_SCANS}, {6, XAN_OK}};
  for (const auto& c : cases) {
    XanRequest r{};
    r.readBuf.handle = value(h_);
    r.readBuf.scans = c.scans;
    r.readBuf.arrayAddress = reinterpret_cast<uintptr_t>(data.data());
    ASSERT_TRUE(send(h_, XAN_READ_BUF, r));
    EXPECT_EQ(r.readBuf.result, c.result) << c.scans;
  }
}

// More values than the driver hands over at once: each in its place.
TEST_F(BoardMemoryTest, AReadOfManyScansFillsTheWholeArray) {
  ASSERT_EQ(setUp(request(600)), XAN_OK);
  run(61'000);
  std::vector<uint16_t> data(1200, 0xEEEE);
  XanRequest r{};
  r.readBuf.handle = value(h_);
  r.readBuf.scans = 600;
  r.readBuf.arrayAddress = reinterpret_cast<uintptr_t>(data.data());
  ASSERT_TRUE(send(h_, XAN_READ_BUF, r));
  ASSERT_EQ(r.readBuf.result, XAN_OK);
  EXPECT_EQ(std::count(data.begin(), data.end(), 0xEEEE), 0);
}

// The caller gives its array up between the frame's probe and the copy.
TEST_F(BoardMemoryTest, AnArrayGivenUpDuringTheReadIsRefusedWithoutAFault) {
  const morvel00test::BoardEntry entry = morvel00test::DefaultBoard();
  auto hooked = std::make_shared<morvel00test::HookedBoard>(boards_.at(0));
  plat::bus::Unplug(entry.slot);
  ASSERT_TRUE(plat::bus::Plug(entry.slot, entry.spec.interruptLine, hooked));
  ASSERT_EQ(setUp(request(10)), XAN_OK);
  run(2000);
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  void* array = mmap(nullptr, page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(array, MAP_FAILED);
  for (const uint32_t offset : {XAN_READ_BUF, XAN_GET_AI_DATA}) {
    ASSERT_EQ(mprotect(array, page, PROT_READ | PROT_WRITE), 0);
    XanRequest r{};
    r.head.handle = value(h_);
    if (offset == XAN_READ_BUF) {
      r.readBuf.scans = 4;
      r.readBuf.arrayAddress = reinterpret_cast<uintptr_t>(array);
    } else {
      r.aiData.number = 4;
      r.aiData.arrayAddress = reinterpret_cast<uintptr_t>(array);
    }
    hooked->atNextRead([&] { mprotect(array, page, PROT_NONE); });
    EXPECT_FALSE(send(h_, offset, r)) << offset;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER)) << offset;
  }
  munmap(array, page);
}

TEST_F(BoardMemoryTest, ANullDestinationFailsTheCallAndLeavesTheMask) {
  ASSERT_EQ(setUp(request(10, 1)), XAN_OK);
  const uint16_t mask = registers().mask;
  ASSERT_NE(mask, 0xFFFF);
  XanRequest r{};
  r.readBuf.handle = value(h_);
  r.readBuf.scans = 1;
  EXPECT_FALSE(send(h_, XAN_READ_BUF, r));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
  EXPECT_EQ(registers().mask, mask);
}

TEST_F(BoardMemoryTest, TheWaitStartsTheBoardAndItsEndInterruptCompletesIt) {
  ASSERT_EQ(setUp(request(10, 1)), XAN_OK);
  run(2000);
  EXPECT_EQ(registers().writeAddress, 0u);  // waits for its wait

  XanRequest wait{};
  wait.wait.handle = value(h_);
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DeviceIoControl(h_, XanCode(XAN_WAIT_BD_MEM), &wait, 32, &wait, 32, nullptr, &overlapped);
  EXPECT_EQ(WaitForSingleObject(overlapped.hEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  run(3000);
  EXPECT_EQ(WaitForSingleObject(overlapped.hEvent, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(wait.wait.memoryFlag, 1);
  CloseHandle(overlapped.hEvent);

  XanRequest status{};
  status.notifyStatus.handle = value(h_);
  ASSERT_TRUE(send(h_, XAN_BD_MEM_STATUS, status));
  EXPECT_EQ(status.notifyStatus.state, XAN_STATE_FINISHED);
  EXPECT_EQ(registers().writeAddress, 20u);
}

TEST_F(BoardMemoryTest, AddressesSetAndReadBackAndAResetClearsThem) {
  XanRequest r{};
  r.value.handle = value(h_);
  r.value.value = 0x1234;
  ASSERT_TRUE(send(h_, XAN_SET_WRITE_ADDRESS, r));
  r.value.value = 0x0100;
  ASSERT_TRUE(send(h_, XAN_SET_READ_ADDRESS, r));
  auto get = [&](uint32_t offset) {
    uint32_t out = 0xDEAD;
    XanRequest q{};
    q.address.handle = value(h_);
    q.address.address = reinterpret_cast<uintptr_t>(&out);
    EXPECT_TRUE(send(h_, offset, q));
    EXPECT_EQ(q.address.result, XAN_OK);
    return out;
  };
  EXPECT_EQ(get(XAN_GET_WRITE_ADDRESS), 0x1234u);
  EXPECT_EQ(get(XAN_GET_READ_ADDRESS), 0x0100u);
  XanRequest reset{};
  reset.head.handle = value(h_);
  ASSERT_TRUE(send(h_, XAN_MEMORY_RESET, reset));
  EXPECT_EQ(get(XAN_GET_WRITE_ADDRESS), 0u);
  EXPECT_EQ(get(XAN_GET_READ_ADDRESS), 0u);
}

// Its answer is one u16: the word after it is not the driver's.
TEST_F(BoardMemoryTest, DataReadyWritesOneWord) {
  uint16_t words[2] = {0xAAAA, 0xBBBB};
  XanRequest r{};
  r.address.handle = value(h_);
  r.address.address = reinterpret_cast<uintptr_t>(words);
  ASSERT_TRUE(send(h_, XAN_IS_DATA_READY, r));
  EXPECT_LE(words[0], 1);
  EXPECT_EQ(words[1], 0xBBBB);
}

TEST_F(BoardMemoryTest, ReadingPastTheDataAnswers815AndPutsTheSavedMaskBack) {
  ASSERT_EQ(setUp(request(2, 1)), XAN_OK);  // leaves the trigger's mask as the saved one
  const uint16_t mask = registers().mask;
  uint16_t values[4] = {};
  XanRequest r{};
  r.aiData.handle = value(h_);
  r.aiData.number = 4;
  r.aiData.arrayAddress = reinterpret_cast<uintptr_t>(values);
  ASSERT_TRUE(send(h_, XAN_GET_AI_DATA, r));
  EXPECT_EQ(r.aiData.result, XAN_E_NO_DATA);
  EXPECT_EQ(registers().mask, mask);
}

}  // namespace
