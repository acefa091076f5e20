// The configuration library and the older boards meet only in the
// registry: a board list saved by the configuration library is what the
// driver starts from and what the older library opens by name.
#include <gtest/gtest.h>
#include <installer.h>
#include <morvel.h>
#include <ntkrnl/ntkrnl_host.h>
#include <tarnix.h>
#include <tarnix_records.h>

#include <platform/registry_transaction.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "library_state.h"
#include "support/driver_setup.h"

namespace {

morvelboard::Waveform levelOf(unsigned c) { return {morvelboard::Waveform::Shape::Constant, 0.05 * (c + 2), 0, 1}; }

using AnalogList = tarnix::BoardList<tarnix::AnalogBoardRecord>;

// One board of the entry under the object name.
void fillList(AnalogList& list, const morvel00test::BoardEntry& entry, const char* objectName) {
  list = {};
  list.count = 1;
  tarnix::AnalogBoardRecord& r = list.records[0];
  r.head = {0, 1, 1, {}};
  std::strcpy(r.head.boardName, entry.spec.model.c_str());
  r.ioAddress = entry.spec.ioBase;
  r.irqNo = entry.spec.interruptLine;
  r.dma = r.memoryAddress = -1;
  r.boardId = entry.spec.boardId;
  r.slotNo = -1;
  std::strcpy(r.objectName, objectName);
}

// Another process holds the registry store for writing while this lives;
// this one waits for it only briefly.
class StoreHeldElsewhere {
 public:
  StoreHeldElsewhere() {
    int ready[2], release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0) return;
    child_ = ::fork();
    if (child_ == 0) {
      ::close(release[1]);
      plat::RegistryTransaction hold;
      char c = hold.status() == ERROR_SUCCESS ? 'x' : 'e';
      if (::write(ready[1], &c, 1) != 1) ::_exit(2);
      while (::read(release[0], &c, 1) > 0) {
      }
      ::_exit(0);
    }
    ::close(release[0]);
    ::close(ready[1]);
    release_ = release[1];
    pollfd p{ready[0], POLLIN, 0};
    char c = 0;
    held_ = ::poll(&p, 1, 10000) == 1 && ::read(ready[0], &c, 1) == 1 && c == 'x';
    ::close(ready[0]);
    ::setenv("ORVANE_REGISTRY_BUSY_MS", "50", 1);
  }
  ~StoreHeldElsewhere() {
    ::unsetenv("ORVANE_REGISTRY_BUSY_MS");
    if (release_ >= 0) ::close(release_);
    if (child_ > 0) ::waitpid(child_, nullptr, 0);
  }
  StoreHeldElsewhere(const StoreHeldElsewhere&) = delete;
  StoreHeldElsewhere& operator=(const StoreHeldElsewhere&) = delete;
  bool held() const { return held_; }

 private:
  pid_t child_ = -1;
  int release_ = -1;
  bool held_ = false;
};

TEST(TarnixConfiguredBoard, ASavedListStartsTheDriverAndTheBoardOpensByItsObjectName) {
  morvel00test::FreshMachine machine;
  tarnix::Library().serviceSettleMs = 0;
  const morvel00test::BoardEntry entry = morvel00test::DefaultBoard(0x340, 7);
  auto board = morvelboard::PlugBoard(entry.slot, entry.spec);
  for (unsigned c = 0; c < 16; ++c) board->SetWaveform(c, levelOf(c));

  static AnalogList list;
  fillList(list, entry, "AIBOARD1");
  ASSERT_EQ(DnkConfigSaveListData(2, &list), kDnkOk);
  EXPECT_EQ(DnkConfigIsDriverStarted("Morvel00"), 1);

  XanHandle h = 0;
  ASSERT_EQ(XanOpenEx("aiboard1", &h), 0);
  uint16_t channels[2] = {3, 9};
  uint16_t values[2] = {};
  XanIoParams io{values, channels, 2};
  ASSERT_EQ(XanInp(h, &io), 0);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(values[i], morvelboard::SignalValue(levelOf(channels[i]), 12, 0)) << i;
  EXPECT_EQ(XanClose(h), 0);

  // What was saved loads back (its resources would come from the
  // configuration driver, which this machine has not).
  static tarnix::BoardList<tarnix::AnalogBoardRecord> loaded;
  EXPECT_EQ(DnkConfigLoadListData(2, &loaded, 0), kDnkOk);
  ASSERT_EQ(loaded.count, 1u);
  EXPECT_STREQ(loaded.records[0].head.boardName, entry.spec.model.c_str());
  EXPECT_STREQ(loaded.records[0].objectName, "AIBOARD1");

  // Removing the kind stops the driver with its services.
  EXPECT_EQ(DnkConfigDeleteDnkReg(2), kDnkOk);
  EXPECT_EQ(DnkConfigIsDriverStarted("Morvel00"), 0);
  XanHandle gone = 0;
  EXPECT_NE(XanOpenEx("AIBOARD1", &gone), 0);
}

// The drivers stop before the store is held; a change the store then
// refuses starts them again, and the old list's boards open as before.
TEST(TarnixConfiguredBoard, AChangeTheStoreRefusesLeavesTheDriverRunningWithTheOldList) {
  std::string file;  // beside the machine's registry store, gone with it
  static AnalogList list;
  struct Row {
    const char* name;
    LONG answer;
    std::function<LONG()> change;
  };
  const morvel00test::BoardEntry entry = morvel00test::DefaultBoard(0x340, 7);
  const Row rows[] = {
      {"save", kDnkWriteFailed,
       [&] {
         fillList(list, entry, "AIBOARD2");
         return DnkConfigSaveListData(2, &list);
       }},
      {"import", 5, [&] { return DnkConfigLoadFile(file.c_str()); }},
      {"delete", kDnkOk, [] { return DnkConfigDeleteDnkReg(2); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    morvel00test::FreshMachine machine;
    file = (std::filesystem::path(::getenv("ORVANE_REGISTRY")).parent_path() / "config.reg").string();
    tarnix::Library().serviceSettleMs = 0;
    auto board = morvelboard::PlugBoard(entry.slot, entry.spec);
    fillList(list, entry, "AIBOARD1");
    ASSERT_EQ(DnkConfigSaveListData(2, &list), kDnkOk);
    ASSERT_EQ(DnkConfigSaveFile(file.c_str()), kDnkOk);
    {
      StoreHeldElsewhere busy;
      ASSERT_TRUE(busy.held());
      EXPECT_EQ(row.change(), row.answer);
      EXPECT_EQ(DnkConfigIsDriverStarted("Morvel00"), 1);
    }
    XanHandle h = 0;
    EXPECT_EQ(XanOpenEx("AIBOARD1", &h), 0);
    if (h != 0) XanClose(h);
    EXPECT_EQ(DnkConfigDeleteDnkReg(2), kDnkOk);
  }
}

// A delete that the store lets begin but whose commit it refuses (this
// process may write no file) starts the stopped driver again.
TEST(TarnixConfiguredBoard, ADeleteWhoseCommitTheStoreRefusesLeavesTheDriverRunning) {
  // 0 when the driver runs and the board opens after the delete.
  const auto deleteRefusedAtItsCommit = [] {
    morvel00test::FreshMachine machine;
    tarnix::Library().serviceSettleMs = 0;
    const morvel00test::BoardEntry entry = morvel00test::DefaultBoard(0x340, 7);
    auto board = morvelboard::PlugBoard(entry.slot, entry.spec);
    static AnalogList list;
    fillList(list, entry, "AIBOARD1");
    if (DnkConfigSaveListData(2, &list) != kDnkOk || DnkConfigIsDriverStarted("Morvel00") != 1) return 1;
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit none = saved;
    none.rlim_cur = 0;
    ::setrlimit(RLIMIT_FSIZE, &none);
    const LONG answer = DnkConfigDeleteDnkReg(2);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    if (answer != kDnkOk) return 2;
    if (DnkConfigIsDriverStarted("Morvel00") != 1) return 3;
    XanHandle h = 0;
    if (XanOpenEx("AIBOARD1", &h) != 0) return 4;
    XanClose(h);
    return 0;
  };
  const pid_t child = ::fork();
  if (child == 0) ::_exit(deleteRefusedAtItsCommit());
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the save; 2: the answer; 3: the driver stopped; 4: the board did not open";
}

}  // namespace
