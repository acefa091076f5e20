// The processing library with the simulated NI-DAQmx bound, as on a machine
// that has NI-DAQmx: the attach finds it by module name once its folder is
// on the search path. Each test starts from a fresh stand-in.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "acquisition/backend.h"
#include "acquisition/ring.h"
#include "backends/ni/ni_backend.h"
#include "backends/ni/ni_binding.h"
#include "backends/ni/ni_state.h"
#include "nisim_library.h"
#include "vekmath.h"

namespace nitest {

// Polls at most about five seconds for what another thread does.
template <typename Predicate>
bool eventually(Predicate done) {
  for (int i = 0; i < 5000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done();
}

class NiStandIn : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("NISIM_DEVICES", "Dev1:SIM-6251,Dev2:SIM-6009", 1);
    setenv("NISIM_CLOCK", "free", 1);
    setenv("NISIM_TRIGGER", "immediate", 1);
    sim_ = std::make_unique<nisim::Library>();
    ASSERT_TRUE(sim_->loaded());
    vekmath::niDaqmxBackEnd().attach();
    ASSERT_NE(vekmath::niDaqmx().module.load(), nullptr);
    sim_->entry<nisim::ResetProc>("NisimReset")();
    // Each test sees the first configuration of a process.
    vekmath::niState().clockExported = false;
  }
  void TearDown() override {
    StopSampling(nullptr);
    CloseBoard(nullptr);
    vekmath::niDaqmxBackEnd().detach();
    sim_.reset();
  }

  template <typename Proc>
  Proc hook(const char* name) const {
    return sim_->entry<Proc>(name);
  }
  std::string log() const { return sim_->callLog(); }
  bool logged(const std::string& call) const { return log().find(call) != std::string::npos; }
  void inject(const char* function, int32_t code) const {
    hook<nisim::InjectErrorProc>("NisimInjectError")(function, code);
  }
  int32_t liveTasks() const { return hook<nisim::LiveTasksProc>("NisimLiveTasks")(); }

  // SelectBoard and SetupSampling: channels 1..n unless a list is given.
  LONG setUp(LONG code, const char* device, LONG channels, LONG blockScans, LONG periodUs, LONG triggerChannel,
             const SHORT* list = nullptr) {
    SHORT ordered[32] = {};
    for (LONG i = 0; i < channels; ++i) ordered[i] = static_cast<SHORT>(i + 1);
    SelectBoard(code, 0, device);
    LONG status = -1;
    SetupSampling(channels, list != nullptr ? list : ordered, blockScans, 1, periodUs, 0, triggerChannel, 0, 0,
                  &status);
    return status;
  }

 private:
  std::unique_ptr<nisim::Library> sim_;
};

}  // namespace nitest
