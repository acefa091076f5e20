// The checks every request gets before its handler: offsets without one,
// record lengths, caller addresses and handle values. A refused request
// makes no port access at all.
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "driver_fixture.h"
#include "support/hooked_board.h"

namespace {

class DispatchTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    ASSERT_EQ(startOneBoard(), STATUS_SUCCESS);
    owner_ = open();
    ASSERT_EQ(openGroup(owner_, 1), XAN_OK);
    board()->SetTrace(true);
  }
  morvelboard::MorvelBoard* board() { return boards_.at(0).get(); }
  // Port accesses since the last call.
  size_t accesses() { return board()->TakeTrace().size(); }

  HANDLE owner_ = nullptr;
};

TEST_F(DispatchTest, OffsetsWithoutAHandlerAnswerSuccessWithNoBytes) {
  for (uint32_t offset : {0x1Cu, 0x02u, 0xBCu, 0x1000u}) {
    XanRequest r{};
    r.head.handle = value(owner_);
    r.head.result = 77;
    EXPECT_EQ(send(owner_, offset, r), DWORD{0}) << offset;
    EXPECT_EQ(r.head.result, 77) << offset;
  }
  EXPECT_EQ(accesses(), 0u);
}

TEST_F(DispatchTest, ShortRecordsAreRefusedWithNothingCopiedBack) {
  struct Row {
    uint32_t offset;
    DWORD in, out;
    DWORD error;
  };
  const Row rows[] = {
      {XAN_CLOSE, 35, 36, ERROR_INVALID_PARAMETER},
      {XAN_CLOSE, 36, 8, ERROR_INSUFFICIENT_BUFFER},
      {XAN_STS, 16, 15, ERROR_INSUFFICIENT_BUFFER},
      {XAN_OPEN, 11, 12, ERROR_INVALID_PARAMETER},
      {XAN_WAIT_BACK, 32, 31, ERROR_INSUFFICIENT_BUFFER},
      {XAN_BINARY_TO_VOLT, 8, 12, ERROR_INVALID_PARAMETER},
  };
  for (const Row& row : rows) {
    XanRequest r{};
    r.head.handle = value(owner_);
    r.head.result = 77;
    EXPECT_FALSE(send(owner_, row.offset, r, row.in, row.out)) << row.offset;
    EXPECT_EQ(GetLastError(), row.error) << row.offset;
    EXPECT_EQ(r.head.result, 77) << row.offset;
  }
  EXPECT_EQ(accesses(), 0u);
  // The refused close closed nothing.
  EXPECT_EQ(openGroup(owner_, 1), XAN_E_HANDLE_OWNS);
}

TEST_F(DispatchTest, CallerAddressesAreProbedForTheLengthTheirCountsImply) {
  // As a channel list: channels no board has, so a handler that gets them
  // refuses them without a port access.
  uint16_t words[4] = {99, 99};
  const uint64_t good = reinterpret_cast<uintptr_t>(words);
  const uint64_t unmapped = 0x10;
  struct Row {
    uint32_t offset;
    void (*fill)(XanRequest&, uint64_t address, uint64_t list);
    uint64_t address;
    DWORD error;  // ERROR_SUCCESS: probed and passed on to the handler
  };
  auto singleIo = [](XanRequest& r, uint64_t a, uint64_t l) {
    r.singleIo.valuesAddress = a;
    r.singleIo.channelListAddress = l;
    r.singleIo.count = 2;
  };
  auto word = [](XanRequest& r, uint64_t a, uint64_t) { r.address.address = a; };
  auto range = [](XanRequest& r, uint64_t a, uint64_t) { r.getRange.codeAddress = a; };
  auto aiData = [](XanRequest& r, uint64_t a, uint64_t) {
    r.aiData.arrayAddress = a;
    r.aiData.number = 4;
  };
  const Row rows[] = {
      {XAN_INP, singleIo, good, ERROR_SUCCESS},
      {XAN_INP, singleIo, unmapped, ERROR_INVALID_USER_BUFFER},
      {XAN_INP, singleIo, good + 1, ERROR_INVALID_USER_BUFFER},  // off its alignment
      {XAN_OUT, singleIo, 0, ERROR_INVALID_USER_BUFFER},
      {XAN_IS_DATA_READY, word, 0, ERROR_INVALID_USER_BUFFER},
      {XAN_GET_WRITE_ADDRESS, word, unmapped, ERROR_INVALID_USER_BUFFER},
      {XAN_GET_RANGE, range, unmapped, ERROR_INVALID_USER_BUFFER},
      {XAN_GET_AI_DATA, aiData, good, ERROR_SUCCESS},
      {XAN_GET_AI_DATA, aiData, ~uint64_t{0} - 4, ERROR_INVALID_USER_BUFFER},  // wraps
  };
  for (const Row& row : rows) {
    XanRequest r{};
    r.head.handle = value(owner_);
    row.fill(r, row.address, good);
    const bool sent = send(owner_, row.offset, r).has_value();
    EXPECT_EQ(sent, row.error == ERROR_SUCCESS) << row.offset << " " << row.address;
    if (!sent) {
      EXPECT_EQ(GetLastError(), row.error) << row.offset << " " << row.address;
    }
    // A refused request reaches no port; a passed one may.
    const size_t touched = accesses();
    if (!sent) {
      EXPECT_EQ(touched, 0u) << row.offset << " " << row.address;
    }
  }
}

// Good memory that the probe cannot check, for no file descriptor is left
// to read the process's mappings, is the system's shortage: the caller is
// not told its buffer is bad.
TEST_F(DispatchTest, NoDescriptorLeftIsAResourceErrorNotABadBuffer) {
  uint16_t ready = 0xAAAA;
  XanRequest r{};
  r.address.handle = value(owner_);
  r.address.address = reinterpret_cast<uintptr_t>(&ready);
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
  rlimit lowered = limit;
  lowered.rlim_cur = std::min<rlim_t>(limit.rlim_cur, 256);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
  std::vector<int> taken;
  for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) taken.push_back(fd);
  const bool sent = send(owner_, XAN_IS_DATA_READY, r).has_value();
  const DWORD error = GetLastError();
  for (int fd : taken) ::close(fd);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
  EXPECT_FALSE(sent);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_NO_SYSTEM_RESOURCES));
  EXPECT_EQ(ready, 0xAAAA);
}

// Where the system refuses its copy between address ranges, the copy to the
// caller takes a pipe; with no descriptor left for it (taken while the
// driver works, after the probe) that too is the system's shortage. In a
// child of its own, whose filter refuses that copy for good.
TEST_F(DispatchTest, NoDescriptorForTheCopysPipeIsAResourceError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const morvel00test::BoardEntry entry = morvel00test::DefaultBoard();
  auto hooked = std::make_shared<morvel00test::HookedBoard>(boards_.at(0));
  plat::bus::Unplug(entry.slot);
  ASSERT_TRUE(plat::bus::Plug(entry.slot, entry.spec.interruptLine, hooked));
  uint16_t channels[2] = {0, 1};
  uint16_t values[2] = {};
  XanRequest r{};
  r.singleIo.handle = value(owner_);
  r.singleIo.valuesAddress = reinterpret_cast<uintptr_t>(values);
  r.singleIo.channelListAddress = reinterpret_cast<uintptr_t>(channels);
  r.singleIo.count = 2;
  auto requestWithoutCrossCopy = [&] {
    sock_filter refuse[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_process_vm_readv, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_process_vm_writev, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
    };
    sock_fprog program{static_cast<unsigned short>(std::size(refuse)), refuse};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, SECCOMP_FILTER_FLAG_TSYNC, &program) != 0) {
      std::_Exit(2);
    }
    rlimit lowered{256, 256};
    setrlimit(RLIMIT_NOFILE, &lowered);
    hooked->atNextRead([] {
      while (::open("/dev/null", O_RDONLY | O_CLOEXEC) >= 0) {
      }
    });
    const bool sent = send(owner_, XAN_INP, r).has_value();
    std::_Exit(sent ? 1 : GetLastError() == ERROR_NO_SYSTEM_RESOURCES ? 0 : 3);
  };
  EXPECT_EXIT(requestWithoutCrossCopy(), ::testing::ExitedWithCode(0), "");
}

TEST_F(DispatchTest, UnknownHandlesGetTheirAnswerAndTheBoardIsLeftAlone) {
  HANDLE stranger = open();
  struct Row {
    uint32_t offset;
    size_t at;  // where the answer stands
    int16_t answer;
  };
  const Row rows[] = {
      {XAN_STS, 4, XAN_E_UNKNOWN_HANDLE},       {XAN_CLOSE, 4, XAN_E_UNKNOWN_HANDLE},
      {XAN_INP, 4, XAN_E_UNKNOWN_HANDLE},       {XAN_BOARD_RESET, 4, XAN_E_UNKNOWN_HANDLE},
      {XAN_BACK_STATUS, 28, XAN_STATE_CLOSED},  {XAN_BD_MEM_STATUS, 28, XAN_STATE_CLOSED},
      {XAN_CNT_STATUS, 20, XAN_STATE_CLOSED},   {XAN_WAIT_BACK, 4, XAN_E_UNKNOWN_HANDLE},
      {XAN_WAIT_CNT, 4, XAN_E_UNKNOWN_HANDLE},  {XAN_WAIT_BD_MEM, 4, XAN_E_UNKNOWN_HANDLE},
  };
  // 0 is no handle either, though it is the owner value of every free record;
  // nor is the owner's value sent on another file.
  for (uint32_t handle : {value(stranger), 0u, value(owner_)}) {
    for (const Row& row : rows) {
      XanRequest r{};
      r.head.handle = handle;
      ASSERT_EQ(send(stranger, row.offset, r), DWORD{XanRecordSize(row.offset)}) << row.offset;
      int16_t answer;
      std::memcpy(&answer, r.bytes + row.at, sizeof answer);
      EXPECT_EQ(answer, row.answer) << row.offset << " handle " << handle;
    }
  }
  EXPECT_EQ(accesses(), 0u);
  EXPECT_EQ(openGroup(stranger, 1), XAN_E_OWNED);
}

TEST_F(DispatchTest, OwnershipFollowsOpenCloseAndTheOwnersCleanup) {
  HANDLE other = open();
  uint32_t owner = 0;
  EXPECT_EQ(openGroup(owner_, 1), XAN_E_HANDLE_OWNS);
  EXPECT_EQ(openGroup(other, 1, &owner), XAN_E_OWNED);
  EXPECT_EQ(owner, value(owner_));
  XanRequest r{};
  r.close.handle = value(owner_);
  ASSERT_TRUE(send(owner_, XAN_CLOSE, r));
  EXPECT_EQ(r.close.result, XAN_OK);
  EXPECT_EQ(openGroup(other, 1), XAN_OK);
  // The owner goes without its close request: its cleanup frees the group.
  CloseHandle(other);
  handles_.erase(std::find(handles_.begin(), handles_.end(), other));
  EXPECT_EQ(openGroup(owner_, 1), XAN_OK);
}

}  // namespace
