// A change of the configuration (a board list saved, a configuration file
// imported, the configuration deleted, the WDM devices' names saved, the
// configuration service written) killed
// at any moment leaves the old configuration or the new one, whole: another
// process runs the library and is killed at points spread over the work.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <tarnix.h>
#include <tarnix_records.h>

#include "devices/wdm_keys.h"
#include "library_state.h"
#include "support/analog_lists.h"

namespace {

using Clock = std::chrono::steady_clock;
using tarnixtest::AnalogList;
using tarnixtest::loadedList;
using WdmList = tarnix::BoardList<tarnix::WdmDeviceRecord>;

constexpr int kKillPoints = 4;
constexpr int32_t kBoards = 32;
constexpr uint32_t kDevices = 32;

// Eight groups of four boards by default.
std::unique_ptr<AnalogList> boardList(int32_t ioBase, const char* names, int32_t boards = kBoards) {
  return tarnixtest::boardList(ioBase, names, boards);
}

// Devices "0000" on, each named the name of the one `shift` places on.
std::unique_ptr<WdmList> deviceList(uint32_t shift) {
  auto list = std::make_unique<WdmList>();
  for (uint32_t i = 0; i < kDevices; ++i) {
    std::snprintf(list->records[i].deviceKey, sizeof list->records[i].deviceKey, "%04u", i);
    std::snprintf(list->records[i].deviceName, sizeof list->records[i].deviceName, "HVA%02u", (i + shift) % kDevices);
  }
  list->count = kDevices;
  return list;
}

std::string readDeviceName(const std::string& keyPath) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "-";
  char text[64] = {};
  DWORD size = sizeof text - 1;
  RegQueryValueExA(key, "DeviceName", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  return text;
}

// The names of every device in its device key and in its class key.
std::string deviceNames() {
  std::string names;
  for (uint32_t i = 0; i < kDevices; ++i) {
    char key[8];
    std::snprintf(key, sizeof key, "%04u", i);
    names += readDeviceName(tarnix::WdmDeviceKeyPath(key)) + "/" + readDeviceName(tarnix::WdmClassKeyPath(key)) + " ";
  }
  return names;
}

// The configuration service's key as a reader finds it: its four values,
// or "-" without the key.
std::string configServiceKey() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Tarnix", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return "-";
  std::string values;
  for (const char* name : {"ErrorControl", "Group", "Start", "Type"}) {
    char data[64] = {};
    DWORD size = sizeof data - 1;
    const LONG status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    values += (status == ERROR_SUCCESS ? std::string(data, size) : "<none>") + ";";
  }
  RegCloseKey(key);
  return values;
}

// A change run in the child, and what a reader sees of it.
struct Change {
  const char* name;
  std::function<int()> work;  // 0 when done
  std::function<std::string()> seen;
  bool hasSettle;  // it tells that it starts as its settle begins
};

int g_ready = -1;      // the child's end of the pipe
bool g_holdInSettle;   // the child waits in the settle to be killed there

class WholeConfiguration : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = (std::filesystem::temp_directory_path() / "tarnix_whole_XXXXXX").string();
    ASSERT_NE(::mkdtemp(dir_.data()), nullptr);
    tarnix::Library().serviceSettleMs = 0;
    oldFile_ = savedAsFile(*oldList_, "old.reg");
  }
  void TearDown() override {
    tarnix::Library().serviceSettleMs = 5000;
    ::unsetenv("ORVANE_REGISTRY");
    std::filesystem::remove_all(dir_);
  }

  // The file of a store that holds the list.
  std::string savedAsFile(const AnalogList& list, const char* name) {
    useStore();
    const std::string file = dir_ + "/" + name;
    EXPECT_EQ(DnkConfigSaveListData(2, const_cast<AnalogList*>(&list)), kDnkOk);
    EXPECT_EQ(DnkConfigSaveFile(file.c_str()), kDnkOk);
    return file;
  }
  void useStore() {
    const std::string store = dir_ + "/store" + std::to_string(stores_++) + ".sqlite";
    ::setenv("ORVANE_REGISTRY", store.c_str(), 1);
  }
  // A store of its own for each run, holding the old list (imported: it is
  // quicker than a save, which checks every board).
  void freshStore() {
    useStore();
    ASSERT_EQ(DnkConfigLoadFile(oldFile_.c_str()), kDnkOk);
    ASSERT_EQ(DnkConfigSaveListData(9, oldDevices_.get()), kDnkOk);
  }

  // Runs work in a child that tells when it starts; kills it `after` that
  // (never for a negative delay). The time from the start to its end.
  Clock::duration runChild(const Change& change, Clock::duration after, bool holdInSettle = false) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      g_ready = fds[1];
      g_holdInSettle = holdInSettle;
      if (!change.hasSettle) ready();
      ::_exit(change.work());
    }
    pollfd p{fds[0], POLLIN, 0};
    char c;
    EXPECT_TRUE(::poll(&p, 1, 60000) == 1 && ::read(fds[0], &c, 1) == 1) << "the child never started";
    const Clock::time_point start = Clock::now();
    if (after >= Clock::duration::zero()) {
      std::this_thread::sleep_for(after);
      ::kill(child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const Clock::duration took = Clock::now() - start;
    if (after < Clock::duration::zero()) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    ::close(fds[0]);
    ::close(fds[1]);
    return took;
  }

  static void ready() {
    if (::write(g_ready, "x", 1) != 1) ::_exit(2);
  }

  // One run unkilled gives the new configuration and how long the work
  // takes; then each kill point, and one kill in the settle where the work
  // has one.
  void killEverywhere(const Change& change) {
    SCOPED_TRACE(change.name);
    freshStore();
    const std::string before = change.seen();
    const Clock::duration whole = runChild(change, Clock::duration(-1));
    const std::string after = change.seen();
    ASSERT_NE(before, after);
    if (change.hasSettle) {
      freshStore();
      runChild(change, Clock::duration::zero(), true);
      EXPECT_TRUE(change.seen() == before) << "killed in the settle";
    }
    for (int k = 1; k <= kKillPoints; ++k) {
      freshStore();
      runChild(change, whole * k / (kKillPoints + 1));
      const std::string now = change.seen();
      EXPECT_TRUE(now == before || now == after) << "killed at " << k << "/" << kKillPoints + 1;
    }
  }

  std::string dir_;
  int stores_ = 0;
  std::unique_ptr<AnalogList> oldList_ = boardList(0x1000, "OLD");
  std::unique_ptr<AnalogList> newList_ = boardList(0x2000, "NEW");
  std::unique_ptr<WdmList> oldDevices_ = deviceList(0);
  std::unique_ptr<WdmList> newDevices_ = deviceList(1);
  std::string oldFile_;
};

// Each change is a test of its own: killing each at every point takes long
// under the sanitizers.
enum class ChangeKind { ListSave, Import, Delete, DeviceNames, ConfigService };
const char* changeName(ChangeKind kind) {
  constexpr const char* kNames[] = {"ListSave", "Import", "Delete", "DeviceNames", "ConfigService"};
  return kNames[static_cast<int>(kind)];
}
class KilledChange : public WholeConfiguration, public ::testing::WithParamInterface<ChangeKind> {};

TEST_P(KilledChange, LeavesTheOldConfigurationOrTheNew) {
  tarnix::Library().settleBegins = [] {
    if (g_ready < 0) return;  // the parent's own saves
    ready();
    if (g_holdInSettle) ::pause();
  };
  const std::string file = savedAsFile(*newList_, "new.reg");
  AnalogList* list = newList_.get();
  WdmList* devices = newDevices_.get();
  const Change changes[] = {
      {"list save", [list] { return DnkConfigSaveListData(2, list) == kDnkOk ? 0 : 1; }, loadedList, true},
      {"import", [&file] { return DnkConfigLoadFile(file.c_str()) == kDnkOk ? 0 : 1; }, loadedList, false},
      {"delete", [] { return DnkConfigDeleteDnkReg(8) == kDnkOk ? 0 : 1; }, loadedList, false},
      {"device names", [devices] { return DnkConfigSaveListData(9, devices) == kDnkOk ? 0 : 1; }, deviceNames,
       false},
      {"configuration service", [] { return DnkConfigCreateConfigReg(1) == kDnkOk ? 0 : 1; }, configServiceKey,
       false},
  };
  killEverywhere(changes[static_cast<int>(GetParam())]);
  tarnix::Library().settleBegins = nullptr;
}

INSTANTIATE_TEST_SUITE_P(EveryChange, KilledChange,
                         ::testing::Values(ChangeKind::ListSave, ChangeKind::Import, ChangeKind::Delete,
                                           ChangeKind::DeviceNames, ChangeKind::ConfigService),
                         [](const auto& info) { return std::string(changeName(info.param)); });

// The save wipes the kind first, so no key of a longer list saved before
// stays: neither for the load nor in the exported file.
TEST_F(WholeConfiguration, AShorterListSavedOverALongerKeepsNoneOfTheOldGroups) {
  useStore();
  ASSERT_EQ(DnkConfigSaveListData(2, boardList(0x1000, "OLD", 12).get()), kDnkOk);
  ASSERT_EQ(DnkConfigSaveListData(2, boardList(0x2000, "NEW", 1).get()), kDnkOk);
  auto loaded = std::make_unique<AnalogList>();
  DnkConfigLoadListData(2, loaded.get(), 0);
  EXPECT_EQ(loaded->count, 1u);
  const std::string file = dir_ + "/short.reg";
  ASSERT_EQ(DnkConfigSaveFile(file.c_str()), kDnkOk);
  std::ifstream in(file, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(text.find("Morvel01\\GroupNumber1\\BoardNumber1]"), std::string::npos) << text;
  EXPECT_EQ(text.find("GroupNumber2"), std::string::npos) << text;
  EXPECT_EQ(text.find("OLD"), std::string::npos) << text;
}

// Sixteen groups of four fill a kind-2 list.
TEST_F(WholeConfiguration, AListOfSixteenFullGroupsIsSavedWhole) {
  useStore();
  ASSERT_EQ(DnkConfigSaveListData(2, boardList(0x1000, "FULL", 64).get()), kDnkOk);
  const std::string file = dir_ + "/full.reg";
  ASSERT_EQ(DnkConfigSaveFile(file.c_str()), kDnkOk);
  std::ifstream in(file, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(text.find("Morvel01\\GroupNumber16\\BoardNumber4]"), std::string::npos) << text;
}

}  // namespace
