// What the simulated drivers share: the inventory they answer from, the
// faults set on codes and the log of requests seen.
#pragma once
#include <map>
#include <mutex>

#include "tarnixcfg_sim.h"

namespace tarnixcfg {

struct Fault {
  Failure failure = Failure::CallFails;
  int32_t value = 1;
};

struct DriverState {
  std::mutex mutex;
  Inventory inventory;
  std::map<DWORD, Fault> faults;
  std::vector<SeenRequest> log;
  int opens = 0;
};

DriverState& State();

// Answers one request of a known code into `record` (the request's bytes,
// already checked for size). FALSE makes the call fail.
bool Answer(const Inventory& inventory, DWORD code, unsigned char* record, std::string& instanceName);
// Sets the counts of a resource record to 0 and its result to `value`.
void FailResult(DWORD code, unsigned char* record, int32_t value);

}  // namespace tarnixcfg
