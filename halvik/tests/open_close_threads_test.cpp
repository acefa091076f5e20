// Opening and closing one device from several application threads, and
// closing it from inside its own event callback.
#include <gtest/gtest.h>
#include <halvik.h>
#include <halviksim.h>

#include <dlfcn.h>
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
  // In a process of its own, which the library may stay in: the exit code.
  // `ownLibrary`: the child loads the library through a library of its own
  // that links it, with dlopen, and keeps that library's handle there.
  int inChild(const std::function<int()>& work, void** ownLibrary = nullptr);
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
  const char* opens = nullptr;  // the device the callback opens; none: it closes its own
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
  if (gBeside.opens == nullptr) return gBeside.status.store(gBeside.exitDevice(id));
  short reopened = 0;
  gBeside.status.store(gBeside.init(gBeside.opens, &reopened));
  gBeside.reopenedId.store(reopened);
}

// An application thread closes the device while its callback runs, and the
// callback closes it or opens it or another device: the callback gives way
// to the close that waits for it, which then ends in time and leaves
// nothing counted.
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
    LONG callbackStatus;
  } rows[] = {{nullptr, 10002}, {"HVA1", 10003}, {"DEMO0", 10003}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.opens != nullptr ? row.opens : "callback closes");
    gBeside.opens = row.opens;
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
    if (row.opens != nullptr) {
      EXPECT_EQ(gBeside.reopenedId.load(), -1);
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
void WINAPI heldOnEvent(short, short, short, LONG, void*) {
  if (gHeld.entered.exchange(true)) return;
  gHeld.thread = static_cast<pid_t>(::syscall(SYS_gettid));
  WaitForSingleObject(gHeld.release, INFINITE);
  if (gHeld.unloading != nullptr && WaitForSingleObject(gHeld.unloading, 5000) == WAIT_OBJECT_0) {
    Sleep(100);  // mostly past the unload's end, had it not waited; any moment is allowed
  }
  if (gHeld.callsLoader) {
    Sleep(500);  // mostly into the unload that follows the release; any moment is allowed
    gHeld.loaderAnswered = GetModuleHandleA("halvik.dll") != nullptr;
  }
  gHeld.returned = true;
}

short OpenCloseThreadsTest::openWithHeldCallback(bool callsLoader) {
  gHeld.entered = false;
  gHeld.returned = false;
  gHeld.loaderAnswered = false;
  gHeld.callsLoader = callsLoader;
  if (gHeld.release == nullptr) gHeld.release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ResetEvent(gHeld.release);
  const LONG match[] = {2};
  short id = -1;
  if (init("HVA1", &id) != 0 || entry<decltype(&XanPresetCnt)>("XanPresetCnt")(id, 0, 0) != 0 ||
      entry<decltype(&XanSetCntComparisonReg)>("XanSetCntComparisonReg")(id, 0, 1, match, 0) != 0 ||
      entry<decltype(&XanSetCntCallBackProc)>("XanSetCntCallBackProc")(id, 0, heldOnEvent, 0x10, nullptr) != 0 ||
      entry<decltype(&XanStartCnt)>("XanStartCnt")(id, 0) != 0 || !halviksim::PulseCounter("HVA1", 0, 3) ||
      !within([] { return gHeld.entered.load(); })) {
    return -1;
  }
  return id;
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

int OpenCloseThreadsTest::inChild(const std::function<int()>& work, void** ownLibrary) {
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
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The names XanQueryDeviceName lists, sorted.
std::vector<std::string> listedNames(decltype(&XanQueryDeviceName) query) {
  std::vector<std::string> names;
  char name[256], model[256];
  for (short i = 0; i < 64 && query(i, name, model) == 0; ++i) names.emplace_back(name);
  std::sort(names.begin(), names.end());
  return names;
}

// A callback that blocks past the unload's wait: the library stays mapped
// for it, and loaded again it attaches afresh, reading the devices once.
TEST_F(OpenCloseThreadsTest, ALibraryStaysForACallbackThatBlocksPastTheUnload) {
  const std::vector<std::string> before = listedNames(entry<decltype(&XanQueryDeviceName)>("XanQueryDeviceName"));
  EXPECT_EQ(inChild([&] {
              const short id = openWithHeldCallback(false);
              if (id == -1) return 1;
              exitDevice(id);
              FreeLibrary(module_);
              if (GetModuleHandleA("halvik.dll") == nullptr) return 2;
              if (halviksim::InstallDevice({"HVA2", "HVA-1632PE", 1, "", 4}).empty()) return 4;
              halviksim::Rescan();
              module_ = LoadLibraryA("halvik.dll");
              std::vector<std::string> expected = before;
              expected.emplace_back("HVA2");
              std::sort(expected.begin(), expected.end());
              if (listedNames(entry<decltype(&XanQueryDeviceName)>("XanQueryDeviceName")) != expected) return 5;
              short added = -1;
              if (entry<decltype(&XanInit)>("XanInit")("HVA2", &added) != 0) return 6;
              const std::string task = "/proc/self/task/" + std::to_string(gHeld.thread.load());
              SetEvent(gHeld.release);
              return within([&] { return !std::filesystem::exists(task); }) ? 0 : 3;
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
// close's own wait for a callback that blocks.
TEST_F(OpenCloseThreadsTest, AnExitWaitsOnlyTheClosesWaitForABlockedCallback) {
  const auto start = std::chrono::steady_clock::now();
  const int status = inChild([this] {
    if (openWithHeldCallback(false) == -1) return 1;
    std::exit(0);
  });
  EXPECT_TRUE(status == 0 || status == kExitOfABlockedProcess) << status;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
