// Halvik as an application meets it: the installer has registered one device
// on each road, the library is loaded by name, and every call goes through
// its exports to the simulated driver and sibling libraries.
#include <gtest/gtest.h>
#include <halvik.h>
#include <halviksim.h>
#include <installer.h>

#include "installed_halvik.h"
#include <stdlib.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// The exports, found by name in the loaded library.
struct Exports {
  decltype(&XanInit) init = nullptr;
  decltype(&XanExit) exit = nullptr;
  decltype(&XanResetDevice) resetDevice = nullptr;
  decltype(&XanResetProcess) resetProcess = nullptr;
  decltype(&XanGetDeviceDesc) deviceDesc = nullptr;
  decltype(&XanGetDeviceType) deviceType = nullptr;
  decltype(&XanGetDeviceInfo) deviceInfo = nullptr;
  decltype(&XanGetDeviceRevision) revision = nullptr;
  decltype(&XanGetAiMinSamplingClock) minClock = nullptr;
  decltype(&XanQueryDeviceName) queryName = nullptr;
  decltype(&XanSetAoRepeatMode) setRepeatMode = nullptr;
  decltype(&XanSetAoChannels) setAoChannels = nullptr;
  decltype(&XanSetAoSamplingClock) setAoClock = nullptr;
  decltype(&XanSetAoClockEdge) setAoClockEdge = nullptr;
  decltype(&XanSetAoEventTransferTimes) setAoTransferTimes = nullptr;
  decltype(&XanSetAoRange) setAoRange = nullptr;
  decltype(&XanSetDiFilter) setDiFilter = nullptr;
  decltype(&XanSetCntPresetReg) setCntPreset = nullptr;
  decltype(&XanSetCntFilter) setCntFilter = nullptr;
  decltype(&XanGetCntMaxChannels) cntMaxChannels = nullptr;
  decltype(&XanStopTmCount) stopTmCount = nullptr;
  decltype(&XanSetControlFilter) setControlFilter = nullptr;

  template <class F>
  static void bind(HMODULE module, const char* name, F& out) {
    out = reinterpret_cast<F>(GetProcAddress(module, name));
    ASSERT_NE(out, nullptr) << name;
  }
  void bindAll(HMODULE m) {
    bind(m, "XanInit", init);
    bind(m, "XanExit", exit);
    bind(m, "XanResetDevice", resetDevice);
    bind(m, "XanResetProcess", resetProcess);
    bind(m, "XanGetDeviceDesc", deviceDesc);
    bind(m, "XanGetDeviceType", deviceType);
    bind(m, "XanGetDeviceInfo", deviceInfo);
    bind(m, "XanGetDeviceRevision", revision);
    bind(m, "XanGetAiMinSamplingClock", minClock);
    bind(m, "XanQueryDeviceName", queryName);
    bind(m, "XanSetAoRepeatMode", setRepeatMode);
    bind(m, "XanSetAoChannels", setAoChannels);
    bind(m, "XanSetAoSamplingClock", setAoClock);
    bind(m, "XanSetAoClockEdge", setAoClockEdge);
    bind(m, "XanSetAoEventTransferTimes", setAoTransferTimes);
    bind(m, "XanSetAoRange", setAoRange);
    bind(m, "XanSetDiFilter", setDiFilter);
    bind(m, "XanSetCntPresetReg", setCntPreset);
    bind(m, "XanSetCntFilter", setCntFilter);
    bind(m, "XanGetCntMaxChannels", cntMaxChannels);
    bind(m, "XanStopTmCount", stopTmCount);
    bind(m, "XanSetControlFilter", setControlFilter);
  }
};

struct Road {
  const char* name;   // as the application writes it
  const char* model;  // what the device reports
  short deviceType;
  short aiChannels;
  LONG revisionStatus;  // the bus library has no revision command
};

// One device on each road: kernel driver, virtual device library, bus library.
constexpr Road kRoads[] = {
    {"hva1", "HVA-1632PE", 1, 32, 0},
    {"DEMO0", "Demo Device", 5, 16, 0},
    {"Hvu00", "HVU-1608USB", 3, 8, 20001},
};

class HalvikApplicationTest : public InstalledHalvik {
 protected:
  // What an installation leaves, then the library loaded as an application
  // loads it.
  void load(const halviksim::VersionFiles& versions = {}) {
    install(versions);
    open();
  }
  void open() {
    InstalledHalvik::open();
    x_.bindAll(module_);
  }

  std::string logText() const {
    HANDLE f = CreateFileA(logPath_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    std::string text(GetFileSize(f, nullptr), '\0');
    DWORD got = 0;
    ReadFile(f, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
    CloseHandle(f);
    text.resize(got);
    return text;
  }

  Exports x_;
};

TEST_F(HalvikApplicationTest, OpensQueriesResetsAndClosesOnEveryRoad) {
  load();
  for (const Road& road : kRoads) {
    SCOPED_TRACE(road.name);
    short id = 0;
    ASSERT_EQ(x_.init(road.name, &id), 0);
    char text[256] = {};
    ASSERT_EQ(x_.deviceDesc(id, text), 0);
    EXPECT_STREQ(text, road.model);
    short type = 0;
    EXPECT_EQ(x_.deviceType(text, &type), 0);
    EXPECT_EQ(type, road.deviceType);
    short channels = 0;
    EXPECT_EQ(x_.deviceInfo(text, 1, &channels, nullptr, nullptr), 0);
    EXPECT_EQ(channels, road.aiChannels);
    char revision[12] = {};
    EXPECT_EQ(x_.revision(id, revision), road.revisionStatus);
    if (road.revisionStatus == 0) {
      EXPECT_STREQ(revision, "1.00");
    }
    float clock = 0;
    EXPECT_EQ(x_.minClock(id, &clock), 0);
    EXPECT_GT(clock, 0.0f);
    EXPECT_EQ(x_.resetDevice(id), 0);

    // Opens nest: only the last close ends the device.
    short again = 0;
    ASSERT_EQ(x_.init(road.name, &again), 0);
    EXPECT_EQ(again, id);
    EXPECT_EQ(x_.exit(id), 0);
    EXPECT_EQ(x_.minClock(id, &clock), 0) << "still open after one of two closes";
    EXPECT_EQ(x_.exit(id), 0);
    EXPECT_EQ(x_.exit(id), 10002) << "closed once per open";
  }
  short id = 0;
  EXPECT_EQ(x_.init("NOSUCH", &id), 10000);
  EXPECT_EQ(id, -1);
}

// The library and the simulated side agree on every record: a setting is
// carried out (0) or refused by the road as it should be (20001), never a
// failed call or a record of the wrong size.
TEST_F(HalvikApplicationTest, SettingsReachTheDeviceOnEveryRoad) {
  load();
  static const LONG kPresets[2] = {10, 20};
  struct Setting {
    const char* name;
    std::function<LONG(Exports&, short)> call;
    LONG kernel, virtualDevice, attached;
  };
  const Setting kSettings[] = {
      {"ao channels", [](Exports& x, short id) { return x.setAoChannels(id, 2); }, 0, 0, 0},
      {"ao range", [](Exports& x, short id) { return x.setAoRange(id, 1, 0); }, 0, 0, 0},
      {"ao clock", [](Exports& x, short id) { return x.setAoClock(id, 2.5f); }, 0, 0, 0},
      {"ao clock edge", [](Exports& x, short id) { return x.setAoClockEdge(id, 1); }, 0, 0, 20001},
      {"ao transfer times", [](Exports& x, short id) { return x.setAoTransferTimes(id, 4); }, 0, 20001, 20001},
      {"di filter", [](Exports& x, short id) { return x.setDiFilter(id, -1, 0.5f); }, 0, 0, 20001},
      {"cnt preset", [](Exports& x, short id) { return x.setCntPreset(id, 1, 2, kPresets, 1); }, 0, 0, 20001},
      {"cnt filter", [](Exports& x, short id) { return x.setCntFilter(id, -1, -1, 0.5f); }, 0, 0, 20001},
      {"cnt max channels", [](Exports& x, short id) { short n = 0; return x.cntMaxChannels(id, &n); }, 0, 0, 20001},
      {"tm stop count", [](Exports& x, short id) { return x.stopTmCount(id, 1); }, 0, 0, 20001},
      {"control filter", [](Exports& x, short id) { return x.setControlFilter(id, 0, 0.05f); }, 0, 0, 20001},
  };
  for (const Road& road : kRoads) {
    short id = 0;
    ASSERT_EQ(x_.init(road.name, &id), 0) << road.name;
    for (const Setting& setting : kSettings) {
      const LONG expected = &road == &kRoads[0] ? setting.kernel
                            : &road == &kRoads[1] ? setting.virtualDevice
                                                  : setting.attached;
      EXPECT_EQ(setting.call(x_, id), expected) << setting.name << " on " << road.name;
    }
    EXPECT_EQ(x_.exit(id), 0);
  }
}

TEST_F(HalvikApplicationTest, DriverOfAnotherVersionKeepsOnlyTheKernelRoadShut) {
  load({"1, 3, 0, 0", "1, 2, 0, 0"});
  short id = 0;
  EXPECT_EQ(x_.init("HVA1", &id), 11);
  EXPECT_EQ(id, -1);
  EXPECT_EQ(x_.init("DEMO0", &id), 0) << "the version check is the kernel road's";
  EXPECT_EQ(x_.exit(id), 0);
}

TEST_F(HalvikApplicationTest, BusDeviceWithOldFirmwareStaysClosed) {
  load();
  ASSERT_TRUE(halviksim::SetFirmwareVersion("HVU00", 109));
  short id = 0;
  EXPECT_EQ(x_.init("HVU00", &id), 20035);
  EXPECT_EQ(id, -1);
  EXPECT_EQ(x_.exit(0x1050), 10002) << "left closed";
  ASSERT_TRUE(halviksim::SetFirmwareVersion("HVU00", 110));
  ASSERT_EQ(x_.init("HVU00", &id), 0);
  EXPECT_EQ(id, 0x1050);
  EXPECT_EQ(x_.exit(id), 0);
}

TEST_F(HalvikApplicationTest, DriverOfTheSameMajorAndMinorVersionOpens) {
  load({"1, 2, 9, 9", "1, 2, 0, 0"});
  short id = 0;
  ASSERT_EQ(x_.init("HVA1", &id), 0);
  EXPECT_EQ(x_.exit(id), 0);
}

// A forked child that ends with its test: killed and reaped when the test
// ends before it, and killed when the test's process dies.
class Child {
 public:
  Child() : parent_(::getpid()), pid_(::fork()) {
    if (pid_ == 0 && (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent_)) ::_exit(1);
  }
  ~Child() {
    if (pid_ > 0) ::kill(pid_, SIGKILL);
    wait();
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  bool isThisProcess() const { return pid_ == 0; }
  void wait() {
    int status = 0;
    if (pid_ > 0) ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }

 private:
  pid_t parent_;
  pid_t pid_;
};

TEST_F(HalvikApplicationTest, DeviceHeldByAnotherProcessRefusesSettingsButAnswersQueries) {
  install();
  int ready[2], done[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(done), 0);
  Child child;
  if (child.isThisProcess()) {
    open();
    short id = 0;
    char byte = x_.init("HVA1", &id) == 0 && x_.setAoChannels(id, 1) == 0 ? 'y' : 'n';
    (void)!::write(ready[1], &byte, 1);
    (void)!::read(done[0], &byte, 1);
    x_.exit(id);
    ::_exit(0);
  }
  open();
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ASSERT_EQ(byte, 'y');
  short id = 0;
  ASSERT_EQ(x_.init("HVA1", &id), 0);
  EXPECT_EQ(x_.setRepeatMode(id, 1), 20003);
  char text[256] = {};
  EXPECT_EQ(x_.deviceDesc(id, text), 0);
  (void)!::write(done[1], "x", 1);
  child.wait();
  EXPECT_EQ(x_.setRepeatMode(id, 1), 0) << "the holder's close gives the device free";
  EXPECT_EQ(x_.exit(id), 0);
}

TEST_F(HalvikApplicationTest, TraceLogHoldsEveryLineOfTwoProcessesWhole) {
  ASSERT_FALSE(halviksim::InstallDebugSwitch().empty());
  install();
  constexpr int kRounds = 200;
  auto rounds = [this] {
    for (int i = 0; i < kRounds; ++i) {
      short id = 0;
      x_.init("HVA1", &id);
      x_.exit(id);
    }
  };
  // The child writes once this process has the log open: a log that no
  // process holds starts afresh, and a child done before this process
  // opened would be cut away.
  int go[2];
  ASSERT_EQ(::pipe(go), 0);
  pid_t child = ::fork();
  if (child == 0) {
    open();
    char byte;
    if (::read(go[0], &byte, 1) == 1) rounds();
    ::_exit(0);
  }
  open();
  (void)!::write(go[1], "x", 1);
  ::close(go[0]);
  ::close(go[1]);
  rounds();
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  FreeLibrary(module_);  // the last process to close cuts the file to what was written
  module_ = nullptr;

  // Every line: the three prefixes and one of the four texts, whole.
  const std::regex line(
      R"(\[\d{4}/\d\d/\d\d \d\d:\d\d:\d\d'\d{3}\]\[PID:([0-9A-F]+)H\]\[TID:[0-9A-F]+H\])"
      R"((XanInit Start :DeviceName=HVA1|XanInit End :Ret=0, \*Id=1|XanExit Start :Id=1|XanExit End :Ret=0))");
  std::map<std::string, std::map<std::string, int>> counts;  // pid -> text -> lines
  std::istringstream in(logText());
  std::string text;
  bool header = true;
  while (std::getline(in, text)) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (header) {
      header = text.rfind("[", 0) != 0;
      if (header) continue;
    }
    if (text.find("Xan") == std::string::npos) continue;  // the library's own lines at attach
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, line)) << text;
    ++counts[m[1]][m[2]];
  }
  ASSERT_EQ(counts.size(), 2u) << "lines of both processes";
  for (const auto& [pid, texts] : counts) {
    ASSERT_EQ(texts.size(), 4u) << pid;
    for (const auto& [t, n] : texts) EXPECT_EQ(n, kRounds) << pid << " " << t;
  }
}

// Loaded with tracing on, one call and freed at once, on one processor,
// where the flush thread the attach starts may not have run at all: the
// unload ends it within its period and the library leaves after it. An
// unload that waits out the flush thread's 10-s bound shows a thread that
// could not start; anything short of it is a slow machine, not a fault.
TEST_F(HalvikApplicationTest, AQuickUnloadWithTracingEndsItsFlushThread) {
  ASSERT_FALSE(halviksim::InstallDebugSwitch().empty());
  install();
  pid_t child = ::fork();
  if (child == 0) {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    if (sched_setaffinity(0, sizeof one, &one) != 0) ::_exit(1);
    for (int round = 0; round < 5; ++round) {
      const DWORD start = GetTickCount();
      open();
      short id = 0;
      x_.init("HVA1", &id);
      FreeLibrary(module_);
      if (GetTickCount() - start > 9000) ::_exit(2);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no processor of its own, 2: an unload waited for the flush thread's bound";
}

}  // namespace
