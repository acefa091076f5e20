// Who holds a device, seen from two processes (fork).
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "halviksim_fixture.h"

namespace {

using namespace halvikdrv;

class OwnershipTest : public HalviksimTest {
 protected:
  // The ownership status each road gives the process of that pid.
  int32_t claimKernel(int32_t pid, DWORD code = kOwnership) {
    std::vector<unsigned char> record(kOwnershipRecordSize);
    put<int32_t>(record, 4, pid);
    return kernel(kernel_, code, record) ? at<int32_t>(record, 0) : -1;
  }
  int32_t claimVm(int32_t pid, WORD code = kCmdOwnership) {
    std::vector<unsigned char> record(code == kCmdClose ? rec::kOpenSize : 8);
    put<int32_t>(record, rec::kProcessId, pid);
    return command(vmIo, 10, vm_, code, record) == 0 ? at<int32_t>(record, 0) : -1;
  }

  // A child process that runs work and exits 0 when it held, 1 otherwise.
  static pid_t startChild(const std::function<bool()>& work) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(work() ? 0 : 1);
    return child;
  }
  // Runs work in a child process; its exit status.
  static int inChild(const std::function<bool()>& work) {
    const pid_t child = startChild(work);
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

TEST_F(OwnershipTest, AnotherProcessIsRefusedUntilTheHolderLetsGoOrEnds) {
  const int32_t self = static_cast<int32_t>(::getpid());
  ASSERT_EQ(claimKernel(self), 0);
  ASSERT_EQ(claimKernel(self), 0) << "the holder asks again";
  ASSERT_EQ(claimVm(self), 0);
  EXPECT_EQ(inChild([this] {
              const int32_t child = static_cast<int32_t>(::getpid());
              return claimKernel(child) == kStatusOtherProcess && claimVm(child) == kStatusOtherProcess;
            }),
            0);

  // The release, and the close, give the devices up.
  ASSERT_EQ(claimKernel(self, kReleaseOwnership), 0);
  ASSERT_EQ(claimVm(self, kCmdClose), 0);
  EXPECT_EQ(inChild([this] {
              const int32_t child = static_cast<int32_t>(::getpid());
              return claimKernel(child) == 0 && claimVm(child) == 0;
            }),
            0);
  // That child ended holding both: a holder that is gone holds nothing.
  EXPECT_EQ(claimKernel(self), 0);
  EXPECT_EQ(claimVm(self), 0);
}

// An ended holder counts as gone before its parent has reaped it.
TEST_F(OwnershipTest, AHolderThatEndedUnreapedHoldsNothing) {
  const pid_t child = startChild([this] {
    const int32_t pid = static_cast<int32_t>(::getpid());
    return claimKernel(pid) == 0 && claimVm(pid) == 0;
  });
  struct Reap {
    pid_t pid;
    ~Reap() { ::waitpid(pid, nullptr, 0); }
  } reap{child};
  siginfo_t ended{};
  ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(child), &ended, WEXITED | WNOWAIT), 0);  // ended, still unreaped
  ASSERT_EQ(ended.si_status, 0) << "the child took both devices";
  const int32_t self = static_cast<int32_t>(::getpid());
  EXPECT_EQ(claimKernel(self), 0);
  EXPECT_EQ(claimVm(self), 0);
}

}  // namespace
