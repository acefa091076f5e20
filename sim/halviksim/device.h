// One simulated device: what was set on it, what it reports, the faults a
// test asked for and the requests it has seen. Shared by the three roads;
// thread-safe.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "ai_run.h"
#include "counter_bank.h"
#include "ao_run.h"
#include "cntm_unit.h"
#include "halviksim.h"
#include "models.h"
#include "ownership.h"
#include "timer_bank.h"

namespace halviksim {

// Where the device is found: the kernel name, or the bus library's key.
struct Placement {
  std::string deviceName;  // as registered
  std::string model;
  int busKind = 0;         // 10, 3, or another for the kernel road
  std::string path;        // kernel: the name after "\\.\"; bus: the symbolic name
  int moduleIndex = 0;
};

class Device {
 public:
  using Values = std::array<int64_t, 3>;

  explicit Device(Placement placement);

  const Placement& placement() const { return placement_; }
  const Model& model() const { return model_; }

  // A setting, keyed by the request that carries it and its channel (or
  // signal, or destination); 0 until set.
  Values setting(DWORD code, DWORD size, int64_t key) const;
  void store(DWORD code, DWORD size, int64_t key, const Values& values);
  // Whether the setting was ever stored: a setting of all zeros is a value.
  bool isSet(DWORD code, DWORD size, int64_t key) const;
  // The key of the setting stored last under that request; 0 until set.
  int64_t lastKey(DWORD code, DWORD size) const;

  std::string revision() const;
  void setRevision(const std::string& revision);
  WORD firmware() const;
  void setFirmware(WORD version);
  int16_t counters() const;
  void setCounters(int16_t channels);
  // Whether the model has that counter channel (-1: all) or timer.
  bool hasUnit(Function function, int64_t unit) const;
  int32_t statusBits(Function function, int64_t unit) const;
  void setStatusBits(Function function, int64_t unit, int32_t bits);

  void setFault(DWORD code, const Fault& fault);
  void clearFaults();
  // The fault for this call of code, used up by it.
  std::optional<Fault> takeFault(DWORD code);

  void note(DWORD code);
  std::vector<DWORD> log() const;
  void clearLog();

  // The ownership of the device across processes (ownership.h).
  int32_t claim(int32_t pid) { return holder_.claim(pid); }
  void release(int32_t pid) { holder_.release(pid); }

  // The analog-input acquisition (ai_run.h).
  AiRun& aiRun() { return aiRun_; }
  // The counter channels and interval timers (counter_bank.h, timer_bank.h).
  CounterBank& counterBank() { return counterBank_; }
  TimerBank& timerBank() { return timerBank_; }
  // A timer-count device's description (the model's name at first) and value.
  std::u16string timerCountText() const;
  int32_t timerCountValue() const;
  void setTimerCountDescription(const std::u16string& text, int32_t value);
  // Files open on the device's own driver (the timer-count device's).
  int openFiles() const;
  void fileOpened(int change);
  // The analog output (ao_run.h).
  AoRun& aoRun() { return aoRun_; }
  // The multi-function counter (cntm_unit.h).
  CntmUnit& cntm() { return cntm_; }

 private:
  const Placement placement_;
  const Model& model_;
  HolderFile holder_;

  mutable std::mutex mutex_;
  std::map<std::tuple<DWORD, DWORD, int64_t>, Values> settings_;
  std::map<std::pair<DWORD, DWORD>, int64_t> lastKeys_;
  std::string revision_ = "1.00";
  WORD firmware_ = 110;
  int16_t counters_;
  std::map<std::pair<Function, int64_t>, int32_t> statusBits_;
  std::map<DWORD, Fault> faults_;
  std::deque<DWORD> log_;
  AiRun aiRun_;
  CounterBank counterBank_;
  TimerBank timerBank_;
  std::u16string timerCountText_;
  int32_t timerCountValue_ = 1000000;  // counts per second
  int openFiles_ = 0;
  AoRun aoRun_;
  CntmUnit cntm_;
};

}  // namespace halviksim
