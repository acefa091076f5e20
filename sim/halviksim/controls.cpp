// The steering of the simulated devices (halviksim.h).
#include "device_set.h"
#include "halviksim.h"

namespace halviksim {

namespace {

// Runs work on the named device; false when there is none.
template <class Work>
bool onDevice(const std::string& name, Work work) {
  std::shared_ptr<Device> device = deviceNamed(name);
  if (device == nullptr) return false;
  work(*device);
  return true;
}

}  // namespace

void Rescan() { scanDevices(); }

bool DeviceKnown(const std::string& device) { return deviceNamed(device) != nullptr; }

bool SetFault(const std::string& device, DWORD code, const Fault& fault) {
  return onDevice(device, [&](Device& d) { d.setFault(code, fault); });
}

bool ClearFaults(const std::string& device) {
  return onDevice(device, [](Device& d) { d.clearFaults(); });
}

bool SetRevision(const std::string& device, const std::string& revision) {
  return onDevice(device, [&](Device& d) { d.setRevision(revision); });
}

bool SetFirmwareVersion(const std::string& device, WORD version) {
  return onDevice(device, [&](Device& d) { d.setFirmware(version); });
}

bool SetCounterChannels(const std::string& device, int16_t channels) {
  return onDevice(device, [&](Device& d) { d.setCounters(channels); });
}

bool SetStatusBits(const std::string& device, Function function, int unit, int32_t bits) {
  return onDevice(device, [&](Device& d) { d.setStatusBits(function, unit, bits); });
}

bool SetAiClock(const std::string& device, AiClock clock) {
  return onDevice(device, [&](Device& d) { d.aiRun().setVirtualClock(clock == AiClock::Virtual); });
}

bool AdvanceTime(const std::string& device, int64_t microseconds) {
  return onDevice(device, [&](Device& d) {
    d.aiRun().advance(microseconds);
    d.timerBank().advance(microseconds);
  });
}

bool SetAiStorageCap(const std::string& device, int64_t scans) {
  return onDevice(device, [&](Device& d) { d.aiRun().setCap(scans); });
}

int64_t AiDroppedScans(const std::string& device) {
  int64_t dropped = 0;
  onDevice(device, [&](Device& d) { dropped = d.aiRun().dropped(); });
  return dropped;
}

bool QueueAiEvents(const std::string& device, const std::vector<int32_t>& factors, bool end) {
  return onDevice(device, [&](Device& d) { d.aiRun().queueEvents(factors, end); });
}

bool PulseCounter(const std::string& device, int channel, int64_t pulses) {
  return onDevice(device, [&](Device& d) { d.counterBank().pulse(channel, pulses); });
}

bool SetTimerCountDescription(const std::string& device, const std::u16string& text, int32_t value) {
  return onDevice(device, [&](Device& d) { d.setTimerCountDescription(text, value); });
}

int TimerCountOpenFiles(const std::string& device) {
  int files = -1;
  onDevice(device, [&](Device& d) { files = d.openFiles(); });
  return files;
}

std::vector<DWORD> RequestLog(const std::string& device) {
  std::vector<DWORD> log;
  onDevice(device, [&](Device& d) { log = d.log(); });
  return log;
}

bool ClearRequestLog(const std::string& device) {
  return onDevice(device, [](Device& d) { d.clearLog(); });
}

}  // namespace halviksim
