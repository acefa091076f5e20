// The steering of the simulated multi-function counters (halviksim.h).
#include "device_set.h"
#include "halviksim.h"

namespace halviksim {

namespace {

template <class Work>
bool onCounter(const std::string& name, Work work) {
  std::shared_ptr<Device> device = deviceNamed(name);
  if (device == nullptr) return false;
  work(device->cntm());
  return true;
}

}  // namespace

bool CntmPulses(const std::string& device, int channel, int64_t pulses) {
  return onCounter(device, [&](CntmUnit& u) { u.pulse(channel, pulses); });
}
bool CntmCounterError(const std::string& device, int channel, int kind) {
  return onCounter(device, [&](CntmUnit& u) { u.counterError(channel, kind); });
}
bool CntmTimerTicks(const std::string& device, int ticks) {
  return onCounter(device, [&](CntmUnit& u) { u.timerTicks(ticks); });
}
bool CntmForceEventCounts(const std::string& device, int16_t channels, int16_t rows, int16_t entries) {
  return onCounter(device, [&](CntmUnit& u) { u.forceCounts(channels, rows, entries); });
}
bool CntmTimeUps(const std::string& device, int count) {
  return onCounter(device, [&](CntmUnit& u) { u.timeUp(count); });
}

}  // namespace halviksim
