// A list loaded while another process saves lists is one of the lists that
// were saved, whole, and its load is never held up by the writer.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <tarnix.h>
#include <tarnix_records.h>

#include "library_state.h"
#include "support/analog_lists.h"

namespace {

using Clock = std::chrono::steady_clock;
using tarnixtest::AnalogList;
using tarnixtest::boardList;
using Bytes = std::string;

constexpr int kSaves = 16;
// Far above a load's own work, also under the sanitizers on a loaded
// machine: a load that outlasts it has waited for the writer.
constexpr int kBusyMs = 10000;

class ListReadDuringSave : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = (std::filesystem::temp_directory_path() / "tarnix_read_XXXXXX").string();
    ASSERT_NE(::mkdtemp(dir_.data()), nullptr);
    ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
    ::setenv("ORVANE_REGISTRY_BUSY_MS", std::to_string(kBusyMs).c_str(), 1);
    tarnix::Library().serviceSettleMs = 0;
  }
  void TearDown() override {
    tarnix::Library().serviceSettleMs = 5000;
    ::unsetenv("ORVANE_REGISTRY");
    ::unsetenv("ORVANE_REGISTRY_BUSY_MS");
    std::filesystem::remove_all(dir_);
  }
  std::string dir_;
};

TEST_F(ListReadDuringSave, EveryLoadIsOneSavedListWhole) {
  const std::unique_ptr<AnalogList> lists[] = {boardList(0x1000, "MANY", 32), boardList(0x1000, "FEW", 4)};
  Bytes expected[2];
  for (int i : {1, 0}) {
    ASSERT_EQ(DnkConfigSaveListData(2, lists[i].get()), kDnkOk);
    expected[i] = tarnixtest::loadedList();
  }
  ASSERT_NE(expected[0], expected[1]);

  const pid_t writer = ::fork();
  if (writer == 0) {
    for (int s = 1; s <= kSaves; ++s) {
      if (DnkConfigSaveListData(2, lists[s % 2].get()) != kDnkOk) ::_exit(1);
    }
    ::_exit(0);
  }
  int loads = 0, mixed = 0, status = 0;
  Clock::duration longest{};
  while (::waitpid(writer, &status, WNOHANG) == 0) {
    const Clock::time_point start = Clock::now();
    const Bytes now = tarnixtest::loadedList();
    longest = std::max(longest, Clock::now() - start);
    ++loads;
    if (now != expected[0] && now != expected[1]) ++mixed;
  }
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "a save failed";
  EXPECT_EQ(mixed, 0) << "of " << loads << " loads";
  EXPECT_LT(longest, std::chrono::milliseconds(kBusyMs));
}

}  // namespace
