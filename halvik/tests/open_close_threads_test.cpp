// Opening and closing one device from several application threads, and
// closing it from inside its own event callback.
#include <gtest/gtest.h>
#include <halvik.h>
#include <halviksim.h>

#include <dlfcn.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "installed_halvik.h"

namespace {

struct HeldCallback;

int exitCodeOf(pid_t child) {
  int status = 0;
  if (child <= 0 || ::waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class OpenCloseThreadsTest : public InstalledHalvik {
 protected:
  void SetUp() override {
    InstalledHalvik::SetUp();
    install();
    open();
    init = entry<decltype(&XanInit)>("XanInit");
    exitDevice = entry<decltype(&XanExit)>("XanExit");
  }
  // Opens HVA1 with its counter's callback entered and held; -1 when not.
  short openWithHeldCallback(bool callsLoader);
  // The same on a channel of an open HVA1.
  bool holdCallback(short id, short channel, HeldCallback& held, bool callsLoader = false);
  // Arms a counter channel to call `proc` on its second pulse.
  LONG armCounter(short id, short channel, XanCntCallBack proc, void* param);
  // In a process of its own, which the library may stay in: the exit code.
  // `ownLibrary`: the child loads the library through a library of its own
  // that links it, with dlopen, and keeps that library's handle there.
  int inChild(const std::function<int()>& work, void** ownLibrary = nullptr) {
    return exitCodeOf(startChild(work, ownLibrary));
  }
  pid_t startChild(const std::function<int()>& work, void** ownLibrary = nullptr);
  decltype(&XanInit) init = nullptr;
  decltype(&XanExit) exitDevice = nullptr;
};

TEST_F(OpenCloseThreadsTest, OpensAndClosesFromEightThreadsKeepTheCount) {
  auto revision = entry<decltype(&XanGetDeviceRevision)>("XanGetDeviceRevision");
  std::atomic<LONG> firstFailure{0};
  auto note = [&](LONG status) {
    LONG none = 0;
    if (status != 0) firstFailure.compare_exchange_strong(none, status);
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&] {
      for (int round = 0; round < 200 && firstFailure.load() == 0; ++round) {
        short id = -1;
        char text[16] = "";
        note(init("HVA1", &id));
        note(revision(id, text));  // on the handle this open counted on
        note(exitDevice(id));
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(firstFailure.load(), 0);
  short id = -1;
  ASSERT_EQ(init("HVA1", &id), 0);
  EXPECT_EQ(exitDevice(id), 0);
  EXPECT_EQ(exitDevice(id), 10002);  // every open was undone: nothing left counted
}

struct CloseInCallback {
  decltype(&XanExit) exitDevice = nullptr;
  std::atomic<int> calls{0};
  std::atomic<LONG> status{-1};
};
CloseInCallback gClose;
void closeOnce(short id) {
  if (gClose.calls.fetch_add(1) == 0) gClose.status.store(gClose.exitDevice(id));
}
void WINAPI closeOnEvent(short id, short, short, LONG, void*) { closeOnce(id); }
void WINAPI closeOnCntmEvent(LONG id, LONG, LONG, void*) { closeOnce(static_cast<short>(id)); }

bool within(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done();
}

// The close must not wait for the thread it runs on; that thread ends once
// the callback has returned, and the device opens and counts afresh.
TEST_F(OpenCloseThreadsTest, ClosesFromInsideItsOwnCallback) {
  auto compare = entry<decltype(&XanSetCntComparisonReg)>("XanSetCntComparisonReg");
  auto callback = entry<decltype(&XanSetCntCallBackProc)>("XanSetCntCallBackProc");
  auto start = entry<decltype(&XanStartCnt)>("XanStartCnt");
  auto preset = entry<decltype(&XanPresetCnt)>("XanPresetCnt");
  auto cntmCallback = entry<decltype(&XanCntmCountUpCallbackProc)>("XanCntmCountUpCallbackProc");
  auto cntmNotify = entry<decltype(&XanCntmNotifyCountUp)>("XanCntmNotifyCountUp");
  auto cntmClear = entry<decltype(&XanCntmZeroClearCount)>("XanCntmZeroClearCount");
  auto cntmStart = entry<decltype(&XanCntmStartCount)>("XanCntmStartCount");
  gClose.exitDevice = exitDevice;
  const LONG match[] = {2};
  const short channel[] = {3};
  struct Family {
    const char* name;
    std::function<LONG(short)> arm;
    std::function<bool()> fire;
  };
  const Family families[] = {
      {"counter",
       [&](short id) {
         LONG s = preset(id, 0, 0);
         if (s == 0) s = compare(id, 0, 1, match, 0);
         if (s == 0) s = callback(id, 0, closeOnEvent, 0x10, nullptr);
         return s != 0 ? s : start(id, 0);
       },
       [] { return halviksim::PulseCounter("HVA1", 0, 3); }},
      {"multi-function counter",
       [&](short id) {
         LONG s = cntmCallback(id, closeOnCntmEvent, nullptr);
         if (s == 0) s = cntmNotify(id, 3, 0, 2, nullptr);
         if (s == 0) s = cntmClear(id, channel, 1);
         return s != 0 ? s : cntmStart(id, channel, 1);
       },
       [] { return halviksim::CntmPulses("HVA1", 3, 2); }},
  };
  for (const Family& family : families) {
    for (int run = 0; run < 2; ++run) {
      SCOPED_TRACE(std::string(family.name) + " run " + std::to_string(run));
      gClose.calls = 0;
      gClose.status = -1;
      short id = -1;
      ASSERT_EQ(init("HVA1", &id), 0);
      ASSERT_EQ(family.arm(id), 0);
      ASSERT_TRUE(family.fire());
      ASSERT_TRUE(within([] { return gClose.status.load() != -1; }));
      EXPECT_EQ(gClose.status.load(), 0);
      EXPECT_EQ(exitDevice(id), 10002);
    }
  }
}

struct CloseBeside {
  decltype(&XanInit) init = nullptr;
  decltype(&XanExit) exitDevice = nullptr;
  const char* opens = nullptr;  // the device the callback opens; none: it closes one
  short closes = 0;             // the device it closes; 0: its own
  std::atomic<bool> entered{false};
  std::atomic<bool> logCleared{false};
  std::atomic<LONG> status{-1};
  std::atomic<short> reopenedId{0};
};
CloseBeside gBeside;
bool closeRequested() {
  if (!gBeside.logCleared.load()) return false;
  for (DWORD code : halviksim::RequestLog("HVA1"))
    if (code == 0x222400) return true;  // the close's ownership check
  return false;
}
void WINAPI closeBesideOnEvent(short id, short, short, LONG, void*) {
  if (gBeside.entered.exchange(true)) return;
  if (!within(closeRequested)) return;
  if (gBeside.opens == nullptr) {
    return gBeside.status.store(gBeside.exitDevice(gBeside.closes != 0 ? gBeside.closes : id));
  }
  short reopened = 0;
  gBeside.status.store(gBeside.init(gBeside.opens, &reopened));
  gBeside.reopenedId.store(reopened);
}

// An application thread closes the device while its callback runs, and the
// callback closes or opens it or another device: on its own device it gives
// way to the close that waits for it, which then ends in time and leaves
// nothing counted; another device it closes or opens as at any time.
TEST_F(OpenCloseThreadsTest, ACallbackGivesWayToTheCloseThatWaitsForIt) {
  auto preset = entry<decltype(&XanPresetCnt)>("XanPresetCnt");
  auto compare = entry<decltype(&XanSetCntComparisonReg)>("XanSetCntComparisonReg");
  auto callback = entry<decltype(&XanSetCntCallBackProc)>("XanSetCntCallBackProc");
  auto start = entry<decltype(&XanStartCnt)>("XanStartCnt");
  gBeside.init = init;
  gBeside.exitDevice = exitDevice;
  const LONG match[] = {2};
  const struct {
    const char* opens;
    bool closesAnother;
    LONG callbackStatus;
  } rows[] = {{nullptr, false, 10002}, {nullptr, true, 0}, {"HVA1", false, 10003}, {"DEMO0", false, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.opens != nullptr ? row.opens : row.closesAnother ? "closes DEMO0" : "closes its own");
    short other = 0;
    if (row.closesAnother) {
      ASSERT_EQ(init("DEMO0", &other), 0);
    }
    gBeside.opens = row.opens;
    gBeside.closes = other;
    gBeside.entered = false;
    gBeside.logCleared = false;
    gBeside.status = -1;
    gBeside.reopenedId = 0;
    short id = -1;
    ASSERT_EQ(init("HVA1", &id), 0);
    ASSERT_EQ(preset(id, 0, 0), 0);
    ASSERT_EQ(compare(id, 0, 1, match, 0), 0);
    ASSERT_EQ(callback(id, 0, closeBesideOnEvent, 0x10, nullptr), 0);
    ASSERT_EQ(start(id, 0), 0);
    ASSERT_TRUE(halviksim::PulseCounter("HVA1", 0, 3));
    ASSERT_TRUE(within([] { return gBeside.entered.load(); }));
    ASSERT_TRUE(halviksim::ClearRequestLog("HVA1"));
    gBeside.logCleared = true;
    EXPECT_EQ(exitDevice(id), 0);  // 10004 had the callback kept its thread past the close's wait
    EXPECT_EQ(gBeside.status.load(), row.callbackStatus);
    if (row.closesAnother) {
      EXPECT_EQ(exitDevice(other), 10002);  // the callback closed it
    }
    if (row.opens != nullptr) {  // opened by the callback when it answered 0
      EXPECT_EQ(exitDevice(gBeside.reopenedId.load()), row.callbackStatus == 0 ? 0 : 10001);
    }
    EXPECT_EQ(exitDevice(id), 10002);
  }
}

// A counter callback held by the test past its last close's wait; once let
// go it may call the loader, and the library it returns into must still
// be mapped.
struct HeldCallback {
  std::atomic<bool> entered{false};
  std::atomic<bool> returned{false};
  std::atomic<pid_t> thread{0};
  std::atomic<bool> callsLoader{false};
  std::atomic<bool> loaderAnswered{false};
  HANDLE release = nullptr;
  HANDLE unloading = nullptr;  // when set, the callback runs on into the unload it signals
};
HeldCallback gHeld;
HeldCallback gHeldToo;  // on the device's second counter channel
void WINAPI heldOnEvent(short, short, short, LONG, void* param) {
  HeldCallback& held = *static_cast<HeldCallback*>(param);
  if (held.entered.exchange(true)) return;
  held.thread = static_cast<pid_t>(::syscall(SYS_gettid));
  WaitForSingleObject(gHeld.release, INFINITE);
  if (held.unloading != nullptr && WaitForSingleObject(held.unloading, 5000) == WAIT_OBJECT_0) {
    Sleep(100);  // mostly past the unload's end, had it not waited; any moment is allowed
  }
  if (held.callsLoader) {
    Sleep(500);  // mostly into the unload that follows the release; any moment is allowed
    held.loaderAnswered = GetModuleHandleA("halvik.dll") != nullptr;
  }
  held.returned = true;
}

bool OpenCloseThreadsTest::holdCallback(short id, short channel, HeldCallback& held, bool callsLoader) {
  held.entered = false;
  held.returned = false;
  held.loaderAnswered = false;
  held.callsLoader = callsLoader;
  if (gHeld.release == nullptr) gHeld.release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  return armCounter(id, channel, heldOnEvent, &held) == 0 && halviksim::PulseCounter("HVA1", channel, 3) &&
         within([&] { return held.entered.load(); });
}

LONG OpenCloseThreadsTest::armCounter(short id, short channel, XanCntCallBack proc, void* param) {
  const LONG match[] = {2};
  LONG s = entry<decltype(&XanPresetCnt)>("XanPresetCnt")(id, channel, 0);
  if (s == 0) s = entry<decltype(&XanSetCntComparisonReg)>("XanSetCntComparisonReg")(id, channel, 1, match, 0);
  if (s == 0) s = entry<decltype(&XanSetCntCallBackProc)>("XanSetCntCallBackProc")(id, channel, proc, 0x10, param);
  return s != 0 ? s : entry<decltype(&XanStartCnt)>("XanStartCnt")(id, channel);
}

short OpenCloseThreadsTest::openWithHeldCallback(bool callsLoader) {
  if (gHeld.release != nullptr) ResetEvent(gHeld.release);
  short id = -1;
  if (init("HVA1", &id) != 0 || !holdCallback(id, 0, gHeld, callsLoader)) return -1;
  return id;
}

struct OpenBeside {
  decltype(&XanInit) init = nullptr;
  std::atomic<bool> entered{false};
  std::atomic<LONG> status{-1};
  std::atomic<short> openedId{0};
};
OpenBeside gOpenBeside;
void WINAPI openClosingOnEvent(short, short, short, LONG, void*) {
  if (gOpenBeside.entered.exchange(true) || !within(closeRequested)) return;
  short opened = 0;
  gOpenBeside.status.store(gOpenBeside.init("HVA1", &opened));
  gOpenBeside.openedId.store(opened);
}

// A callback of another device opens the device whose close waits for its
// own blocked callback: it waits for that close to end and opens afresh.
TEST_F(OpenCloseThreadsTest, ACallbackOfAnotherDeviceWaitsForTheCloseItMeets) {
  gOpenBeside.init = init;
  gOpenBeside.entered = false;
  gOpenBeside.status = -1;
  gBeside.logCleared = false;
  short demo = -1;
  ASSERT_EQ(init("DEMO0", &demo), 0);
  const short id = openWithHeldCallback(false);
  ASSERT_NE(id, -1);
  ASSERT_EQ(armCounter(demo, 0, openClosingOnEvent, nullptr), 0);
  ASSERT_TRUE(halviksim::PulseCounter("DEMO0", 0, 3));
  ASSERT_TRUE(within([] { return gOpenBeside.entered.load(); }));
  ASSERT_TRUE(halviksim::ClearRequestLog("HVA1"));
  gBeside.logCleared = true;
  EXPECT_EQ(exitDevice(id), 10004);  // its callback still blocks
  ASSERT_TRUE(within([] { return gOpenBeside.status.load() != -1; }));
  EXPECT_EQ(gOpenBeside.status.load(), 0);
  EXPECT_EQ(exitDevice(gOpenBeside.openedId.load()), 0);
  SetEvent(gHeld.release);
  EXPECT_EQ(exitDevice(demo), 0);
}

// The close gives up on the callback's thread, and the unload waits for
// it to leave the library's code, though it calls the loader meanwhile.
TEST_F(OpenCloseThreadsTest, AnUnloadWaitsForACallbackThatOutlastsItsClose) {
  for (bool callsLoader : {false, true}) {
    SCOPED_TRACE(callsLoader ? "calls the loader" : "sleeps");
    if (module_ == nullptr) open();
    init = entry<decltype(&XanInit)>("XanInit");
    exitDevice = entry<decltype(&XanExit)>("XanExit");
    const short id = openWithHeldCallback(callsLoader);
    ASSERT_NE(id, -1);
    EXPECT_EQ(exitDevice(id), 10004);
    SetEvent(gHeld.release);
    FreeLibrary(module_);
    module_ = nullptr;
    EXPECT_TRUE(gHeld.returned) << "the library went while the callback still ran";
    EXPECT_EQ(gHeld.loaderAnswered.load(), callsLoader);
  }
}

pid_t OpenCloseThreadsTest::startChild(const std::function<int()>& work, void** ownLibrary) {
  char path[MAX_PATH * 4];
  const std::string folder(path, GetModuleFileNameA(module_, path, sizeof path));
  const std::string userPath = folder.substr(0, folder.rfind('/')) + "/libhalvikuser.so";
  pid_t child = ::fork();
  if (child == 0) {
    FreeLibrary(module_);  // the child loads its own copy, with its own process id
    if (ownLibrary != nullptr) {
      *ownLibrary = ::dlopen(userPath.c_str(), RTLD_NOW);
      module_ = GetModuleHandleA("halvik.dll");
    } else {
      module_ = LoadLibraryA("halvik.dll");
    }
    if (module_ == nullptr) ::_exit(90);
    init = entry<decltype(&XanInit)>("XanInit");
    exitDevice = entry<decltype(&XanExit)>("XanExit");
    ::_exit(work());
  }
  return child;
}

// The names XanQueryDeviceName lists, sorted.
std::vector<std::string> listedNames(decltype(&XanQueryDeviceName) query) {
  std::vector<std::string> names;
  char name[256], model[256];
  for (short i = 0; i < 64 && query(i, name, model) == 0; ++i) names.emplace_back(name);
  std::sort(names.begin(), names.end());
  return names;
}

HANDLE gUnloading = nullptr;
DWORD WINAPI unload(void* module) {
  SetEvent(gUnloading);
  FreeLibrary(static_cast<HMODULE>(module));
  return 0;
}

// Callbacks that block past the unload's wait: the unload waits once for
// them all, even when its first wait ends late, and the library stays
// mapped for them; loaded again it attaches afresh, reading the devices once.
TEST_F(OpenCloseThreadsTest, ALibraryStaysForACallbackThatBlocksPastTheUnload) {
  const std::vector<std::string> before = listedNames(entry<decltype(&XanQueryDeviceName)>("XanQueryDeviceName"));
  EXPECT_EQ(inChild([&] {
              const short id = openWithHeldCallback(false);
              if (id == -1 || !holdCallback(id, 1, gHeldToo)) return 1;
              exitDevice(id);
              gUnloading = CreateEventA(nullptr, TRUE, FALSE, nullptr);
              HANDLE unloader = CreateThread(nullptr, 0, unload, module_, 0, nullptr);
              if (WaitForSingleObject(gUnloading, 60'000) != WAIT_OBJECT_0) return 5;
              // Stopped in its first wait until that wait's bound has passed
              // (nothing else ends the wait meanwhile), so the wait ends late.
              SuspendThread(unloader);
              WaitForSingleObject(unloader, 11'000);
              ResumeThread(unloader);
              const bool inTime = WaitForSingleObject(unloader, 5'000) == WAIT_OBJECT_0;
              SetEvent(gHeld.release);
              WaitForSingleObject(unloader, 60'000);
              if (!inTime) return 4;
              if (GetModuleHandleA("halvik.dll") == nullptr) return 2;
              if (halviksim::InstallDevice({"HVA2", "HVA-1632PE", 1, "", 4}).empty()) return 7;
              halviksim::Rescan();
              module_ = LoadLibraryA("halvik.dll");
              std::vector<std::string> expected = before;
              expected.emplace_back("HVA2");
              std::sort(expected.begin(), expected.end());
              if (listedNames(entry<decltype(&XanQueryDeviceName)>("XanQueryDeviceName")) != expected) return 8;
              short added = -1;
              if (entry<decltype(&XanInit)>("XanInit")("HVA2", &added) != 0) return 9;
              const std::string task = "/proc/self/task/" + std::to_string(gHeld.thread.load());
              const std::string taskToo = "/proc/self/task/" + std::to_string(gHeldToo.thread.load());
              const auto left = [&] { return !std::filesystem::exists(task) && !std::filesystem::exists(taskToo); };
              return within(left) ? 0 : 3;
            }),
            0);
}

// The same unload by the dynamic loader, of a program's library that links
// this one: it too waits for the callback before anything is unmapped.
TEST_F(OpenCloseThreadsTest, ADlcloseWaitsForACallbackThatOutlastsItsClose) {
  void* own = nullptr;
  EXPECT_EQ(inChild(
                [&] {
                  const short id = openWithHeldCallback(false);
                  if (id == -1) return 1;
                  if (exitDevice(id) != 10004) return 2;
                  gHeld.unloading = CreateEventA(nullptr, TRUE, FALSE, nullptr);
                  reinterpret_cast<void(WINAPI*)(HANDLE)>(::dlsym(own, "HalvikUserSignalUnload"))(gHeld.unloading);
                  SetEvent(gHeld.release);
                  ::dlclose(own);
                  return gHeld.returned ? 0 : 3;
                },
                &own),
            0);
}

// A sanitized build checks for leaks at the end of the exit and aborts on
// them; a process that exits while a callback still blocks leaves that
// thread's memory behind, which is no leak of the library's.
#ifdef __SANITIZE_ADDRESS__
constexpr int kExitOfABlockedProcess = 128 + SIGABRT;
#else
constexpr int kExitOfABlockedProcess = 0;
#endif

// At process end nothing is unmapped: the exit waits no longer than the
// close's own wait for a callback that blocks, far less than an unload's,
// whether the program loaded the library by name or links it. The child
// writes to `ready` as it sets out to exit.
TEST_F(OpenCloseThreadsTest, AnExitWaitsOnlyTheClosesWaitForABlockedCallback) {
  const struct {
    const char* program;
    std::function<pid_t(int)> start;
  } rows[] = {
      {"loads it by name",
       [this](int ready) {
         return startChild([this, ready] {
           if (openWithHeldCallback(false) == -1 || ::write(ready, "x", 1) != 1) return 1;
           std::exit(0);
         });
       }},
      {"links it",
       [](int ready) {
         std::string fd = std::to_string(ready);
         char* argv[] = {const_cast<char*>(HALVIK_LINKED_EXIT), fd.data(), nullptr};
         pid_t child = 0;
         return ::posix_spawn(&child, HALVIK_LINKED_EXIT, nullptr, nullptr, argv, environ) == 0 ? child : -1;
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.program);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = row.start(ready[1]);
    ::close(ready[1]);  // a child that never writes ends the read below
    char c = 0;
    const bool exiting = ::read(ready[0], &c, 1) == 1;
    const auto start = std::chrono::steady_clock::now();
    const int status = exitCodeOf(child);
    ::close(ready[0]);
    EXPECT_TRUE(exiting);
    EXPECT_TRUE(status == 0 || status == kExitOfABlockedProcess) << status;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
  }
}

}  // namespace
