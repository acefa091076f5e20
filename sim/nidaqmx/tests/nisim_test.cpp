// The simulated NI-DAQmx library, loaded by name as its callers load it.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "nisim_library.h"

using namespace daqmx;

namespace {

class Nisim : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("NISIM_DEVICES", "Dev1:SIM-6251,Dev7:SIM-6009", 1);
    setenv("NISIM_TRIGGER", "hook", 1);
    setenv("NISIM_CLOCK", "wall", 1);
    ASSERT_TRUE(lib.loaded());
    lib.entry<nisim::ResetProc>("NisimReset")();
  }
  template <typename Proc>
  Proc get(const char* name) {
    return lib.entry<Proc>(name);
  }
  std::string lastError() {
    char text[kErrorTextBytes] = {};
    get<GetExtendedErrorInfoProc>("DAQmxGetExtendedErrorInfo")(text, sizeof text);
    return text;
  }
  // A task on Dev1/ai2 and Dev1/ai5 at 10 kHz.
  TaskHandle analogTask(int32 mode, uInt64 perChannel) {
    TaskHandle task = nullptr;
    EXPECT_EQ(get<CreateTaskProc>("DAQmxCreateTask")("", &task), 0);
    EXPECT_EQ(get<CreateAIVoltageChanProc>("DAQmxCreateAIVoltageChan")(task, "Dev1/ai2,Dev1/ai5", "", -1, -10.0, 10.0,
                                                                       kValVolts, nullptr),
              0);
    EXPECT_EQ(get<CfgSampClkTimingProc>("DAQmxCfgSampClkTiming")(task, "", 10000.0, kValRising, mode, perChannel), 0);
    return task;
  }
  nisim::Library lib;
};

TEST_F(Nisim, ListsItsDevicesAndRefusesUnknownOnesWithText) {
  char text[256] = {};
  ASSERT_EQ(get<GetSysDevNamesProc>("DAQmxGetSysDevNames")(text, sizeof text), 0);
  EXPECT_STREQ(text, "Dev1, Dev7");
  ASSERT_EQ(get<GetDevProductTypeProc>("DAQmxGetDevProductType")("Dev7", text, sizeof text), 0);
  EXPECT_STREQ(text, "SIM-6009");
  TaskHandle task = nullptr;
  get<CreateTaskProc>("DAQmxCreateTask")("", &task);
  EXPECT_EQ(get<CreateAIVoltageChanProc>("DAQmxCreateAIVoltageChan")(task, "Dev1/ai0,Dev3/ai0", "", -1, -10.0, 10.0,
                                                                     kValVolts, nullptr),
            nisim::kErrBadDevice);
  EXPECT_EQ(lastError(), "Device identifier is invalid: Dev3");
  EXPECT_EQ(get<CreateAIVoltageChanProc>("DAQmxCreateAIVoltageChan")(task, "Dev1/ai32", "", -1, -10.0, 10.0, kValVolts,
                                                                     nullptr),
            nisim::kErrBadChannel);
  EXPECT_EQ(get<ClearTaskProc>("DAQmxClearTask")(task), 0);
  EXPECT_EQ(get<StartTaskProc>("DAQmxStartTask")(task), nisim::kErrInvalidTask);
}

TEST_F(Nisim, ReadWaitsForTheTriggerAndTimesOut) {
  TaskHandle task = analogTask(kValContSamps, 10000);
  get<CfgDigEdgeStartTrigProc>("DAQmxCfgDigEdgeStartTrig")(task, "PFI0", kValRising);
  ASSERT_EQ(get<StartTaskProc>("DAQmxStartTask")(task), 0);
  uInt16 raw[20] = {};
  int32 read = -1;
  auto readU16 = get<ReadBinaryU16Proc>("DAQmxReadBinaryU16");
  EXPECT_EQ(readU16(task, 10, 0.01, kValGroupByScanNumber, raw, 20, &read, nullptr), kErrorSamplesNotYetAvailable);
  EXPECT_EQ(read, 0);
  get<nisim::FireTriggerProc>("NisimFireTrigger")();
  ASSERT_EQ(readU16(task, 10, 5.0, kValGroupByScanNumber, raw, 20, &read, nullptr), 0);
  ASSERT_EQ(read, 10);
  for (int s = 0; s < 10; ++s) {
    EXPECT_EQ(raw[2 * s], nisim::rampValue(2, s));
    EXPECT_EQ(raw[2 * s + 1], nisim::rampValue(5, s));
  }
  get<ClearTaskProc>("DAQmxClearTask")(task);
}

std::atomic<int> gCallbacks{0};
std::atomic<bool> gOtherThread{false};
std::thread::id gTestThread;

int32 WINAPI countBlock(TaskHandle, int32 type, uInt32 n, void*) {
  if (type == kValAcquiredIntoBuffer && n == 50) gCallbacks.fetch_add(1);
  gOtherThread.store(std::this_thread::get_id() != gTestThread);
  return 0;
}

TEST_F(Nisim, FiniteTaskCallsBackOnceOnItsOwnThread) {
  gTestThread = std::this_thread::get_id();
  gCallbacks.store(0);  // a repeated run starts from none
  TaskHandle task = analogTask(kValFiniteSamps, 50);
  get<RegisterEveryNSamplesEventProc>("DAQmxRegisterEveryNSamplesEvent")(task, kValAcquiredIntoBuffer, 50, 0,
                                                                         countBlock, nullptr);
  ASSERT_EQ(get<StartTaskProc>("DAQmxStartTask")(task), 0);
  for (int i = 0; i < 5000 && gCallbacks.load() == 0; ++i) Sleep(1);
  Sleep(20);  // 200 more scans' time: a finite task sends no second block
  EXPECT_EQ(gCallbacks.load(), 1);
  EXPECT_TRUE(gOtherThread.load());
  EXPECT_EQ(get<StartTaskProc>("DAQmxStartTask")(task), nisim::kErrRunning);
  get<ClearTaskProc>("DAQmxClearTask")(task);
  EXPECT_EQ(get<nisim::LiveTasksProc>("NisimLiveTasks")(), 0);
}

TEST_F(Nisim, InjectedCodeIsAnsweredUntilCleared) {
  get<nisim::InjectErrorProc>("NisimInjectError")("DAQmxCreateTask", -50103);
  TaskHandle task = nullptr;
  EXPECT_EQ(get<CreateTaskProc>("DAQmxCreateTask")("", &task), -50103);
  EXPECT_EQ(lastError(), "Injected failure of DAQmxCreateTask.");
  get<nisim::InjectErrorProc>("NisimInjectError")("DAQmxCreateTask", 0);
  EXPECT_EQ(get<CreateTaskProc>("DAQmxCreateTask")("", &task), 0);
  EXPECT_EQ(lib.callLog(), "DAQmxCreateTask()\nDAQmxCreateTask()\n");
  get<ClearTaskProc>("DAQmxClearTask")(task);
}

int32 WINAPI ignoreBlock(TaskHandle, int32, uInt32, void*) { return 0; }

// A callback that stops and starts its own task, once; the blocks go on
// from the new start.
struct Restart {
  StopTaskProc stop;
  StartTaskProc start;
  std::atomic<int> calls{0};
  std::atomic<int32> answer{1};
};
int32 WINAPI restartOnFirstBlock(TaskHandle task, int32, uInt32, void* data) {
  auto* r = static_cast<Restart*>(data);
  if (r->calls.fetch_add(1) == 0) r->answer.store(r->stop(task) == 0 ? r->start(task) : -1);
  return 0;
}

TEST_F(Nisim, CallbackStopsAndRestartsItsOwnTask) {
  setenv("NISIM_TRIGGER", "immediate", 1);
  get<nisim::ResetProc>("NisimReset")();
  Restart r{get<StopTaskProc>("DAQmxStopTask"), get<StartTaskProc>("DAQmxStartTask")};
  TaskHandle task = analogTask(kValContSamps, 1000);
  get<RegisterEveryNSamplesEventProc>("DAQmxRegisterEveryNSamplesEvent")(task, kValAcquiredIntoBuffer, 10, 0,
                                                                         restartOnFirstBlock, &r);
  ASSERT_EQ(r.start(task), 0);
  for (int i = 0; i < 10000 && r.calls.load() < 3; ++i) Sleep(1);
  EXPECT_EQ(r.answer.load(), 0);
  EXPECT_GE(r.calls.load(), 3);
  EXPECT_EQ(get<ClearTaskProc>("DAQmxClearTask")(task), 0);
}

// A handle is never that of a task made after it was cleared.
TEST_F(Nisim, ClearedHandleStaysInvalidOnceNewTasksAreMade) {
  auto create = get<CreateTaskProc>("DAQmxCreateTask");
  auto clear = get<ClearTaskProc>("DAQmxClearTask");
  TaskHandle cleared = nullptr;
  ASSERT_EQ(create("", &cleared), 0);
  ASSERT_EQ(clear(cleared), 0);
  TaskHandle fresh[4] = {};
  for (TaskHandle& task : fresh) {
    ASSERT_EQ(create("", &task), 0);
    const auto value = reinterpret_cast<std::uintptr_t>(task);
    EXPECT_TRUE(value != 0 && value < (std::uintptr_t{1} << 31)) << value;
  }
  EXPECT_EQ(get<StartTaskProc>("DAQmxStartTask")(cleared), nisim::kErrInvalidTask);
  EXPECT_EQ(clear(cleared), nisim::kErrInvalidTask);
  for (TaskHandle task : fresh) EXPECT_EQ(clear(task), 0);
}

// One thread makes and clears tasks while another clears each handle again
// once it is cleared: the second clear finds no task, whatever was made
// since, and the maker's own clears all find theirs.
TEST_F(Nisim, RacingClearsAndCreatesReachOnlyTheirOwnTasks) {
  auto create = get<CreateTaskProc>("DAQmxCreateTask");
  auto clear = get<ClearTaskProc>("DAQmxClearTask");
  std::atomic<TaskHandle> cleared{nullptr};
  std::atomic<bool> done{false};
  std::atomic<int> wrong{0};
  std::thread maker([&] {
    for (int i = 0; i < 20000; ++i) {
      TaskHandle task = nullptr;
      if (create("", &task) != 0 || clear(task) != 0) wrong.fetch_add(1);
      cleared.store(task);
    }
    done.store(true);
  });
  while (!done.load()) {
    if (TaskHandle task = cleared.load(); task != nullptr && clear(task) != nisim::kErrInvalidTask) wrong.fetch_add(1);
  }
  maker.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(get<nisim::LiveTasksProc>("NisimLiveTasks")(), 0);
}

// A clear from another thread, once a call on the task has begun, ends the
// call before the clear or with the invalid-task code, and leaves nothing
// waiting on the freed task. Rounds of each, under a watchdog, since a hang
// is how this fails.
TEST_F(Nisim, ClearFromAnotherThreadEndsTheCallsOnTheTask) {
  const struct {
    const char* call;
    std::set<int32> answers;
  } rows[] = {{"DAQmxReadBinaryU16", {nisim::kErrInvalidTask}},
              {"DAQmxStartTask", {0, nisim::kErrInvalidTask}},
              {"DAQmxStopTask", {0, nisim::kErrInvalidTask}}};
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  std::thread([&, done] {
    for (const auto& row : rows) {
      const std::string call = row.call;
      for (int round = 0; round < 50; ++round) {
        get<nisim::ResetProc>("NisimReset")();
        // Untriggered: the read waits, and so does the callback thread,
        // which the read goes without: its join would hold the clear up.
        TaskHandle task = analogTask(kValContSamps, 1000);
        get<CfgDigEdgeStartTrigProc>("DAQmxCfgDigEdgeStartTrig")(task, "PFI0", kValRising);
        if (call != "DAQmxReadBinaryU16") {
          get<RegisterEveryNSamplesEventProc>("DAQmxRegisterEveryNSamplesEvent")(task, kValAcquiredIntoBuffer, 10, 0,
                                                                                 ignoreBlock, nullptr);
        }
        if (call != "DAQmxStartTask") {
          EXPECT_EQ(get<StartTaskProc>("DAQmxStartTask")(task), 0) << call;
        }
        const std::size_t before = lib.callLog().size();
        int32 answer = 1;
        std::thread caller([&] {
          uInt16 raw[20] = {};
          int32 read = 0;
          if (call == "DAQmxReadBinaryU16") {
            answer = get<ReadBinaryU16Proc>(row.call)(task, 10, 60.0, kValGroupByScanNumber, raw, 20, &read, nullptr);
          } else {
            answer = get<StartTaskProc>(row.call)(task);  // the stop has the start's type
          }
        });
        // Polled at a pace that leaves the stand-in's lock to the caller,
        // whose call must log itself before it goes on.
        while (lib.callLog().find(call, before) == std::string::npos) {
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_EQ(get<ClearTaskProc>("DAQmxClearTask")(task), 0);
        caller.join();
        EXPECT_EQ(row.answers.count(answer), 1u) << call << ": " << answer;
      }
    }
    done->set_value();
  }).detach();
  if (finished.wait_for(std::chrono::seconds(240)) != std::future_status::ready) {
    ADD_FAILURE() << "a call or the clear still waits on the cleared task";
    std::fflush(stdout);
    std::_Exit(1);  // the stuck threads would hold the unload too
  }
  EXPECT_EQ(get<nisim::LiveTasksProc>("NisimLiveTasks")(), 0);
}

// A caller that unloads the library with a task still calling back must not
// leave its thread running in code that is gone, nor the task behind.
TEST(NisimUnload, EndsATaskLeftRunning) {
  setenv("NISIM_DEVICES", "Dev1:SIM-6251", 1);
  setenv("NISIM_TRIGGER", "immediate", 1);
  for (int load = 0; load < 2; ++load) {
    nisim::Library lib;
    ASSERT_TRUE(lib.loaded());
    EXPECT_EQ(lib.entry<nisim::LiveTasksProc>("NisimLiveTasks")(), 0) << "a fresh load starts with no tasks";
    TaskHandle task = nullptr;
    ASSERT_EQ(lib.entry<CreateTaskProc>("DAQmxCreateTask")("", &task), 0);
    ASSERT_EQ(lib.entry<CreateAIVoltageChanProc>("DAQmxCreateAIVoltageChan")(task, "Dev1/ai0", "", -1, -10.0, 10.0,
                                                                            kValVolts, nullptr),
              0);
    lib.entry<CfgSampClkTimingProc>("DAQmxCfgSampClkTiming")(task, "", 10000.0, kValRising, kValContSamps, 1000);
    lib.entry<RegisterEveryNSamplesEventProc>("DAQmxRegisterEveryNSamplesEvent")(task, kValAcquiredIntoBuffer, 10, 0,
                                                                                 countBlock, nullptr);
    ASSERT_EQ(lib.entry<StartTaskProc>("DAQmxStartTask")(task), 0);
  }
}

}  // namespace
